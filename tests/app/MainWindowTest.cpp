// The main window right after start, its version texts and the about dialog (offscreen).
#include "app/VexaHEXEditorUnit.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <memory>

#include "TestSupport.h"
#include "app/AppVersion.h"
#include "platform/StoredLayout.h"
#include "platform/SysUtils.h"

namespace vexa {
namespace {

class MainWindow : public ::testing::Test {
protected:
  void SetUp() override {
    test::TakeShownExceptions();
    window = std::make_unique<TVexaHex>();
  }
  void TearDown() override { EXPECT_EQ(test::TakeShownExceptions(), QStringList()); }

  void Show() {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  // Executes the about action and returns what its dialog showed; the dialog is closed
  // with its OK button as soon as it is up.
  QStringList RunAbout(const std::function<void()>& trigger) {
    QStringList seen;
    QTimer::singleShot(0, [&] {
      QDialog* d = window->AdvTaskDialogEx1->Dialog();
      if (!d) return;
      seen << d->windowTitle();
      for (const char* name : {"Instruction", "Content", "Footer"}) {
        auto* label = d->findChild<QLabel*>(name);
        seen << (label ? label->text() : QStringLiteral("<missing>"));
      }
      d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    trigger();
    return seen;
  }

  std::unique_ptr<TVexaHex> window;
};

TEST_F(MainWindow, ComponentsInTheirOrderEachNamedAfterItsField) {
  const QStringList expected = {
      "AdvToolBarPager1", "AdvPage1", "AdvToolBarOfficeStyler1", "AdvToolBar1", "AdvShapeButton1",
      "AdvPreviewMenu1", "AdvPreviewMenuOfficeStyler1", "StatusBar", "AdvOfficeStatusBarOfficeStyler1",
      "AdvToolBar2", "AdvFormStyler1", "AdvAppStyler1", "TranslationSelector", "JvDragDrop1", "AdvOfficePager1",
      "AdvOfficePager11", "AdvOfficePager12", "AdvOfficePagerOfficeStyler1", "HexEditor", "DirectoryListBoxEx1",
      "DriveComboBoxEx1", "FileListBoxEx1", "Label1", "HashManager1", "AdvTaskDialogEx1", "ActionList1", "About",
      "DDACheck", "AdvToolPanelTab1", "AdvToolPanel1", "AdvPanelStyler1", "AdvPanel1", "SaveButton", "SelectFile",
      "FontSizeSelector", "Label2", "AdvMenuOfficeStyler1", "FileOptionsPopUp", "OffsetPopUp", "Decimal1",
      "Hexadecimal1", "Octal1", "UnicodeCheck", "UnicodeBigEndian", "DrawGrid", "ShowRulerCheck", "DriveList",
      "AdvToolPanel2", "TreeList1", "AdvToolBar3", "SearchEdit", "SearchButton", "SearchNextButton",
      "TextSearchCheck", "IgnoreCaseCheck", "ImageList1"};
  QStringList names;
  for (const auto& [name, component] : window->Components()) {
    names << name;
    ASSERT_NE(component, nullptr) << name.toStdString();
    EXPECT_EQ(component->objectName(), name);
  }
  EXPECT_EQ(names, expected);
}

TEST_F(MainWindow, StateRightAfterStart) {
  Show();
  EXPECT_EQ(window->size(), QSize(640, 483));
  EXPECT_EQ(window->AdvOfficePager1->ActivePageIndex(), 0);
  EXPECT_EQ(window->AdvOfficePager1->ActivePage(), window->AdvOfficePager11);
  EXPECT_TRUE(window->AdvOfficePager11->isVisible());
  EXPECT_FALSE(window->AdvOfficePager12->isVisible());
  EXPECT_EQ(window->AdvOfficePager1->tabText(0), QStringLiteral("File Browser"));
  EXPECT_EQ(window->AdvOfficePager1->tabText(1), QStringLiteral("Editor"));

  EXPECT_EQ(window->AdvPage1->Caption(), QStringLiteral("HEX Editor Options"));
  EXPECT_TRUE(window->AdvToolBar2->isVisible());
  EXPECT_TRUE(window->AdvToolBar1->isVisible());
  EXPECT_FALSE(window->AdvToolBar3->isVisible());
  EXPECT_EQ(window->AdvToolBar2->Caption(), QStringLiteral("Appearance"));
  EXPECT_EQ(window->AdvToolBar1->Caption(), QStringLiteral("Options"));
  EXPECT_EQ(window->AdvToolBar3->Caption(), QStringLiteral("Search"));

  ASSERT_EQ(window->StatusBar->PanelCount(), 3);
  EXPECT_EQ(window->StatusBar->Panels(0)->Text(), QStringLiteral("Read Only"));
  EXPECT_EQ(window->StatusBar->Panels(1)->Text(), QStringLiteral("Information"));
  EXPECT_EQ(window->StatusBar->Panels(2)->Text(), QString());
  EXPECT_TRUE(window->StatusBar->Panels(0)->isVisible());

  EXPECT_FALSE(window->SaveButton->isEnabled());
  EXPECT_EQ(window->SaveButton->Caption(), QStringLiteral("Save"));
  EXPECT_FALSE(window->DDACheck->isEnabled());
  EXPECT_EQ(window->DDACheck->Caption(), QStringLiteral("Direct Disk Access"));
  EXPECT_EQ(window->SelectFile->Caption(), QStringLiteral("Select File"));

  EXPECT_EQ(window->TranslationSelector->Text(), QStringLiteral("As Is (Windows)"));
  EXPECT_EQ(window->TranslationSelector->Items(),
            QStringList({"As Is (Windows)", "ASCII", "DOS 8bit", "MAC", "EBC", "Custom"}));
  EXPECT_EQ(window->FontSizeSelector->Text(), QStringLiteral("10"));
  EXPECT_EQ(window->FontSizeSelector->Items(), QStringList({"8", "9", "10", "11", "12", "13"}));

  for (TAdvOfficeCheckBox* box : {window->ShowRulerCheck, window->DrawGrid, window->UnicodeCheck, window->UnicodeBigEndian,
                                  window->TextSearchCheck, window->IgnoreCaseCheck, window->DDACheck}) {
    EXPECT_FALSE(box->Checked()) << box->objectName().toStdString();
  }
  // The view starts read-only, matching "Read Only" and the disabled "Save".
  EXPECT_TRUE(window->HexEditor->ReadOnlyView());
}

TEST_F(MainWindow, StatusPanelsAsLaidOut) {
  struct Row {
    TAlignment alignment;
    TPanelAppearanceStyle style;
    bool button;
    int width;
  } rows[] = {{taCenter, psDark, true, 120}, {taCenter, psDark, true, 80}, {taLeftJustify, psLight, false, 194}};
  for (int i = 0; i < 3; ++i) {
    const TAdvOfficeStatusPanel* p = window->StatusBar->Panels(i);
    EXPECT_EQ(p->Alignment(), rows[i].alignment) << i;
    EXPECT_EQ(p->AppearanceStyle(), rows[i].style) << i;
    EXPECT_EQ(p->Button(), rows[i].button) << i;
    EXPECT_EQ(p->Width(), rows[i].width) << i;
  }
}

TEST_F(MainWindow, MenusAndNonVisualComponents) {
  const TAdvPopupMenu& offsets = *window->OffsetPopUp;
  ASSERT_EQ(offsets.Count(), 3);
  EXPECT_EQ(offsets.Items(0), window->Hexadecimal1);
  EXPECT_EQ(offsets.Items(1), window->Decimal1);
  EXPECT_EQ(offsets.Items(2), window->Octal1);
  EXPECT_EQ(window->Hexadecimal1->Caption(), QStringLiteral("Hexadecimal"));
  EXPECT_EQ(window->Decimal1->Caption(), QStringLiteral("Decimal"));
  EXPECT_EQ(window->Octal1->Caption(), QStringLiteral("Octal"));

  const TAdvStickyPopupMenu& file = *window->FileOptionsPopUp;
  ASSERT_EQ(file.ButtonCount(), 2);
  EXPECT_EQ(file.Buttons(0)->Caption(), QStringLiteral("Select File"));
  EXPECT_EQ(file.Buttons(1)->Caption(), QStringLiteral("Information"));
  QStringList items;
  for (int i = 0; i < file.Count(); ++i) items << file.Items(i)->Caption();
  EXPECT_EQ(items, QStringList({"Hash (SHA-1)", "Hash (MD5)", "-", "Create Patch", "Apply Patch"}));
  EXPECT_TRUE(file.Items(2)->isSeparator());

  const TAdvPreviewMenu& app = *window->AdvPreviewMenu1;
  ASSERT_EQ(app.MenuItems.size(), 2u);
  EXPECT_EQ(app.MenuItems[0].Caption, QStringLiteral("File"));
  EXPECT_FALSE(app.MenuItems[0].CanSelect);
  ASSERT_EQ(app.MenuItems[0].SubItems.size(), 2u);
  EXPECT_EQ(app.MenuItems[0].SubItems[0].Caption, QStringLiteral("Save"));
  EXPECT_EQ(app.MenuItems[0].SubItems[1].Caption, QStringLiteral("Save As..."));
  EXPECT_EQ(app.MenuItems[1].Caption, QStringLiteral("Help"));
  EXPECT_FALSE(app.MenuItems[1].CanSelect);
  ASSERT_EQ(app.MenuItems[1].SubItems.size(), 1u);
  EXPECT_EQ(app.MenuItems[1].SubItems[0].Action, window->About);
  ASSERT_EQ(app.Buttons.size(), 1u);
  EXPECT_EQ(app.Buttons[0].Caption, QStringLiteral("Exit"));

  EXPECT_EQ(window->About->Caption(), QStringLiteral("About..."));
  EXPECT_EQ(window->About->ImageIndex(), 4);
  EXPECT_LT(window->About->ImageIndex(), window->ImageList1->Count());
  EXPECT_EQ(window->ImageList1->Width(), 32);
  EXPECT_EQ(window->HashManager1->Algorithm(), QStringLiteral("THash_RipeMD256"));
  EXPECT_EQ(window->JvDragDrop1->DropTarget(), window.get());
  EXPECT_EQ(window->AdvToolPanel1->Caption(), QStringLiteral("Drive"));
  EXPECT_EQ(window->AdvToolPanel2->Caption(), QStringLiteral("File"));
  EXPECT_EQ(window->AdvToolPanelTab1->PanelCount(), 2);
  EXPECT_TRUE(window->DriveList->isHeaderHidden());
  EXPECT_EQ(window->TreeList1->columnWidth(1), 150);
}

TEST_F(MainWindow, CaptionAndFooterShowTheSameVersionTextOnceShown) {
  // Before the window is shown: the stored texts.
  EXPECT_EQ(window->AdvToolBarPager1->Caption(), QStringLiteral("Vexa Hex Editor"));
  EXPECT_EQ(window->AdvTaskDialogEx1->Footer(), QStringLiteral("Version"));
  Show();
  const QString caption = window->AdvToolBarPager1->Caption();
  EXPECT_EQ(caption, QStringLiteral("Vexa HEX Editor v") + GetAppVersion());
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^Vexa HEX Editor v\\d+\\.\\d+\\.\\d+\\.\\d+$")).match(caption).hasMatch())
      << caption.toStdString();
  EXPECT_EQ(window->AdvTaskDialogEx1->Footer(), caption);
  EXPECT_EQ(window->AdvToolBarPager1->CaptionLabel()->text(), caption);
}

TEST_F(MainWindow, AboutShowsTheSameDialogEveryTime) {
  Show();
  const QString version = QStringLiteral("Vexa HEX Editor v") + GetAppVersion();
  const QStringList expected = {"About...", "Vexa Hex Editor", "Advanced Hex Viewer and Editor", version};
  EXPECT_EQ(RunAbout([&] { window->About->Execute(); }), expected);
  EXPECT_EQ(RunAbout([&] { window->About->Execute(); }), expected);
  // Through the application menu: "Help", then its "About..." entry.
  window->AdvShapeButton1->click();
  ASSERT_TRUE(window->AdvPreviewMenu1->isVisible());
  window->AdvPreviewMenu1->findChild<QToolButton*>("PreviewMenuItem1")->click();
  auto* about = window->AdvPreviewMenu1->findChild<QToolButton*>("PreviewMenuSubItem0");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->text(), QStringLiteral("About..."));
  EXPECT_EQ(RunAbout([&] { about->click(); }), expected);
  EXPECT_EQ(window->AdvTaskDialogEx1->ExecuteCount(), 3);
  EXPECT_FALSE(window->AdvPreviewMenu1->isVisible());
}

TEST_F(MainWindow, EntriesWithoutHandlersDoNothing) {
  Show();
  window->SearchButton->click();
  window->SearchNextButton->click();
  window->IgnoreCaseCheck->click();
  for (int i = 0; i < window->FileOptionsPopUp->Count(); ++i) window->FileOptionsPopUp->Items(i)->trigger();
  for (int i = 0; i < window->FileOptionsPopUp->ButtonCount(); ++i) window->FileOptionsPopUp->Buttons(i)->click();
  window->AdvShapeButton1->click();
  window->AdvPreviewMenu1->findChild<QToolButton*>("PreviewMenuItem0")->click();
  window->AdvPreviewMenu1->findChild<QToolButton*>("PreviewMenuSubItem0")->click();  // "Save"
  EXPECT_EQ(window->AdvOfficePager1->ActivePageIndex(), 0);
  EXPECT_EQ(window->StatusBar->Panels(0)->Text(), QStringLiteral("Read Only"));
  EXPECT_EQ(window->StatusBar->Panels(2)->Text(), QString());
  EXPECT_FALSE(window->SaveButton->isEnabled());
  EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindow, StoredLayoutNamesOnlyComponentsAndReadsTheEditorSettings) {
  const QJsonObject layout = TVexaHex::StoredLayout();
  QStringList names;
  for (const auto& c : window->Components()) names << c.first;
  for (auto it = layout.begin(); it != layout.end(); ++it) EXPECT_TRUE(names.contains(it.key())) << it.key().toStdString();
  EXPECT_EQ(window->HexEditor->BytesPerRow(), 16);
  EXPECT_EQ(window->HexEditor->Font()->Name(), QStringLiteral("Courier New"));
  EXPECT_EQ(window->HexEditor->Font()->Height(), -13);
  EXPECT_EQ(window->HexEditor->BackupExtension(), QStringLiteral(".bak"));
  EXPECT_EQ(window->HexEditor->CursorId(), crIBeam);
  EXPECT_EQ(window->HexEditor->BorderStyle(), 0);
  EXPECT_EQ(window->HexEditor->Translation(), tkAsIs);
  EXPECT_EQ(window->HexEditor->OffsetFormat(), QStringLiteral("-!10:0x|"));

  struct Case {
    const char* json;
    const char* message;
  } cases[] = {
      {R"({"NoSuchThing":{}})", "Component NoSuchThing does not exist"},
      {R"({"HexEditor":{"NoSuchProperty":1}})", "HexEditor: Property NoSuchProperty does not exist"},
      {R"({"SaveButton":{"Caption":5}})", "SaveButton: Invalid value for property Caption: a string expected"},
      {R"({"About":3})", "Invalid stored layout for component About"},
  };
  for (const Case& c : cases) {
    try {
      window->ReadLayout(QJsonDocument::fromJson(c.json).object());
      ADD_FAILURE() << "no exception for " << c.json;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), QString::fromUtf8(c.message));
    }
  }
}

TEST_F(MainWindow, StoredLayoutGivesTheEditorItsColoursAndRenderingSettings) {
  // The stored colours, read into a set that holds none of them yet.
  TKorHColors colors;
  for (const char* name : {"Background", "ChangedBackground", "ChangedText", "CursorFrame", "Offset", "OddColumn",
                           "EvenColumn", "CurrentOffsetBackground", "OffsetBackGround", "CurrentOffset", "Grid",
                           "NonFocusCursorFrame", "ActiveFieldBackground"}) {
    colors.setProperty(name, clNone);
  }
  const QJsonObject stored = TVexaHex::StoredLayout().value("HexEditor").toObject();
  ReadStoredLayout(&colors, stored.value("Colors").toObject());
  const std::pair<TColor, TColor> expected[] = {
      {colors.Background(), clWindow},
      {colors.ChangedBackground(), 0xA8FFFF},  // red 255, green 255, blue 168
      {colors.ChangedText(), clMaroon},
      {colors.CursorFrame(), clNavy},
      {colors.Offset(), clBlack},
      {colors.OddColumn(), clBlue},
      {colors.EvenColumn(), clNavy},
      {colors.CurrentOffsetBackground(), clBtnShadow},
      {colors.OffsetBackGround(), clBtnFace},
      {colors.CurrentOffset(), clBtnHighlight},
      {colors.Grid(), clBtnFace},
      {colors.NonFocusCursorFrame(), clAqua},
      {colors.ActiveFieldBackground(), clWindow},
  };
  for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(expected[i].first, expected[i].second) << i;
  EXPECT_EQ(window->HexEditor->Colors()->ChangedBackground(), 0xA8FFFF);

  EXPECT_TRUE(window->HexEditor->FocusFrame());
  EXPECT_FALSE(window->HexEditor->DrawGridLines());
  EXPECT_TRUE(window->HexEditor->GraySelectionIfNotFocused());
  EXPECT_TRUE(window->HexEditor->ReadOnlyView());
}

TEST_F(MainWindow, WindowAndApplicationButtonCarryTheIcon) {
  EXPECT_FALSE(window->windowIcon().isNull());
  EXPECT_FALSE(window->AdvShapeButton1->icon().isNull());
  EXPECT_EQ(window->AdvShapeButton1->text(), QString());
  // The image strip: file, save, view, help, about, each 32 x 32 and drawn.
  ASSERT_EQ(window->ImageList1->Count(), 5);
  for (int i = 0; i < 5; ++i) {
    const QImage image = window->ImageList1->Icon(i).pixmap(32, 32).toImage();
    EXPECT_EQ(image.size(), QSize(32, 32)) << i;
    EXPECT_GT(qAlpha(image.pixel(16, 16)), 0) << i;
  }
}

}  // namespace
}  // namespace vexa
