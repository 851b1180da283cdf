// The view options of the main window (translation, Unicode, grid, ruler, font size, offset
// menu), chosen through the real widgets offscreen.
#include "app/VexaHEXEditorUnit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <memory>

#include "TestSupport.h"

namespace vexa {
namespace {

class ViewOptions : public ::testing::Test {
protected:
  void SetUp() override {
    test::TakeShownExceptions();
    ASSERT_TRUE(dir.isValid());
    window = std::make_unique<TVexaHex>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->AdvOfficePager1->SetActivePageIndex(1);
  }
  void TearDown() override { EXPECT_EQ(test::TakeShownExceptions(), QStringList()); }

  void Load(int size) {
    const QString path = dir.filePath(QStringLiteral("data%1.bin").arg(size));
    test::WriteFile(path, test::Pattern(size));
    window->HexEditor->LoadFromFile(path);
  }

  // Opens the selector's list and clicks the item.
  static void Choose(TAdvOfficeSelector* selector, int index) {
    selector->showPopup();
    QAbstractItemView* view = selector->view();
    ASSERT_TRUE(view->isVisible());
    const QRect item = view->visualRect(view->model()->index(index, 0));
    ASSERT_TRUE(item.isValid());
    // Items may be wider than a narrow list: click inside the visible part.
    const QPoint inside(view->viewport()->width() / 2, item.center().y());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, inside);
    ASSERT_EQ(selector->ItemIndex(), index);
  }

  // Right-clicks the control and picks the item of the menu that opens.
  void ChooseOffsetItem(TMenuItem* item) {
    QWidget* viewport = window->HexEditor->viewport();
    const QPoint at(viewport->width() / 2, viewport->height() / 2);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &request);
    TAdvPopupMenu* menu = window->OffsetPopUp;
    ASSERT_TRUE(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    EXPECT_FALSE(menu->isVisible());
  }

  // Clicks a check box on its box (the widget may be wider than its caption).
  static void Click(TAdvOfficeCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
  }

  QTemporaryDir dir;
  std::unique_ptr<TVexaHex> window;
};

TEST_F(ViewOptions, TranslationSelectorItemsMapToTheirTranslations) {
  struct Case {
    int index;
    TKorHTranslationKind expected;
  } cases[] = {
      {1, tkASCII}, {2, tkDos8}, {3, tkMac}, {4, tkBCD},
      {5, tkBCD},  // "Custom" leaves the translation as it was
      {0, tkAsIs}, {5, tkAsIs},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    Choose(window->TranslationSelector, c.index);
    EXPECT_EQ(window->HexEditor->Translation(), c.expected);
  }
}

TEST_F(ViewOptions, UnicodeIsRefusedForAnOddSizedFileAndTheBoxStaysChecked) {
  Load(3);
  Click(window->UnicodeCheck);
  EXPECT_EQ(test::TakeShownExceptions(), QStringList({"Cannot use unicode mode with odd-sized files"}));
  EXPECT_TRUE(window->UnicodeCheck->Checked());
  EXPECT_FALSE(window->HexEditor->UnicodeChars());
  EXPECT_EQ(window->HexEditor->BytesPerUnit(), 1);
}

TEST_F(ViewOptions, InUnicodeModeOnlyAsIsIsAccepted) {
  Load(4);
  Click(window->UnicodeCheck);
  ASSERT_TRUE(window->HexEditor->UnicodeChars());
  EXPECT_EQ(window->HexEditor->BytesPerUnit(), 2);
  Click(window->UnicodeBigEndian);
  EXPECT_TRUE(window->HexEditor->UnicodeBigEndian());

  Choose(window->TranslationSelector, 2);  // "DOS 8bit"
  EXPECT_EQ(test::TakeShownExceptions(), QStringList({"Translations cannot be used in unicode mode"}));
  EXPECT_EQ(window->TranslationSelector->Text(), QStringLiteral("DOS 8bit"));
  EXPECT_EQ(window->HexEditor->Translation(), tkAsIs);

  Click(window->UnicodeCheck);
  EXPECT_FALSE(window->HexEditor->UnicodeChars());
  Click(window->UnicodeBigEndian);
  EXPECT_FALSE(window->HexEditor->UnicodeBigEndian());
}

TEST_F(ViewOptions, GridAndRulerBoxesFollowTheirCheckedState) {
  struct Case {
    TAdvOfficeCheckBox* box;
    std::function<bool()> value;
  } cases[] = {
      {window->DrawGrid, [&] { return window->HexEditor->DrawGridLines(); }},
      {window->ShowRulerCheck, [&] { return window->HexEditor->ShowRuler(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box->objectName().toStdString());
    ASSERT_FALSE(c.value());
    Click(c.box);
    EXPECT_TRUE(c.value());
    Click(c.box);
    EXPECT_FALSE(c.value());
  }
}

TEST_F(ViewOptions, FontSizeSetsThePointSizeAndRemeasuresTheGrid) {
  Load(64);
  ASSERT_EQ(window->HexEditor->Font()->Size(), 10);
  const int narrow = window->HexEditor->CharWidth();
  const int firstHex = window->HexEditor->ColWidths(2);
  Choose(window->FontSizeSelector, 5);  // "13"
  EXPECT_EQ(window->HexEditor->Font()->Size(), 13);
  EXPECT_GT(window->HexEditor->CharWidth(), narrow);
  EXPECT_EQ(window->HexEditor->ColWidths(2), window->HexEditor->CharWidth());
  EXPECT_GT(window->HexEditor->ColWidths(2), firstHex);
  Choose(window->FontSizeSelector, 0);  // "8"
  EXPECT_EQ(window->HexEditor->Font()->Size(), 8);
  EXPECT_LT(window->HexEditor->CharWidth(), narrow);
}

TEST_F(ViewOptions, OffsetMenuOnTheControlSetsTheFormatAndRemeasuresTheGutter) {
  Load(64);
  const int hexWidth = window->HexEditor->ColWidths(0);
  struct Case {
    TMenuItem* item;
    const char* format;
  } cases[] = {
      {window->Decimal1, "a:|"},
      {window->Octal1, "0!8:o|"},
      {window->Hexadecimal1, "-!10:0x|"},
  };
  int previous = hexWidth;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    ChooseOffsetItem(c.item);
    EXPECT_EQ(window->HexEditor->OffsetFormat(), QString::fromLatin1(c.format));
    const int width = window->HexEditor->ColWidths(0);
    EXPECT_NE(width, previous) << "the gutter keeps the width of the previous format";
    previous = width;
  }
  EXPECT_EQ(previous, hexWidth);
}

TEST_F(ViewOptions, TextSearchBoxTurnsItsOwnClickBack) {
  window->TextSearchCheck->click();
  EXPECT_FALSE(window->TextSearchCheck->Checked());
  window->TextSearchCheck->SetChecked(true);
  window->TextSearchCheck->click();
  EXPECT_TRUE(window->TextSearchCheck->Checked());
}

}  // namespace
}  // namespace vexa
