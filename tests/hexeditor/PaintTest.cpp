// The colour set and the painted picture: the control is rendered into an image on the
// offscreen platform and chosen pixels of chosen cells are compared with the colours the
// cell rules give.

#include <QApplication>
#include <QImage>
#include <QJsonObject>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "EditorFixture.h"
#include "TestSupport.h"
#include "hexeditor/KorHexEditorEx.h"
#include "platform/StoredLayout.h"

namespace vexa {
namespace {

constexpr TColor kWhite = RGB(255, 255, 255);
constexpr TColor kActive = RGB(220, 255, 220);
constexpr TColor kFrame = RGB(255, 0, 0);
constexpr TColor kNonFocusFrame = RGB(0, 200, 200);
constexpr TColor kGrid = RGB(0, 128, 0);
constexpr TColor kOffsetBack = RGB(200, 200, 200);
constexpr TColor kCurrentOffsetBack = RGB(100, 100, 100);
constexpr TColor kFontColor = RGB(128, 0, 128);

TColor Invert(TColor c) { return ColorToRGB(c) ^ 0xFFFFFF; }
TColor Gray(TColor c) {
  const TColor rgb = ColorToRGB(c);
  const int y = (74 * GetRValue(rgb) + 146 * GetGValue(rgb) + 36 * GetBValue(rgb)) / 256;
  return RGB(y, y, y);
}
TColor Pixel(const QImage& image, int x, int y) { return QColorToColor(image.pixelColor(x, y)); }

std::string Hex(TColor c) { return QString::number(ColorToRGB(c), 16).rightJustified(6, '0').toStdString(); }

// ---- the colour set --------------------------------------------------------------------------

TEST(KorHColors, DefaultsInPublishedOrder) {
  TKorHColors colors;
  const std::vector<std::pair<const char*, TColor>> expected = {
      {"Background", clWindow},
      {"ChangedBackground", 0xA8FFFF},
      {"ChangedText", clMaroon},
      {"CursorFrame", clNavy},
      {"Offset", clBlack},
      {"OddColumn", clBlue},
      {"EvenColumn", clNavy},
      {"CurrentOffsetBackground", clBtnShadow},
      {"OffsetBackGround", clBtnFace},
      {"CurrentOffset", clBtnHighlight},
      {"Grid", clBtnFace},
      {"NonFocusCursorFrame", clAqua},
      {"ActiveFieldBackground", clWindow},
  };
  const QMetaObject* mo = colors.metaObject();
  ASSERT_EQ(mo->propertyCount() - mo->propertyOffset(), int(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    const QMetaProperty p = mo->property(mo->propertyOffset() + int(i));
    EXPECT_STREQ(p.name(), expected[i].first);
    EXPECT_EQ(p.read(&colors).toInt(), expected[i].second) << expected[i].first;
  }
}

TEST(KorHColors, AssignCopiesAllColoursAndIgnoresForeignSources) {
  TKorHColors source, target;
  const QMetaObject* mo = source.metaObject();
  for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i)
    mo->property(i).write(&source, int(RGB(i, 2 * i, 3 * i)));
  int changes = 0;
  target.OnChange = [&](TKorHColors*) { ++changes; };
  target.Assign(&source);
  for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i)
    EXPECT_EQ(mo->property(i).read(&target).toInt(), RGB(i, 2 * i, 3 * i)) << mo->property(i).name();
  EXPECT_EQ(changes, 13);

  changes = 0;
  target.Assign(&source);  // nothing differs
  QObject foreign;
  target.Assign(&foreign);
  target.Assign(nullptr);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(target.Grid(), source.Grid());
}

class PaintTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::TakeShownExceptions();
    ASSERT_TRUE(Dir.isValid());
    E = new TKorHexEditorEx;
    E->SetScrollBars(ssNone);
    // The control starts unfocused; tests focus it when they need to.
    ASSERT_NO_FATAL_FAILURE(test::BuildEditorWindow(E, Window, Other, /*focusEditor=*/false));

    TKorHColors& c = *E->Colors();
    c.SetBackground(kWhite);
    c.SetActiveFieldBackground(kActive);
    c.SetCursorFrame(kFrame);
    c.SetNonFocusCursorFrame(kNonFocusFrame);
    c.SetGrid(kGrid);
    c.SetOffsetBackGround(kOffsetBack);
    c.SetCurrentOffsetBackground(kCurrentOffsetBack);
    c.SetCurrentOffset(kWhite);
    E->Font()->SetColor(kFontColor);
    E->SetFocusFrame(false);
  }
  void TearDown() override {
    Window.reset();
    EXPECT_TRUE(test::TakeShownExceptions().isEmpty());
  }

  // 64 bytes of 4Dh ('M': ink in both fields), four rows.
  void Load(int count = 64, char byte = 0x4D) {
    test::WriteFile(Dir.filePath("d.bin"), QByteArray(count, byte));
    E->LoadFromFile(Dir.filePath("d.bin"));
  }
  void Focus(bool on) {
    if (on)
      E->setFocus();
    else
      Other->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(E->Focused(), on);
  }
  QImage Render() {
    QImage image(E->viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    E->viewport()->render(&image);
    return image;
  }
  int Cw() const { return E->CharWidth(); }
  int HexCol(int pos, bool low = false) const { return 2 + 2 * (pos % E->BytesPerRow()) + (low ? 1 : 0); }
  int CharCol(int pos) const {
    return E->HexColumnCount() + 3 + (pos % E->BytesPerRow()) / (E->UnicodeChars() ? 2 : 1);
  }
  int RowOf(int pos) const { return pos / E->BytesPerRow() + 2; }

  // Below the baseline inside the text box: the text background.
  TColor TextBg(const QImage& img, int c, int r) {
    const QRect cell = E->CellRect(c, r);
    return Pixel(img, cell.left() + Cw() / 2, cell.bottom() - 2);
  }
  // The cell's last pixel column (beyond the text box for wide cells): the brush. In the
  // offset column, whose text is right-aligned and whose last pixel holds the gutter edge,
  // the first pixel column.
  TColor Brush(const QImage& img, int c, int r) {
    const QRect cell = E->CellRect(c, r);
    return Pixel(img, c == 0 ? cell.left() : cell.right(), cell.bottom() - 2);
  }
  // The text box pixel farthest from the text background: the text colour where the glyph
  // covers a whole pixel.
  TColor Ink(const QImage& img, int c, int r) {
    const QRect cell = E->CellRect(c, r);
    const QColor bg = img.pixelColor(cell.left() + Cw() / 2, cell.bottom() - 2);
    int best = -1;
    QColor ink = bg;
    for (int y = cell.top(); y < cell.bottom() - 2; ++y)
      for (int x = cell.left(); x < cell.left() + Cw(); ++x) {
        const QColor p = img.pixelColor(x, y);
        const int d = std::abs(p.red() - bg.red()) + std::abs(p.green() - bg.green()) + std::abs(p.blue() - bg.blue());
        if (d > best) best = d, ink = p;
      }
    return QColorToColor(ink);
  }
  static bool Near(TColor a, TColor b, int tolerance = 24) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
  }

  QTemporaryDir Dir;
  std::unique_ptr<QWidget> Window;
  TKorHexEditorEx* E = nullptr;
  QWidget* Other = nullptr;
};

TEST_F(PaintTest, ColorsPropertyKeepsItsObjectAndBackgroundIsTheControlColour) {
  TKorHColors* own = E->Colors();
  TKorHColors other;
  other.SetBackground(RGB(1, 2, 3));
  other.SetOddColumn(RGB(4, 5, 6));
  E->SetColors(&other);
  EXPECT_EQ(E->Colors(), own);
  EXPECT_EQ(own->OddColumn(), RGB(4, 5, 6));
  EXPECT_EQ(E->Color(), RGB(1, 2, 3));
  Load();
  const QImage img = Render();
  EXPECT_EQ(Pixel(img, img.width() - 1, img.height() - 1), RGB(1, 2, 3)) << "the strip beyond the grid";
}

TEST_F(PaintTest, StoredLayoutKeepsColoursAsANestedObject) {
  E->Colors()->SetGrid(RGB(9, 8, 7));
  E->SetCaretKind(ckBottom);
  E->SetDrawGridLines(true);
  const QJsonObject json = WriteStoredLayout(E);
  ASSERT_TRUE(json.value("Colors").isObject());
  EXPECT_EQ(json.value("Colors").toObject().value("Grid").toInt(), RGB(9, 8, 7));
  EXPECT_EQ(json.value("CaretKind").toInt(), int(ckBottom));

  TKorHexEditorEx copy;
  ReadStoredLayout(&copy, json);
  EXPECT_EQ(copy.Colors()->Grid(), RGB(9, 8, 7));
  EXPECT_EQ(copy.Colors()->Background(), kWhite);
  EXPECT_EQ(copy.CaretKind(), ckBottom);
  EXPECT_TRUE(copy.DrawGridLines());
  EXPECT_TRUE(copy.DrawGutter3D());
}

// ---- data cells -----------------------------------------------------------------------------------

struct GroupCase {
  int bytesPerColumn;
  int col;
  bool odd;  // first, third … group
};

TEST_F(PaintTest, HexDigitGroupsAlternateBetweenOddAndEvenColumnColours) {
  E->Colors()->SetOddColumn(clBlue);
  E->Colors()->SetEvenColumn(clNavy);
  Load();
  const GroupCase cases[] = {
      {2, 2, true}, {2, 5, true}, {2, 6, false}, {2, 9, false}, {2, 10, true},
      {1, 2, true}, {1, 3, true}, {1, 4, false}, {1, 5, false}, {1, 6, true},
  };
  for (const GroupCase& g : cases) {
    E->SetBytesPerColumn(g.bytesPerColumn);
    const QImage img = Render();
    const TColor ink = Ink(img, g.col, 3);
    EXPECT_TRUE(Near(ink, g.odd ? clBlue : clNavy))
        << "bytes per column " << g.bytesPerColumn << ", col " << g.col << ": " << Hex(ink);
  }
}

TEST_F(PaintTest, ActiveFieldFollowsTheCaretWhileFocused) {
  Load();
  // Unfocused from the start: the character field is the active one.
  QImage img = Render();
  EXPECT_TRUE(E->ActiveCharField());
  EXPECT_EQ(TextBg(img, CharCol(17), 3), kActive);
  EXPECT_EQ(TextBg(img, HexCol(17), 3), kWhite);

  Focus(true);  // the caret is on the first hex digit
  img = Render();
  EXPECT_FALSE(E->ActiveCharField());
  EXPECT_EQ(TextBg(img, HexCol(17), 3), kActive);
  EXPECT_EQ(Brush(img, HexCol(17, true), 3), kActive);
  EXPECT_EQ(TextBg(img, CharCol(17), 3), kWhite);
  EXPECT_TRUE(Near(Ink(img, CharCol(17), 3), kFontColor));
  // The last column of each field ends it with the plain background beyond its character.
  EXPECT_EQ(TextBg(img, E->LastHexCol(), 3), kActive);
  EXPECT_EQ(Brush(img, E->LastHexCol(), 3), kWhite);

  E->SetCaretInCharField(true);
  img = Render();
  EXPECT_TRUE(E->ActiveCharField());
  EXPECT_EQ(TextBg(img, HexCol(17), 3), kWhite);
  EXPECT_EQ(TextBg(img, CharCol(17), 3), kActive);
  EXPECT_EQ(Brush(img, CharCol(17), 3), kActive);
  EXPECT_EQ(Brush(img, E->ColCount() - 1, 3), kWhite);
}

TEST_F(PaintTest, ChangedBytesAndSelectionColours) {
  Load();
  Focus(true);
  E->MoveCaretToPos(40, false);  // away from the bytes sampled
  const TColor changedBg = E->Colors()->ChangedBackground();
  const TColor changedText = E->Colors()->ChangedText();
  E->SetByteChanged(18, true);
  E->SetByteChanged(19, true);
  E->SetSelection(19, 21);
  const QImage img = Render();
  // Changed only.
  EXPECT_EQ(TextBg(img, HexCol(18), 3), changedBg);
  EXPECT_TRUE(Near(Ink(img, HexCol(18), 3), changedText));
  EXPECT_EQ(TextBg(img, CharCol(18), 3), changedBg);
  // Changed and selected: both inverted; the brush of the active field inverted too.
  EXPECT_EQ(TextBg(img, HexCol(19), 3), Invert(changedBg));
  EXPECT_TRUE(Near(Ink(img, HexCol(19), 3), Invert(changedText)));
  EXPECT_EQ(Brush(img, HexCol(19, true), 3), Invert(kActive)) << "byte 19 ends a column group";
  // Selected only, in the inactive field.
  EXPECT_EQ(TextBg(img, CharCol(20), 3), Invert(kWhite));
  EXPECT_EQ(Brush(img, CharCol(20), 3), Invert(kWhite));
  // The selection's last byte keeps its brush beyond the character.
  EXPECT_EQ(TextBg(img, HexCol(21, true), 3), Invert(kActive));
  EXPECT_EQ(Brush(img, HexCol(21, true), 3), kActive);
  EXPECT_EQ(Brush(img, CharCol(21), 3), kWhite);
  // Not selected.
  EXPECT_EQ(TextBg(img, HexCol(22), 3), kActive);
}

TEST_F(PaintTest, InsertModeShowsNoChangedBytes) {
  Load();
  E->SetByteChanged(18, true);
  E->SetSelection(18, 18);
  E->SetInsertMode(true);
  ASSERT_TRUE(E->InsertMode());
  const QImage img = Render();
  EXPECT_EQ(TextBg(img, HexCol(18), 3), Invert(kWhite));
  EXPECT_TRUE(Near(Ink(img, HexCol(18), 3), Invert(E->Colors()->EvenColumn()))) << "byte 18 is in the second column group";
}

TEST_F(PaintTest, UnfocusedSelectionCanBeHiddenOrGrey) {
  Load();
  E->SetSelection(18, 21);
  Focus(false);
  const int c = CharCol(19), r = 3;  // the active (character) field while unfocused
  QImage img = Render();
  EXPECT_EQ(TextBg(img, c, r), Invert(kActive));

  E->SetGraySelectionIfNotFocused(true);
  img = Render();
  EXPECT_EQ(TextBg(img, c, r), Gray(Invert(kActive)));
  EXPECT_TRUE(Near(Ink(img, c, r), Gray(Invert(kFontColor))));
  EXPECT_EQ(Brush(img, c, r), Invert(kActive)) << "the brush stays inverted, not grey";

  E->SetHideSelection(true);
  img = Render();
  EXPECT_EQ(TextBg(img, c, r), kActive);
  EXPECT_EQ(Brush(img, c, r), kActive);

  Focus(true);  // focused: neither setting applies
  img = Render();
  EXPECT_EQ(TextBg(img, HexCol(19), r), Invert(kActive));
}

// ---- cursor frames ---------------------------------------------------------------------------------

class FrameTest : public PaintTest {
protected:
  // Whether the outline of r (QRect convention) is drawn in colour, checked at the middle
  // of each edge.
  static bool Outlined(const QImage& img, const QRect& r, TColor colour) {
    return Pixel(img, r.left(), r.center().y()) == colour && Pixel(img, r.right(), r.center().y()) == colour &&
           Pixel(img, r.center().x(), r.top()) == colour && Pixel(img, r.center().x(), r.bottom()) == colour;
  }
  QRect FrameOver(int firstCol, int lastCol, int r) {
    const QRect a = E->CellRect(firstCol, r), b = E->CellRect(lastCol, r);
    return QRect(QPoint(a.left(), a.top()), QPoint(b.left() + Cw() - 1, a.bottom() - 1));
  }
};

TEST_F(FrameTest, CaretInHexFieldFramesTheCharacter) {
  Load();
  Focus(true);
  E->MoveCaretToPos(20, false);
  const QImage img = Render();
  EXPECT_TRUE(Outlined(img, FrameOver(CharCol(20), CharCol(20), 3), kFrame));
  EXPECT_NE(Pixel(img, E->CellRect(CharCol(21), 3).left(), E->CellRect(CharCol(21), 3).center().y()), kFrame);
}

TEST_F(FrameTest, CaretInCharFieldFramesTheByteDigitsTogether) {
  struct Case {
    bool unicode;
    int digits;
  };
  for (const Case k : {Case{false, 2}, Case{true, 4}}) {
    Load();
    E->SetUnicodeChars(k.unicode);
    Focus(true);
    E->MoveCaretToPos(20, true);
    const QImage img = Render();
    const int first = HexCol(20);
    EXPECT_TRUE(Outlined(img, FrameOver(first, first + k.digits - 1, 3), kFrame)) << k.digits << " digits";
    EXPECT_NE(Pixel(img, E->CellRect(first + k.digits, 3).left(), E->CellRect(first, 3).center().y()), kFrame);
    E->SetUnicodeChars(false);
  }
}

TEST_F(FrameTest, FocusFrameDrawsADottedInvertingRectangle) {
  Load();
  E->SetFocusFrame(true);
  Focus(true);
  E->MoveCaretToPos(20, false);
  const QImage img = Render();
  const QRect frame = FrameOver(CharCol(20), CharCol(20), 3);
  int inverted = 0, plain = 0;
  for (int x = frame.left(); x <= frame.right(); ++x) {
    const TColor p = Pixel(img, x, frame.top());
    inverted += p == Invert(kWhite);
    plain += p == kWhite;
  }
  EXPECT_GT(inverted, 0);
  EXPECT_GT(plain, 0);
  EXPECT_LE(std::abs(inverted - plain), 1) << "every other pixel";
}

TEST_F(FrameTest, UnfocusedFrameOnlyOnTheCaretCellWhenAsked) {
  Load();
  Focus(true);
  E->MoveCaretToPos(20, false);
  Focus(false);
  const QRect caretCell = FrameOver(HexCol(20), HexCol(20), 3);
  const QRect partner = FrameOver(CharCol(20), CharCol(20), 3);
  QImage img = Render();
  EXPECT_FALSE(Outlined(img, caretCell, kNonFocusFrame));
  EXPECT_FALSE(Outlined(img, partner, kFrame));

  E->SetShowPositionIfNotFocused(true);
  img = Render();
  EXPECT_TRUE(Outlined(img, caretCell, kNonFocusFrame));
  EXPECT_FALSE(Outlined(img, partner, kFrame));
  EXPECT_FALSE(Outlined(img, partner, kNonFocusFrame));
}

TEST_F(FrameTest, EmptyDocumentShowsOneOffsetRowAndThePartnerFrame) {
  Focus(true);
  ASSERT_EQ(E->DataSize(), 0);
  const QImage img = Render();
  const int charCol = E->HexColumnCount() + 3;
  EXPECT_TRUE(Outlined(img, FrameOver(charCol, charCol, 2), kFrame));
  EXPECT_EQ(TextBg(img, 4, 2), kWhite) << "no data cells are filled";
  // The offset text of the row: ink in the gutter left of the 4-pixel margin.
  const QRect gutter = E->CellRect(0, 2);
  int ink = 0;
  for (int x = gutter.left(); x < gutter.right() - 4; ++x)
    for (int y = gutter.top(); y < gutter.bottom(); ++y) ink += Pixel(img, x, y) != kCurrentOffsetBack;
  EXPECT_GT(ink, 0);
  EXPECT_TRUE(E->CellRect(0, 3).isEmpty()) << "one data row";
}

// ---- offset column, ruler, grid lines and edges ------------------------------------------------------

TEST_F(PaintTest, CaretRowOffsetAndCaretColumnRulerAreHighlighted) {
  Load();
  E->SetShowRuler(true);
  E->MoveCaretToPos(20, false);
  const QImage img = Render();
  EXPECT_EQ(Brush(img, 0, 3), kCurrentOffsetBack);
  EXPECT_EQ(Brush(img, 0, 2), kOffsetBack);
  // The offset text of the caret row in CurrentOffset, right-aligned 4 pixels from the edge.
  const QRect gutter = E->CellRect(0, 3);
  bool currentInk = false, inMargin = false;
  for (int y = gutter.top(); y <= gutter.bottom(); ++y)
    for (int x = gutter.left(); x < gutter.right() - 1; ++x) {
      const bool ink = Pixel(img, x, y) == kWhite;
      currentInk |= ink;
      inMargin |= ink && x > gutter.right() - 4;
    }
  EXPECT_TRUE(currentInk);
  EXPECT_FALSE(inMargin);
  const int c = HexCol(20);
  const QRect ruler = E->CellRect(c, 0);
  EXPECT_EQ(Pixel(img, ruler.left() + Cw() / 2, ruler.bottom() - 3), kCurrentOffsetBack);
  const QRect other = E->CellRect(c + 2, 0);
  EXPECT_EQ(Pixel(img, other.left() + Cw() / 2, other.bottom() - 3), kOffsetBack);
}

TEST_F(PaintTest, GutterAndRulerEdges) {
  Load();
  E->SetShowRuler(true);
  const int w = E->ColWidths(0);
  const int h = E->RowHeights(0) + E->RowHeights(1);
  const int y = E->CellRect(2, 4).center().y();
  const int x = E->CellRect(6, 0).center().x();
  struct Case {
    bool gutter3D, gridLines;
    TColor atW, atWm1, atHm1, atHm2;
  };
  const TColor shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
  const Case cases[] = {
      {true, false, shadow, light, shadow, light},
      {true, true, shadow, light, shadow, light},
      {false, true, kWhite, kGrid, kGrid, kOffsetBack},
      {false, false, kWhite, kOffsetBack, kOffsetBack, kOffsetBack},
  };
  for (const Case& k : cases) {
    E->SetDrawGutter3D(k.gutter3D);
    E->SetDrawGridLines(k.gridLines);
    const QImage img = Render();
    const std::string what = std::string(k.gutter3D ? "3D" : "flat") + (k.gridLines ? " with lines" : "");
    EXPECT_EQ(Hex(Pixel(img, w, y)), Hex(k.atW)) << what;
    EXPECT_EQ(Hex(Pixel(img, w - 1, y)), Hex(k.atWm1)) << what;
    EXPECT_EQ(Hex(Pixel(img, x, h - 1)), Hex(k.atHm1)) << what;
    EXPECT_EQ(Hex(Pixel(img, x, h - 2)), Hex(k.atHm2)) << what;
  }
}

TEST_F(PaintTest, GridLinesRunAlongCellBottomsTheFieldGapAndTheLastColumn) {
  Load();
  const QRect cell = E->CellRect(HexCol(18), 3);
  const QRect gap = E->CellRect(E->HexColumnCount() + 2, 3);
  const QRect last = E->CellRect(E->ColCount() - 1, 3);
  QImage img = Render();
  EXPECT_NE(Pixel(img, cell.center().x(), cell.bottom()), kGrid);
  EXPECT_NE(Pixel(img, gap.left(), gap.center().y()), kGrid);

  E->SetDrawGridLines(true);
  img = Render();
  EXPECT_EQ(Pixel(img, cell.center().x(), cell.bottom()), kGrid);
  EXPECT_EQ(Pixel(img, gap.left(), gap.center().y()), kGrid);
  EXPECT_EQ(Pixel(img, gap.center().x(), gap.bottom()), kGrid);
  EXPECT_EQ(Pixel(img, last.right(), last.center().y()), kGrid);
  EXPECT_EQ(Pixel(img, E->ColWidths(0) + 3, cell.bottom()), kGrid) << "under the gap after the gutter";
  EXPECT_NE(Pixel(img, cell.center().x(), cell.center().y() + 1), kGrid);
}

TEST_F(PaintTest, InsertionMarkIsATwoPixelBarInTheTextColour) {
  Load();
  E->SetDropMarker(true, CharCol(20), 3);
  const QRect cell = E->CellRect(CharCol(20), 3);
  QImage img = Render();
  EXPECT_TRUE(Near(Pixel(img, cell.left() + 1, cell.center().y()), kFontColor, 0));
  EXPECT_TRUE(Near(Pixel(img, cell.left() + 2, cell.top() + 1), kFontColor, 0));
  EXPECT_NE(Pixel(img, cell.left() + 1, cell.top()), kFontColor);
  E->SetDropMarker(false, -1, -1);
  img = Render();
  EXPECT_NE(Pixel(img, cell.left() + 1, cell.top() + 1), kFontColor);
}

// ---- the drawing hook -------------------------------------------------------------------------

TEST_F(PaintTest, OnDrawCellSeesTheCellAndItsColours) {
  Load(64, char(0xA7));
  struct Seen {
    QString text;
    QRect rect;
    TColor brush = -1, font = -1;
  };
  std::map<std::pair<int, int>, Seen> seen;
  E->OnDrawCell = [&](TCustomKorHexEditor*, TCanvas* canvas, int c, int r, QString& text, const QRect& rect, bool&) {
    seen[std::make_pair(c, r)] = {text, rect, canvas->BrushColor(), canvas->Font().Color()};
  };
  Render();
  const Seen& high = seen[std::make_pair(HexCol(17), 3)];
  EXPECT_EQ(high.text, "A");
  EXPECT_EQ(high.rect.width(), Cw());
  EXPECT_EQ(high.rect.left(), E->CellRect(HexCol(17), 3).left());
  EXPECT_EQ(high.brush, kWhite);
  EXPECT_EQ(seen[std::make_pair(HexCol(17, true), 3)].text, "7");
  EXPECT_EQ(seen[std::make_pair(CharCol(17), 3)].text, QString(QChar(0x00A7)));
  EXPECT_EQ(seen[std::make_pair(CharCol(17), 3)].brush, kActive);
  EXPECT_EQ(seen[std::make_pair(CharCol(17), 3)].font, kFontColor);
  const Seen& offset = seen[std::make_pair(0, 3)];
  EXPECT_EQ(offset.text, E->FormatOffset(16));
  EXPECT_EQ(offset.rect, E->CellRect(0, 3));
  EXPECT_EQ(seen.count(std::make_pair(E->HexColumnCount() + 2, 3)), 0u) << "the field gap shows nothing";

  E->SetSwapNibbles(true);
  Render();
  EXPECT_EQ(seen[std::make_pair(HexCol(17), 3)].text, "7");
}

TEST_F(PaintTest, OnDrawCellCanReplaceTextOrSkipDrawingButFramesAndLinesStay) {
  Load();
  E->SetDrawGridLines(true);
  Focus(true);
  E->MoveCaretToPos(20, false);
  E->OnDrawCell = [&](TCustomKorHexEditor*, TCanvas*, int c, int, QString& text, const QRect&, bool&) {
    if (c == HexCol(18)) text.clear();
  };
  QImage img = Render();
  EXPECT_EQ(Ink(img, HexCol(18), 3), kActive) << "no glyph for the emptied text";
  EXPECT_NE(Ink(img, HexCol(18, true), 3), kActive);

  E->OnDrawCell = [](TCustomKorHexEditor*, TCanvas*, int, int, QString&, const QRect&, bool& draw) { draw = false; };
  img = Render();
  EXPECT_EQ(Brush(img, HexCol(17, true), 3), kWhite) << "the control's colour, not the active background";
  EXPECT_EQ(Ink(img, HexCol(17), 3), kWhite);
  EXPECT_EQ(Brush(img, 0, 4), kWhite) << "offset cells undrawn too";
  const QRect cell = E->CellRect(HexCol(17), 3);
  EXPECT_EQ(Pixel(img, cell.center().x(), cell.bottom()), kGrid);
  const QRect partner = E->CellRect(CharCol(20), 3);
  EXPECT_EQ(Pixel(img, partner.left(), partner.center().y()), kFrame);
}

TEST_F(PaintTest, ExceptionFromOnDrawCellEndsThePaintAndReachesTheDisplay) {
  Load();
  int calls = 0;
  E->OnDrawCell = [&](TCustomKorHexEditor*, TCanvas*, int, int, QString&, const QRect&, bool&) {
    ++calls;
    throw EKorHexEditor(QStringLiteral("draw failed"));
  };
  Render();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(test::TakeShownExceptions(), QStringList{"draw failed"});
}

}  // namespace
}  // namespace vexa
