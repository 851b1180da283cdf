#include "app/VexaHEXEditorUnit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QJsonDocument>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "app/AppVersion.h"
#include "platform/Forms.h"
#include "platform/StoredLayout.h"
#include "platform/SysUtils.h"

// The window's resources live in a static library: register them explicitly.
static void InitWindowResources() {
  Q_INIT_RESOURCE(VexaHEXEditorUnit);
  Q_INIT_RESOURCE(VexaResources);
}

namespace vexa {

TVexaHex* VexaHex = nullptr;

namespace {

const QString kVersionPrefix = QStringLiteral("Vexa HEX Editor v");
const QString kReadOnly = QStringLiteral("Read Only");
const QString kWriteEnabled = QStringLiteral("Write Enabled");

// Status bar panels.
constexpr int kViewPanel = 0;
constexpr int kFileNamePanel = 2;

// Pages of the office pager.
constexpr int kEditorPage = 1;

// The translation each item of the translation selector stands for, in the selector's
// order (which is not the order of the enumeration); "Custom" sets none.
constexpr int kNoTranslation = -1;
constexpr int kSelectorTranslations[] = {tkAsIs, tkASCII, tkDos8, tkMac, tkBCD, kNoTranslation};

// A strict decimal conversion: an optional sign and digits, nothing else.
int StrToInt(const QString& text) {
  bool ok = false;
  const int value = text.toInt(&ok, 10);
  if (!ok || text.trimmed() != text) throw EConvertError(Format("'%s' is not a valid integer value", {text}));
  return value;
}

QByteArray ReadResource(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw Exception(Format("Cannot read the resource %s", {path}));
  return file.readAll();
}

template <class T, class P>
T* Make(P* parent, int x, int y, int w, int h) {
  T* widget = new T(parent);
  widget->setGeometry(x, y, w, h);
  return widget;
}

}  // namespace

TVexaHex::TVexaHex(QWidget* parent) : TAdvToolBarForm(parent) {
  InitWindowResources();
  setAttribute(Qt::WA_StyledBackground);
  setStyleSheet(QString::fromUtf8(ReadResource(QStringLiteral(":/app/OfficeStyle.qss"))));
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  setFont(font);
  setWindowTitle(Application->Title());
  setWindowIcon(QIcon(QStringLiteral(":/resources/VexaHexEditor.png")));

  CreateComponents();
  for (const auto& [name, component] : Components()) component->setObjectName(name);
  ReadLayout(StoredLayout());
  BindEvents();

  // Client area 640 x 483, placed at 329, 130 and then centred on the screen.
  resize(640, 483);
  move(329, 130);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  DoCreate();
}

void TVexaHex::CreateComponents() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  // Non-visual components first: the visual ones refer to them.
  AdvToolBarOfficeStyler1 = new TAdvToolBarOfficeStyler(this);
  AdvPreviewMenuOfficeStyler1 = new TAdvPreviewMenuOfficeStyler(this);
  AdvOfficeStatusBarOfficeStyler1 = new TAdvOfficeStatusBarOfficeStyler(this);
  AdvFormStyler1 = new TAdvFormStyler(this);
  AdvAppStyler1 = new TAdvAppStyler(this);
  AdvOfficePagerOfficeStyler1 = new TAdvOfficePagerOfficeStyler(this);
  AdvPanelStyler1 = new TAdvPanelStyler(this);
  AdvMenuOfficeStyler1 = new TAdvMenuOfficeStyler(this);
  for (TAdvOfficeStyler* s : {AdvToolBarOfficeStyler1, AdvPreviewMenuOfficeStyler1, AdvOfficeStatusBarOfficeStyler1,
                              AdvFormStyler1, AdvAppStyler1, AdvOfficePagerOfficeStyler1, AdvPanelStyler1,
                              AdvMenuOfficeStyler1}) {
    s->Style = tsOffice2007Obsidian;
    s->AutoThemeAdapt = false;
  }

  ImageList1 = new TMenuImageList(32, 32, this);
  {
    const QPixmap strip(QStringLiteral(":/resources/ImageStrip.png"));
    for (int x = 0; x + 32 <= strip.width(); x += 32) ImageList1->Add(QIcon(strip.copy(x, 0, 32, 32)));
  }
  ActionList1 = new TActionList(this);
  ActionList1->Images = ImageList1;
  About = new TAction(this);
  ActionList1->Add(About);

  HashManager1 = new THashManager(this);
  AdvTaskDialogEx1 = new TAdvTaskDialogEx(this);
  AdvTaskDialogEx1->Icon = tiInformation;
  AdvTaskDialogEx1->FooterIcon = tiInformation;
  AdvTaskDialogEx1->CommonButtons = cbOK;

  OffsetPopUp = new TAdvPopupMenu(this);
  OffsetPopUp->MenuAnimation = maTopToBottom;
  Hexadecimal1 = OffsetPopUp->Add(QStringLiteral("Hexadecimal1"), QString());
  Decimal1 = OffsetPopUp->Add(QStringLiteral("Decimal1"), QString());
  Octal1 = OffsetPopUp->Add(QStringLiteral("Octal1"), QString());

  FileOptionsPopUp = new TAdvStickyPopupMenu(this);
  FileOptionsPopUp->AddButton(QStringLiteral("FileOptionsSelectFile"), QStringLiteral("Select File"));
  FileOptionsPopUp->AddButton(QStringLiteral("FileOptionsInformation"), QStringLiteral("Information"));
  FileOptionsPopUp->Add(QStringLiteral("FileOptionsHashSHA1"), QStringLiteral("Hash (SHA-1)"));
  FileOptionsPopUp->Add(QStringLiteral("FileOptionsHashMD5"), QStringLiteral("Hash (MD5)"));
  FileOptionsPopUp->Add(QStringLiteral("FileOptionsSeparator"), QStringLiteral("-"));
  FileOptionsPopUp->Add(QStringLiteral("FileOptionsCreatePatch"), QStringLiteral("Create Patch"));
  FileOptionsPopUp->Add(QStringLiteral("FileOptionsApplyPatch"), QStringLiteral("Apply Patch"));

  AdvPreviewMenu1 = new TAdvPreviewMenu(this);
  AdvPreviewMenu1->Images = ImageList1;
  {
    TAdvPreviewMenuItem file;
    file.Caption = QStringLiteral("File");
    file.CanSelect = false;
    file.ImageIndex = 0;
    file.SubItems = {{QStringLiteral("Save"), nullptr, {}}, {QStringLiteral("Save As..."), nullptr, {}}};
    TAdvPreviewMenuItem help;
    help.Caption = QStringLiteral("Help");
    help.CanSelect = false;
    help.ImageIndex = 3;
    help.SubItems = {{QString(), About, {}}};
    AdvPreviewMenu1->MenuItems = {file, help};
    AdvPreviewMenu1->Buttons = {{QStringLiteral("Exit"), {}}};
  }

  JvDragDrop1 = new TJvDragDrop(this);
  JvDragDrop1->SetDropTarget(this);

  // 1. The ribbon.
  AdvToolBarPager1 = new TAdvToolBarPager(this);
  AdvToolBarPager1->setFixedHeight(155);
  layout->addWidget(AdvToolBarPager1);
  AdvShapeButton1 = new TAdvShapeButton(AdvToolBarPager1);
  AdvShapeButton1->setIcon(QIcon(QStringLiteral(":/resources/VexaHexEditor.png")));
  AdvShapeButton1->setToolTip(Application->Title());
  AdvShapeButton1->AdvPreviewMenu = AdvPreviewMenu1;
  AdvToolBarPager1->SetShapeButton(AdvShapeButton1);
  AdvPage1 = new TAdvPage;
  AdvToolBarPager1->AddPage(AdvPage1);

  AdvToolBar2 = Make<TAdvToolBar>(AdvPage1, 3, 3, 100, 91);
  ShowRulerCheck = Make<TAdvOfficeCheckBox>(AdvToolBar2->Client(), 4, 3, 92, 17);
  DrawGrid = Make<TAdvOfficeCheckBox>(AdvToolBar2->Client(), 4, 21, 92, 17);

  AdvToolBar1 = Make<TAdvToolBar>(AdvPage1, 106, 3, 168, 91);
  Label1 = Make<TOfficeLabel>(AdvToolBar1->Client(), 5, 1, 150, 14);
  TranslationSelector = Make<TAdvOfficeSelector>(AdvToolBar1->Client(), 4, 16, 158, 20);
  UnicodeCheck = Make<TAdvOfficeCheckBox>(AdvToolBar1->Client(), 4, 38, 158, 16);
  UnicodeBigEndian = Make<TAdvOfficeCheckBox>(AdvToolBar1->Client(), 4, 55, 158, 16);

  AdvToolBar3 = Make<TAdvToolBar>(AdvPage1, 277, 3, 205, 91);
  SearchEdit = Make<TOfficeEdit>(AdvToolBar3->Client(), 4, 3, 195, 20);
  SearchButton = Make<TAdvGlowButton>(AdvToolBar3->Client(), 4, 27, 94, 20);
  SearchNextButton = Make<TAdvGlowButton>(AdvToolBar3->Client(), 104, 27, 94, 20);
  TextSearchCheck = Make<TAdvOfficeCheckBox>(AdvToolBar3->Client(), 4, 52, 96, 16);
  IgnoreCaseCheck = Make<TAdvOfficeCheckBox>(AdvToolBar3->Client(), 104, 52, 96, 16);

  // 2. The office pager.
  AdvOfficePager1 = new TAdvOfficePager(this);
  layout->addWidget(AdvOfficePager1, 1);
  AdvOfficePager11 = new TAdvOfficePage;
  AdvOfficePager12 = new TAdvOfficePage;
  AdvOfficePager1->AddPage(AdvOfficePager11);
  AdvOfficePager1->AddPage(AdvOfficePager12);

  DriveComboBoxEx1 = Make<TDriveComboBoxEx>(AdvOfficePager11, 16, 16, 252, 21);
  DirectoryListBoxEx1 = Make<TDirectoryListBoxEx>(AdvOfficePager11, 16, 41, 252, 212);
  FileListBoxEx1 = Make<TFileListBoxEx>(AdvOfficePager11, 283, 16, 329, 225);
  FileListBoxEx1->SetColor(QColor(243, 245, 249));
  FileListBoxEx1->SetShowGlyphs(true);
  FileListBoxEx1->SetFileType(ftReadOnly | ftHidden | ftSystem | ftVolumeID | ftArchive | ftNormal);
  DriveComboBoxEx1->SetDirList(DirectoryListBoxEx1);
  DirectoryListBoxEx1->SetFileList(FileListBoxEx1);
  DDACheck = Make<TAdvOfficeCheckBox>(AdvOfficePager11, 281, 242, 140, 17);
  SelectFile = Make<TAdvGlowButton>(AdvOfficePager11, 510, 244, 100, 18);

  AdvToolPanelTab1 = new TAdvToolPanelTab(AdvOfficePager11);
  AdvToolPanel1 = new TAdvToolPanel;
  DriveList = new TTreeList(AdvToolPanel1);
  AdvToolPanel2 = new TAdvToolPanel;
  TreeList1 = new TTreeList(AdvToolPanel2);
  for (auto [panel, list] : {std::pair{AdvToolPanel1, DriveList}, std::pair{AdvToolPanel2, TreeList1}}) {
    list->SetColumns({200, 150});
    list->SetHeaderVisible(false);
    panel->layout()->addWidget(list);
    AdvToolPanelTab1->AddPanel(panel);
  }

  auto* editorLayout = new QVBoxLayout(AdvOfficePager12);
  editorLayout->setContentsMargins(0, 0, 0, 0);
  editorLayout->setSpacing(0);
  AdvPanel1 = new TAdvPanel(AdvOfficePager12);
  AdvPanel1->setFixedHeight(33);
  editorLayout->addWidget(AdvPanel1);
  SaveButton = Make<TAdvGlowButton>(AdvPanel1, 4, 4, 100, 25);
  Label2 = Make<TOfficeLabel>(AdvPanel1, 120, 9, 60, 14);
  FontSizeSelector = Make<TAdvOfficeSelector>(AdvPanel1, 180, 6, 60, 21);
  HexEditor = new TKorHexEditorEx(AdvOfficePager12);
  editorLayout->addWidget(HexEditor, 1);
  // The offset menu is the control's context menu.
  HexEditor->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(HexEditor, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    Guarded([&] {
      const QPoint global = HexEditor->viewport()->mapToGlobal(pos);
      OffsetPopUp->Popup(global.x(), global.y());
    });
  });

  // 3. The status bar.
  StatusBar = new TAdvOfficeStatusBar(this);
  layout->addWidget(StatusBar);
  struct Panel {
    const char* text;
    TAlignment alignment;
    TPanelAppearanceStyle style;
    bool button;
    int width;
  } panels[] = {
      {"Read Only", taCenter, psDark, true, 120},
      {"Information", taCenter, psDark, true, 80},
      {"", taLeftJustify, psLight, false, 194},
  };
  for (const Panel& p : panels) {
    TAdvOfficeStatusPanel* panel = StatusBar->AddPanel();
    panel->SetText(QString::fromLatin1(p.text));
    panel->SetAlignment(p.alignment);
    panel->SetAppearanceStyle(p.style);
    panel->SetButton(p.button);
    panel->SetWidth(p.width);
  }
}

std::vector<std::pair<QString, QObject*>> TVexaHex::Components() const {
  return {
      {"AdvToolBarPager1", AdvToolBarPager1},
      {"AdvPage1", AdvPage1},
      {"AdvToolBarOfficeStyler1", AdvToolBarOfficeStyler1},
      {"AdvToolBar1", AdvToolBar1},
      {"AdvShapeButton1", AdvShapeButton1},
      {"AdvPreviewMenu1", AdvPreviewMenu1},
      {"AdvPreviewMenuOfficeStyler1", AdvPreviewMenuOfficeStyler1},
      {"StatusBar", StatusBar},
      {"AdvOfficeStatusBarOfficeStyler1", AdvOfficeStatusBarOfficeStyler1},
      {"AdvToolBar2", AdvToolBar2},
      {"AdvFormStyler1", AdvFormStyler1},
      {"AdvAppStyler1", AdvAppStyler1},
      {"TranslationSelector", TranslationSelector},
      {"JvDragDrop1", JvDragDrop1},
      {"AdvOfficePager1", AdvOfficePager1},
      {"AdvOfficePager11", AdvOfficePager11},
      {"AdvOfficePager12", AdvOfficePager12},
      {"AdvOfficePagerOfficeStyler1", AdvOfficePagerOfficeStyler1},
      {"HexEditor", HexEditor},
      {"DirectoryListBoxEx1", DirectoryListBoxEx1},
      {"DriveComboBoxEx1", DriveComboBoxEx1},
      {"FileListBoxEx1", FileListBoxEx1},
      {"Label1", Label1},
      {"HashManager1", HashManager1},
      {"AdvTaskDialogEx1", AdvTaskDialogEx1},
      {"ActionList1", ActionList1},
      {"About", About},
      {"DDACheck", DDACheck},
      {"AdvToolPanelTab1", AdvToolPanelTab1},
      {"AdvToolPanel1", AdvToolPanel1},
      {"AdvPanelStyler1", AdvPanelStyler1},
      {"AdvPanel1", AdvPanel1},
      {"SaveButton", SaveButton},
      {"SelectFile", SelectFile},
      {"FontSizeSelector", FontSizeSelector},
      {"Label2", Label2},
      {"AdvMenuOfficeStyler1", AdvMenuOfficeStyler1},
      {"FileOptionsPopUp", FileOptionsPopUp},
      {"OffsetPopUp", OffsetPopUp},
      {"Decimal1", Decimal1},
      {"Hexadecimal1", Hexadecimal1},
      {"Octal1", Octal1},
      {"UnicodeCheck", UnicodeCheck},
      {"UnicodeBigEndian", UnicodeBigEndian},
      {"DrawGrid", DrawGrid},
      {"ShowRulerCheck", ShowRulerCheck},
      {"DriveList", DriveList},
      {"AdvToolPanel2", AdvToolPanel2},
      {"TreeList1", TreeList1},
      {"AdvToolBar3", AdvToolBar3},
      {"SearchEdit", SearchEdit},
      {"SearchButton", SearchButton},
      {"SearchNextButton", SearchNextButton},
      {"TextSearchCheck", TextSearchCheck},
      {"IgnoreCaseCheck", IgnoreCaseCheck},
      {"ImageList1", ImageList1},
  };
}

QJsonObject TVexaHex::StoredLayout() {
  InitWindowResources();
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(ReadResource(QStringLiteral(":/app/VexaHEXEditorUnit.json")), &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject())
    throw Exception(Format("The stored layout of the main window is damaged: %s", {error.errorString()}));
  return doc.object();
}

void TVexaHex::ReadLayout(const QJsonObject& layout) {
  const auto components = Components();
  for (auto it = layout.begin(); it != layout.end(); ++it) {
    const bool known = std::any_of(components.begin(), components.end(),
                                   [&](const auto& c) { return c.first == it.key(); });
    if (!known) throw Exception(Format("Component %s does not exist", {it.key()}));
    if (!it.value().isObject()) throw Exception(Format("Invalid stored layout for component %s", {it.key()}));
  }
  // Components read in their own order, each one's values named after it in messages.
  for (const auto& [name, component] : components) {
    if (!layout.contains(name)) continue;
    try {
      ReadStoredLayout(component, layout.value(name).toObject());
    } catch (const Exception& e) {
      throw Exception(Format("%s: %s", {name, e.Message()}));
    }
  }
}

void TVexaHex::BindEvents() {
  OnCreate = [this](QObject* sender) { FormCreate(sender); };
  OnShow = [this](QObject* sender) { FormShow(sender); };
  About->OnExecute = [this](QObject* sender) { AboutExecute(sender); };

  AdvPreviewMenu1->Buttons.at(0).OnClick = [this](QObject* sender) { AdvPreviewMenu1Buttons0Click(sender); };
  StatusBar->OnPanelClick = [this](QObject* sender, int index) { StatusBarPanelClick(sender, index); };
  DriveComboBoxEx1->OnChange = [this](QObject* sender) { DriveComboBoxEx1Change(sender); };
  FileListBoxEx1->OnContextPopup = [this](QObject* sender, const QPoint& pos, bool& handled) {
    FileListBoxEx1ContextPopup(sender, pos, handled);
  };
  FileListBoxEx1->OnDblClick = [this](QObject* sender) { FileListBoxEx1DblClick(sender); };
  DDACheck->OnClick = [this](QObject* sender) { DDACheckClick(sender); };
  SelectFile->OnClick = [this](QObject* sender) { SelectFileClick(sender); };
  SaveButton->OnClick = [this](QObject* sender) { SaveButtonClick(sender); };
  JvDragDrop1->OnDrop = [this](QObject* sender, const QPoint& pos, const QStringList& files) {
    JvDragDrop1Drop(sender, pos, files);
  };

  TranslationSelector->OnChange = [this](QObject* sender) { TranslationSelectorChange(sender); };
  UnicodeCheck->OnClick = [this](QObject* sender) { UnicodeCheckClick(sender); };
  UnicodeBigEndian->OnClick = [this](QObject* sender) { UnicodeBigEndianClick(sender); };
  DrawGrid->OnClick = [this](QObject* sender) { DrawGridClick(sender); };
  ShowRulerCheck->OnClick = [this](QObject* sender) { ShowRulerCheckClick(sender); };
  TextSearchCheck->OnClick = [this](QObject* sender) { TextSearchCheckClick(sender); };
  FontSizeSelector->OnChange = [this](QObject* sender) { FontSizeSelectorChange(sender); };
  Hexadecimal1->OnClick = [this](QObject* sender) { Hexadecimal1Click(sender); };
  Decimal1->OnClick = [this](QObject* sender) { Decimal1Click(sender); };
  Octal1->OnClick = [this](QObject* sender) { Octal1Click(sender); };
}

void TVexaHex::FormCreate(QObject* /*Sender*/) {
  AdvOfficePager1->SetActivePageIndex(0);
  AdvToolBar3->setVisible(false);
}

void TVexaHex::FormShow(QObject* /*Sender*/) {
  AdvToolBarPager1->SetCaption(kVersionPrefix + GetAppVersion());
  AdvTaskDialogEx1->SetFooter(kVersionPrefix + GetAppVersion());
}

void TVexaHex::AboutExecute(QObject* /*Sender*/) { AdvTaskDialogEx1->Execute(); }

// --- Document commands ------------------------------------------------------------------------

void TVexaHex::OpenSelectedFile() {
  const QString path = FileListBoxEx1->FileName();
  if (path.isEmpty()) return;
  if (!QuerySaveChanges()) return;
  // A failed load raises here, before the page or the status bar change.
  HexEditor->LoadFromFile(path);
  AdvOfficePager1->SetActivePageIndex(kEditorPage);
  StatusBar->Panels(kFileNamePanel)->SetText(ExtractFileName(path));
}

void TVexaHex::SelectFileClick(QObject* /*Sender*/) { OpenSelectedFile(); }

void TVexaHex::FileListBoxEx1DblClick(QObject* /*Sender*/) {
  DDACheck->SetChecked(false);
  OpenSelectedFile();
}

void TVexaHex::FileListBoxEx1ContextPopup(QObject* /*Sender*/, const QPoint& /*MousePos*/, bool& /*Handled*/) {
  if (FileListBoxEx1->FileName().isEmpty()) return;
  const QPoint at = QCursor::pos();
  FileOptionsPopUp->Popup(at.x(), at.y());
}

void TVexaHex::JvDragDrop1Drop(QObject* /*Sender*/, const QPoint& /*Pos*/, const QStringList& Value) {
  if (Value.isEmpty()) return;
  if (!QuerySaveChanges()) return;
  // The name is shown first, so it stays even when the load fails.
  StatusBar->Panels(kFileNamePanel)->SetText(ExtractFileName(Value.first()));
  HexEditor->LoadFromFile(Value.first());
}

void TVexaHex::DDACheckClick(QObject* /*Sender*/) {
  SelectFile->SetCaption(DDACheck->Checked() ? QStringLiteral("Select Disk") : QStringLiteral("Select File"));
}

void TVexaHex::DriveComboBoxEx1Change(QObject* /*Sender*/) { DriveInformation(); }

void TVexaHex::DriveInformation() {}

void TVexaHex::StatusBarPanelClick(QObject* /*Sender*/, int PanelIndex) {
  if (PanelIndex != kViewPanel) return;
  HexEditor->SetReadOnlyView(!HexEditor->ReadOnlyView());
  const bool readOnly = HexEditor->ReadOnlyView();
  StatusBar->Panels(kViewPanel)->SetText(readOnly ? kReadOnly : kWriteEnabled);
  SaveButton->setEnabled(!readOnly);
}

void TVexaHex::SaveButtonClick(QObject* /*Sender*/) {
  if (StatusBar->Panels(kViewPanel)->Text() == kReadOnly) return;
  HexEditor->Save();
}

void TVexaHex::AdvPreviewMenu1Buttons0Click(QObject* /*Sender*/) { close(); }

QMessageBox::StandardButton TVexaHex::AskSaveChanges(const QString& FileName) {
  if (SaveChangesQuestion) return SaveChangesQuestion(FileName);
  return QMessageBox::question(this, Application->Title(),
                               Format("Save the changes to %s?", {FileName}),
                               QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
}

bool TVexaHex::QuerySaveChanges() {
  if (!HexEditor->Modified()) return true;
  switch (AskSaveChanges(ExtractFileName(HexEditor->FileName()))) {
    case QMessageBox::Save:
      HexEditor->Save();  // a failure raises: the document stays
      return true;
    case QMessageBox::Discard:
      return true;
    default:
      return false;
  }
}

void TVexaHex::FormCloseQuery(QObject* /*Sender*/, bool& CanClose) {
  CanClose = false;  // stays so when the save fails
  CanClose = QuerySaveChanges();
}

void TVexaHex::closeEvent(QCloseEvent* event) {
  bool canClose = false;
  Guarded([&] { FormCloseQuery(this, canClose); });
  if (canClose) {
    TAdvToolBarForm::closeEvent(event);
  } else {
    event->ignore();
  }
}

// --- View options -----------------------------------------------------------------------------

void TVexaHex::TranslationSelectorChange(QObject* /*Sender*/) {
  const int index = TranslationSelector->ItemIndex();
  if (index < 0 || index >= static_cast<int>(std::size(kSelectorTranslations))) return;
  const int kind = kSelectorTranslations[index];
  if (kind == kNoTranslation) return;
  HexEditor->SetTranslation(static_cast<TKorHTranslationKind>(kind));
}

void TVexaHex::UnicodeCheckClick(QObject* /*Sender*/) { HexEditor->SetUnicodeChars(UnicodeCheck->Checked()); }

void TVexaHex::UnicodeBigEndianClick(QObject* /*Sender*/) {
  HexEditor->SetUnicodeBigEndian(UnicodeBigEndian->Checked());
}

void TVexaHex::DrawGridClick(QObject* /*Sender*/) { HexEditor->SetDrawGridLines(DrawGrid->Checked()); }

void TVexaHex::ShowRulerCheckClick(QObject* /*Sender*/) { HexEditor->SetShowRuler(ShowRulerCheck->Checked()); }

void TVexaHex::FontSizeSelectorChange(QObject* /*Sender*/) {
  HexEditor->Font()->SetSize(StrToInt(FontSizeSelector->Text()));
}

void TVexaHex::Hexadecimal1Click(QObject* /*Sender*/) { HexEditor->SetOffsetFormat(QStringLiteral("-!10:0x|")); }

void TVexaHex::Decimal1Click(QObject* /*Sender*/) { HexEditor->SetOffsetFormat(QStringLiteral("a:|")); }

void TVexaHex::Octal1Click(QObject* /*Sender*/) { HexEditor->SetOffsetFormat(QStringLiteral("0!8:o|")); }

void TVexaHex::TextSearchCheckClick(QObject* /*Sender*/) { TextSearchCheck->SetChecked(!TextSearchCheck->Checked()); }

}  // namespace vexa
