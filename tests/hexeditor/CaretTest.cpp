// The system caret of the control: glyph shape per kind, its life with the focus, and its
// placement after cell moves, scrolling, resizing and font changes.

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

#include "EditorFixture.h"
#include "TestSupport.h"
#include "hexeditor/KorHexEditorEx.h"

namespace vexa {
namespace {

constexpr QPoint kOffScreen(-50, -50);

class CaretTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::TakeShownExceptions();
    ASSERT_TRUE(Dir.isValid());
    E = new TKorHexEditorEx;
    E->SetScrollBars(ssNone);
    // The control starts unfocused; tests focus it when they need to.
    ASSERT_NO_FATAL_FAILURE(test::BuildEditorWindow(E, Window, Other, /*focusEditor=*/false));
    test::WriteFile(Dir.filePath("d.bin"), test::Pattern(4096));
    E->LoadFromFile(Dir.filePath("d.bin"));
  }
  void TearDown() override {
    Window.reset();
    EXPECT_EQ(CaretOwner(), nullptr) << "the caret goes with its control";
    EXPECT_TRUE(test::TakeShownExceptions().isEmpty());
  }
  void Focus(bool on) {
    if (on)
      E->setFocus();
    else
      Other->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(E->Focused(), on);
  }
  QPoint CurrentCellCorner() const { return E->CellRect(E->Col(), E->Row()).topLeft(); }
  // The white (inverting) part of the glyph as one rectangle; empty when the white pixels do
  // not form exactly one.
  static QRect WhiteBox(const QImage& glyph) {
    QRect box;
    int white = 0;
    for (int y = 0; y < glyph.height(); ++y)
      for (int x = 0; x < glyph.width(); ++x)
        if (qGray(glyph.pixel(x, y)) >= 128) {
          box |= QRect(x, y, 1, 1);
          ++white;
        }
    return white == box.width() * box.height() ? box : QRect();
  }
  QImage Render() {
    QImage image(E->viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    E->viewport()->render(&image);
    return image;
  }

  QTemporaryDir Dir;
  std::unique_ptr<QWidget> Window;
  TKorHexEditorEx* E = nullptr;
  QWidget* Other = nullptr;
};

struct ShapeCase {
  const char* name;
  TKorHCaretKind kind;
  bool insertFlag;
  bool readOnly;
  enum { Full, Left, Bottom } shape;
};

TEST_F(CaretTest, GlyphShapePerKind) {
  const ShapeCase cases[] = {
      {"full", ckFull, false, false, ShapeCase::Full},
      {"full ignores insert", ckFull, true, false, ShapeCase::Full},
      {"left", ckLeft, false, false, ShapeCase::Left},
      {"bottom", ckBottom, false, false, ShapeCase::Bottom},
      {"auto overwrite", ckAuto, false, false, ShapeCase::Full},
      {"auto insert", ckAuto, true, false, ShapeCase::Left},
      {"auto read-only", ckAuto, false, true, ShapeCase::Bottom},
      {"auto read-only with the insert flag", ckAuto, true, true, ShapeCase::Bottom},
  };
  Focus(true);
  for (const ShapeCase& k : cases) {
    E->SetReadOnlyView(false);
    E->SetInsertMode(k.insertFlag);
    E->SetReadOnlyView(k.readOnly);
    E->SetCaretKind(k.kind);
    ASSERT_EQ(E->StoredInsertMode(), k.insertFlag) << k.name;
    // Rebuild for this state whatever was set before.
    Focus(false);
    Focus(true);
    const QImage& glyph = E->CaretGlyph();
    const int w = E->CharWidth(), h = E->CharHeight() - 2;
    ASSERT_EQ(glyph.size(), QSize(w, h)) << k.name;
    const QRect expected = k.shape == ShapeCase::Full   ? QRect(0, 0, w, h)
                           : k.shape == ShapeCase::Left ? QRect(0, 0, 2, h)
                                                        : QRect(0, h - 2, w, 2);
    EXPECT_EQ(WhiteBox(glyph), expected) << k.name;
    EXPECT_EQ(CaretRect().size(), QSize(w, h)) << k.name;
  }
}

TEST_F(CaretTest, CaretLivesWhileFocused) {
  EXPECT_NE(CaretOwner(), E);
  Focus(true);
  EXPECT_EQ(CaretOwner(), E);
  EXPECT_TRUE(CaretVisible());
  EXPECT_EQ(GetCaretPos(), CurrentCellCorner());

  E->SetSelecting(true);
  Focus(false);
  EXPECT_EQ(CaretOwner(), nullptr);
  EXPECT_FALSE(E->Selecting()) << "losing the focus ends a selection gesture";

  // Moves without the focus leave no caret behind; the next focus finds the new cell.
  E->MoveCaretToPos(37, true);
  EXPECT_EQ(CaretOwner(), nullptr);
  Focus(true);
  EXPECT_EQ(GetCaretPos(), CurrentCellCorner());
}

TEST_F(CaretTest, AutoGlyphFollowsInsertModeAndReadOnlyViewWhileFocused) {
  Focus(true);
  E->MoveCaretToPos(20, false);
  const QPoint at = GetCaretPos();
  const int h = E->CharHeight() - 2;
  E->SetInsertMode(true);
  EXPECT_EQ(WhiteBox(E->CaretGlyph()), QRect(0, 0, 2, h));
  EXPECT_EQ(GetCaretPos(), at) << "rebuilding keeps the caret in place";
  EXPECT_TRUE(CaretVisible());
  E->SetReadOnlyView(true);
  EXPECT_EQ(WhiteBox(E->CaretGlyph()), QRect(0, h - 2, E->CharWidth(), 2));
  E->SetReadOnlyView(false);
  E->SetInsertMode(false);
  EXPECT_EQ(WhiteBox(E->CaretGlyph()), QRect(0, 0, E->CharWidth(), h));

  E->SetCaretKind(ckFull);
  E->SetInsertMode(true);
  EXPECT_EQ(WhiteBox(E->CaretGlyph()), QRect(0, 0, E->CharWidth(), h)) << "a fixed kind ignores the mode";
}

TEST_F(CaretTest, CaretKindChangeMovesTheCaretAwayUntilTheNextPlacement) {
  Focus(true);
  E->MoveCaretToPos(20, false);
  E->SetCaretKind(ckBottom);
  EXPECT_EQ(GetCaretPos(), kOffScreen);
  EXPECT_EQ(WhiteBox(E->CaretGlyph()).height(), 2);
  E->MoveCaretToPos(21, false);
  EXPECT_EQ(GetCaretPos(), CurrentCellCorner());

  Focus(false);
  E->SetCaretKind(ckLeft);  // unfocused: stored only
  EXPECT_EQ(CaretOwner(), nullptr);
  Focus(true);
  EXPECT_EQ(WhiteBox(E->CaretGlyph()).width(), 2);
}

TEST_F(CaretTest, FontChangeResizesTheGlyph) {
  Focus(true);
  const QSize before = E->CaretGlyph().size();
  E->Font()->SetSize(E->Font()->Size() + 6);
  ASSERT_GT(E->CharWidth(), before.width());
  EXPECT_EQ(E->CaretGlyph().size(), QSize(E->CharWidth(), E->CharHeight() - 2));
  EXPECT_EQ(CaretRect().size(), E->CaretGlyph().size());
  EXPECT_EQ(GetCaretPos(), CurrentCellCorner());
}

TEST_F(CaretTest, ScrollingAndResizingReplaceTheCaret) {
  Focus(true);
  E->MoveCaretToPos(3 * 16, false);
  const int row = E->Row();
  E->SetTopRow(row + 5);
  EXPECT_EQ(GetCaretPos(), kOffScreen) << "the caret cell scrolled out of view";
  E->SetTopRow(row - 1);
  EXPECT_EQ(GetCaretPos(), CurrentCellCorner());

  SetCaretPos(1, 1);
  Window->resize(700, 260);
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(E);
  EXPECT_EQ(GetCaretPos(), CurrentCellCorner());
}

TEST_F(CaretTest, ActiveFieldFollowsTheCaretOnlyWhileFocused) {
  EXPECT_TRUE(E->ActiveCharField());
  Focus(true);
  EXPECT_FALSE(E->ActiveCharField()) << "the caret starts in the hex field";
  E->SetCaretInCharField(true);
  EXPECT_TRUE(E->ActiveCharField());
  Focus(false);
  E->SetCaretInCharField(false);
  EXPECT_TRUE(E->ActiveCharField());
  Focus(true);
  EXPECT_FALSE(E->ActiveCharField());
}

TEST_F(CaretTest, DrawnCaretInvertsOnlyTheGlyphsWhitePart) {
  E->SetCaretKind(ckLeft);
  Focus(true);
  E->MoveCaretToPos(20, false);
  const QRect cell = E->CellRect(E->Col(), E->Row());
  const QImage shown = Render();
  ASSERT_TRUE(HideCaret(E));
  const QImage hidden = Render();
  ShowCaret(E);
  const int h = E->CharHeight() - 2;
  for (int y = cell.top(); y < cell.top() + h; ++y) {
    for (int x = cell.left(); x < cell.left() + E->CharWidth(); ++x) {
      const QRgb a = shown.pixel(x, y), b = hidden.pixel(x, y);
      if (x < cell.left() + 2)
        EXPECT_EQ(a, b ^ 0x00FFFFFFu) << x - cell.left() << "," << y - cell.top();
      else
        EXPECT_EQ(a, b) << x - cell.left() << "," << y - cell.top();
    }
  }
  EXPECT_EQ(shown.pixel(cell.left(), cell.top() + h), hidden.pixel(cell.left(), cell.top() + h));
}

}  // namespace
}  // namespace vexa
