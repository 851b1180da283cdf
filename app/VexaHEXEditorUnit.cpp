#include "app/VexaHEXEditorUnit.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "app/AppVersion.h"
#include "platform/Forms.h"
#include "platform/StoredLayout.h"
#include "platform/SysUtils.h"

// The window's resources live in a static library: register them explicitly.
static void InitWindowResources() { Q_INIT_RESOURCE(VexaHEXEditorUnit); }

namespace vexa {

TVexaHex* VexaHex = nullptr;

namespace {

const QString kVersionPrefix = QStringLiteral("Vexa HEX Editor v");

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
  for (QStyle::StandardPixmap p : {QStyle::SP_DirOpenIcon, QStyle::SP_DialogSaveButton, QStyle::SP_FileDialogContentsView,
                                   QStyle::SP_DialogHelpButton, QStyle::SP_MessageBoxInformation}) {
    ImageList1->Add(style()->standardIcon(p));
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
  AdvShapeButton1->setText(QStringLiteral("V"));
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
  // The document commands (the "Exit" button, the status bar, the file browser, file drops,
  // "Save") and the view options (translation, Unicode, grid, ruler, font size, offset menu,
  // text search) are bound where their handlers are written.
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

}  // namespace vexa
