// Bookmarks: the keys that set, clear and recall them, jumps past the data, moving with
// insertions and removals through undo and redo, the glyphs in the offset column and the
// glyph strip's assignment rules.

#include <QApplication>
#include <QImage>
#include <QJsonObject>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

#include "EditorFixture.h"
#include "TestSupport.h"
#include "hexeditor/KorHexEditorEx.h"
#include "platform/StoredLayout.h"

namespace vexa {
namespace {

constexpr TColor kOffsetBack = RGB(200, 200, 200);
constexpr TColor kCurrentOffsetBack = RGB(100, 100, 100);

TColor Pixel(const QImage& image, int x, int y) { return QColorToColor(image.pixelColor(x, y)); }

class BookmarksTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::TakeShownExceptions();
    ASSERT_TRUE(Dir.isValid());
    E = new TKorHexEditorEx;
    E->SetScrollBars(ssNone);
    ASSERT_NO_FATAL_FAILURE(test::BuildEditorWindow(E, Window, Other, /*focusEditor=*/true));
    E->OnBookmarkChanged = [this](TCustomKorHexEditor* sender) {
      EXPECT_EQ(sender, E);
      ++Notifications;
    };
    Load(256);
  }
  void TearDown() override {
    Window.reset();
    EXPECT_TRUE(test::TakeShownExceptions().isEmpty());
  }

  void Load(int count) {
    Data = test::Pattern(count);
    test::WriteFile(Dir.filePath("d.bin"), Data);
    E->LoadFromFile(Dir.filePath("d.bin"));
  }

  // A digit key of the main keyboard with the character Qt delivers along with it.
  void Digit(int digit, Qt::KeyboardModifiers mods) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + digit, mods, QString(QChar('0' + digit)));
    QApplication::sendEvent(E, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_0 + digit, mods, QString(QChar('0' + digit)));
    QApplication::sendEvent(E, &release);
  }
  void SetKey(int digit) { Digit(digit, Qt::ControlModifier | Qt::ShiftModifier); }
  void GotoKey(int digit) { Digit(digit, Qt::ControlModifier); }

  std::vector<int32_t> Positions() const {
    std::vector<int32_t> out;
    for (int i = 0; i < TCustomKorHexEditor::BookmarkCount; ++i) out.push_back(E->Bookmark(i).Position);
    return out;
  }

  QImage Render() {
    QImage image(E->viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    E->viewport()->render(&image);
    return image;
  }

  // Compares the 10 x 10 area at (x, y) with a glyph drawn over the background colour.
  static bool ShowsGlyph(const QImage& img, int x, int y, const QImage& glyph, TColor background) {
    for (int gy = 0; gy < 10; ++gy)
      for (int gx = 0; gx < 10; ++gx) {
        const QColor g = glyph.pixelColor(gx, gy);
        const TColor want = g.alpha() == 0 ? background : QColorToColor(g);
        if (Pixel(img, x + gx, y + gy) != want) return false;
      }
    return true;
  }

  QTemporaryDir Dir;
  TKorHexEditorEx* E = nullptr;
  std::unique_ptr<QWidget> Window;
  QWidget* Other = nullptr;
  QByteArray Data;
  int Notifications = 0;
};

TEST_F(BookmarksTest, CtrlShiftDigitSetsMovesAndClearsABookmarkInEitherField) {
  E->MoveCaretToPos(100, false);
  SetKey(3);
  EXPECT_EQ(E->Bookmark(3).Position, 100);
  EXPECT_FALSE(E->Bookmark(3).InCharField);
  EXPECT_EQ(Notifications, 1);

  SetKey(3);  // the same place again clears it
  EXPECT_EQ(E->Bookmark(3).Position, -1);

  SetKey(3);
  E->MoveCaretToPos(100, true);
  SetKey(3);  // same position, other field: moved, not cleared
  EXPECT_EQ(E->Bookmark(3).Position, 100);
  EXPECT_TRUE(E->Bookmark(3).InCharField);

  E->MoveCaretToPos(200, false);
  SetKey(3);  // one bookmark per digit
  EXPECT_EQ(E->Bookmark(3).Position, 200);
  EXPECT_FALSE(E->Bookmark(3).InCharField);
  EXPECT_EQ(Notifications, 5);

  // The character delivered with the keys was typed nowhere.
  EXPECT_FALSE(E->Modified());
  QByteArray now(E->DataSize(), 0);
  E->ReadBuffer(now.data(), 0, now.size());
  EXPECT_EQ(now, Data);
  EXPECT_EQ(Positions(), (std::vector<int32_t>{-1, -1, -1, 200, -1, -1, -1, -1, -1, -1}));
}

TEST_F(BookmarksTest, OtherShiftStatesAndTheKeypadLeaveBookmarksAlone) {
  E->MoveCaretToPos(40, false);
  Digit(4, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  Digit(4, Qt::ControlModifier | Qt::ShiftModifier | Qt::KeypadModifier);
  EXPECT_EQ(E->Bookmark(4).Position, -1);
  EXPECT_EQ(Notifications, 0);
}

TEST_F(BookmarksTest, ASwallowedBookmarkKeyStillTypesNothing) {
  E->OnKeyDown = [](QObject*, uint16_t& key, TShiftState) { key = 0; };
  E->MoveCaretToPos(40, false);
  SetKey(4);
  GotoKey(4);
  EXPECT_EQ(E->Bookmark(4).Position, -1);
  EXPECT_FALSE(E->Modified());
  E->OnKeyDown = nullptr;
  Digit(4, Qt::NoModifier);  // a plain digit is typed as before
  EXPECT_TRUE(E->Modified());
}

TEST_F(BookmarksTest, CtrlDigitJumpsToTheBookmarkFieldAndCancelsTheSelection) {
  E->SetBookmark(3, 100, true);
  E->MoveCaretToPos(10, false);
  E->SetSelection(10, 20);
  GotoKey(3);
  EXPECT_EQ(E->CaretPosition(), 100);
  EXPECT_TRUE(E->CaretInCharField());
  EXPECT_EQ(E->SelectionLength(), 0);
  EXPECT_FALSE(E->Modified());

  GotoKey(7);  // not set: nothing happens
  EXPECT_EQ(E->CaretPosition(), 100);
  EXPECT_FALSE(E->GotoBookmark(7));
  EXPECT_FALSE(E->GotoBookmark(10));
}

TEST_F(BookmarksTest, JumpPastTheDataClearsTheBookmark) {
  struct Case {
    int32_t position;
    bool insertMode;
    bool reached;
  };
  const Case cases[] = {{100, false, false}, {50, false, false}, {50, true, true}, {51, true, false}, {49, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.position << (c.insertMode ? " insert" : " overwrite"));
    Load(50);  // the table survives loading
    E->SetInsertMode(c.insertMode);
    E->MoveCaretToPos(0, false);
    E->SetBookmark(3, c.position, false);
    Notifications = 0;
    EXPECT_EQ(E->GotoBookmark(3), c.reached);
    EXPECT_EQ(E->CaretPosition(), c.reached ? c.position : 0);
    EXPECT_EQ(E->Bookmark(3).Position, c.reached ? c.position : -1);
    EXPECT_EQ(Notifications, c.reached ? 0 : 1);
    if (c.reached) E->SetBookmark(3, c.position, false);  // clear for the next case
  }
}

TEST_F(BookmarksTest, InvalidIndexIsRefusedAndChangesNothing) {
  E->SetBookmark(9, 5, false);
  Notifications = 0;
  EXPECT_EQ(test::MessageOf<EKorHexEditor>([&] { E->SetBookmark(10, 5, false); }), "Invalid bookmark index");
  EXPECT_EQ(test::MessageOf<EKorHexEditor>([&] { E->SetBookmark(255, 5, false); }), "Invalid bookmark index");
  EXPECT_EQ(Positions(), (std::vector<int32_t>{-1, -1, -1, -1, -1, -1, -1, -1, -1, 5}));
  EXPECT_EQ(Notifications, 0);
}

TEST_F(BookmarksTest, InsertionAndRemovalMoveBookmarksBehindTheChangeAndUndoBringsThemBack) {
  E->SetBookmark(0, 5, false);
  E->SetBookmark(1, 10, true);
  E->SetBookmark(2, 100, false);
  E->SetBookmark(3, 255, false);  // the last byte
  const std::vector<int32_t> before = Positions();

  Notifications = 0;
  const char four[4] = {1, 2, 3, 4};
  E->InsertBuffer(four, 4, 10, QString(), false);
  EXPECT_EQ(Positions(), (std::vector<int32_t>{5, 14, 104, 259, -1, -1, -1, -1, -1, -1}));
  EXPECT_TRUE(E->Bookmark(1).InCharField);
  EXPECT_EQ(Notifications, 1);
  E->Undo();
  EXPECT_EQ(Positions(), before);

  E->SetSelection(20, 39);
  E->DeleteSelection(QString());
  EXPECT_EQ(E->DataSize(), 236);
  EXPECT_EQ(Positions(), (std::vector<int32_t>{5, 10, 80, 235, -1, -1, -1, -1, -1, -1}));
  E->Undo();
  EXPECT_EQ(Positions(), before);

  // Redo puts back the table as it was just before the undo, whatever happened since.
  E->SetBookmark(0, 5, false);
  Notifications = 0;
  ASSERT_TRUE(E->Redo());
  EXPECT_GE(Notifications, 1);
  EXPECT_EQ(Positions(), (std::vector<int32_t>{5, 10, 80, 235, -1, -1, -1, -1, -1, -1}));
  EXPECT_TRUE(E->Bookmark(1).InCharField);
}

TEST_F(BookmarksTest, GlyphsAreDrawnInTheOffsetColumn) {
  TKorHColors& c = *E->Colors();
  c.SetOffsetBackGround(kOffsetBack);
  c.SetCurrentOffsetBackground(kCurrentOffsetBack);
  E->MoveCaretToPos(0, false);      // row 2 is the caret's row
  E->SetBookmark(0, 3, false);      // data row 0, hex field
  E->SetBookmark(1, 16, true);      // data row 1, character field
  E->SetBookmark(5, 40, false);     // data row 2: two bookmarks, the higher one shows
  E->SetBookmark(2, 33, false);
  const QImage img = Render();
  const std::vector<QImage>& glyphs = E->BookmarkImages();
  ASSERT_EQ(glyphs.size(), 20u);

  auto origin = [&](int row) {
    const QRect cell = E->CellRect(0, row);
    return QPoint(cell.left() + 3, cell.top() + (cell.height() - 10) / 2);
  };
  QPoint p = origin(2);
  EXPECT_TRUE(ShowsGlyph(img, p.x(), p.y(), glyphs[0], kCurrentOffsetBack));
  p = origin(3);
  EXPECT_TRUE(ShowsGlyph(img, p.x(), p.y(), glyphs[11], kOffsetBack));
  p = origin(4);
  EXPECT_TRUE(ShowsGlyph(img, p.x(), p.y(), glyphs[5], kOffsetBack));
  EXPECT_FALSE(ShowsGlyph(img, p.x(), p.y(), glyphs[2], kOffsetBack));
  // The colours themselves: transparent corners, a black border, the yellow half on the
  // left for the hex field and on the right for the character field.
  p = origin(2);
  EXPECT_EQ(Pixel(img, p.x(), p.y()), kCurrentOffsetBack);
  EXPECT_EQ(Pixel(img, p.x() + 4, p.y()), clBlack);
  EXPECT_EQ(Pixel(img, p.x() + 1, p.y() + 1), clYellow);
  EXPECT_EQ(Pixel(img, p.x() + 8, p.y() + 8), RGB(0xD0, 0xD0, 0xD0));
  p = origin(3);
  EXPECT_EQ(Pixel(img, p.x() + 1, p.y() + 1), RGB(0xD0, 0xD0, 0xD0));
  EXPECT_EQ(Pixel(img, p.x() + 8, p.y() + 8), clYellow);
  // Rows without bookmarks keep their plain background where a glyph would be.
  p = origin(5);
  EXPECT_EQ(Pixel(img, p.x() + 1, p.y() + 1), kOffsetBack);
}

TEST_F(BookmarksTest, BuiltInStripHoldsTwentyBorderedGlyphs) {
  const QImage& strip = E->BookmarkBitmap();
  ASSERT_EQ(strip.size(), QSize(200, 10));
  EXPECT_FALSE(E->HasCustomBookmarkBitmap());
  for (int g = 0; g < 20; ++g) {
    SCOPED_TRACE(g);
    const int x = g * 10;
    EXPECT_EQ(QColorToColor(strip.pixelColor(x, 0)), clRed);
    EXPECT_EQ(QColorToColor(strip.pixelColor(x + 9, 9)), clRed);
    EXPECT_EQ(QColorToColor(strip.pixelColor(x + 5, 0)), clBlack);
    EXPECT_EQ(QColorToColor(strip.pixelColor(x, 5)), clBlack);
    const TColor left = QColorToColor(strip.pixelColor(x + 1, 8));
    const TColor right = QColorToColor(strip.pixelColor(x + 8, 8));
    EXPECT_EQ(left, g < 10 ? clYellow : RGB(0xD0, 0xD0, 0xD0));
    EXPECT_EQ(right, g < 10 ? RGB(0xD0, 0xD0, 0xD0) : clYellow);
  }
  // Each digit has its own shape.
  for (int a = 0; a < 10; ++a)
    for (int b = a + 1; b < 10; ++b) EXPECT_NE(strip.copy(a * 10, 0, 10, 10), strip.copy(b * 10, 0, 10, 10)) << a << b;
}

TEST_F(BookmarksTest, BitmapAssignmentChecksTheSizeAndIsStoredOnlyWhenCustom) {
  const QImage builtIn = E->BookmarkBitmap();
  for (const QSize size : {QSize(100, 10), QSize(200, 11), QSize(10, 200), QSize(0, 0)}) {
    SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
    QImage wrong(size, QImage::Format_RGB32);
    wrong.fill(Qt::blue);
    EXPECT_EQ(test::MessageOf<EKorHexEditor>([&] { E->SetBookmarkBitmap(&wrong); }),
              "Invalid bookmark bitmap (must be 10 x 200 px)");
    EXPECT_EQ(E->BookmarkBitmap(), builtIn);
    EXPECT_FALSE(E->HasCustomBookmarkBitmap());
  }

  QImage custom(200, 10, QImage::Format_RGB32);
  custom.fill(Qt::white);
  for (int g = 0; g < 20; ++g) custom.setPixelColor(g * 10 + 4, 4, QColor(g, 0, 0));
  E->SetBookmarkBitmap(&custom);
  custom.fill(Qt::black);  // the control keeps its own copy
  EXPECT_TRUE(E->HasCustomBookmarkBitmap());
  ASSERT_EQ(E->BookmarkImages().size(), 20u);
  EXPECT_EQ(E->BookmarkImages()[7].pixelColor(4, 4), QColor(7, 0, 0));
  EXPECT_EQ(E->BookmarkImages()[7].pixelColor(0, 0).alpha(), 0);  // white, as the top-left pixel

  const QJsonObject stored = WriteStoredLayout(E);
  ASSERT_TRUE(stored.contains("BookmarkBitmap"));
  TKorHexEditorEx other;
  ReadStoredLayout(&other, QJsonObject{{"BookmarkBitmap", stored.value("BookmarkBitmap")}});
  EXPECT_TRUE(other.HasCustomBookmarkBitmap());
  EXPECT_EQ(other.BookmarkBitmap(), E->BookmarkBitmap());
  EXPECT_EQ(test::MessageOf([&] { ReadStoredLayout(&other, QJsonObject{{"BookmarkBitmap", "bm90IGEgcG5n"}}); }),
            "Invalid bookmark bitmap (must be 10 x 200 px)");

  E->SetBookmarkBitmap(nullptr);
  EXPECT_FALSE(E->HasCustomBookmarkBitmap());
  EXPECT_EQ(E->BookmarkBitmap(), builtIn);
  EXPECT_FALSE(WriteStoredLayout(E).contains("BookmarkBitmap"));
}

}  // namespace
}  // namespace vexa
