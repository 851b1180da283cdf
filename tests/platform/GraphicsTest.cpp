#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <gtest/gtest.h>

#include "platform/Graphics.h"

namespace vexa {
namespace {

// ---- colours ----------------------------------------------------------------------------------

TEST(ColorTest, PlainColoursAreBgrValues) {
  struct Case { TColor color; int r, g, b; };
  const Case cases[] = {
      {clBlack, 0, 0, 0},      {clMaroon, 128, 0, 0}, {clNavy, 0, 0, 128},   {clBlue, 0, 0, 255},
      {clAqua, 0, 255, 255},   {clRed, 255, 0, 0},    {clYellow, 255, 255, 0}, {clWhite, 255, 255, 255},
      {clGray, 128, 128, 128}, {clSilver, 192, 192, 192}, {RGB(1, 2, 3), 1, 2, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.color);
    EXPECT_EQ(ColorToQColor(c.color), QColor(c.r, c.g, c.b));
    EXPECT_EQ(ColorToRGB(c.color), RGB(c.r, c.g, c.b));
    EXPECT_EQ(GetRValue(c.color), c.r);
    EXPECT_EQ(GetGValue(c.color), c.g);
    EXPECT_EQ(GetBValue(c.color), c.b);
  }
  // RGB keeps each channel in its byte.
  EXPECT_EQ(RGB(256 + 5, -1, 0), RGB(5, 255, 0));
}

// Installs a palette with distinct colours and restores the old one afterwards.
class SystemColorTest : public ::testing::Test {
protected:
  void SetUp() override {
    FSaved = QApplication::palette();
    QPalette p = FSaved;
    p.setColor(QPalette::All, QPalette::Base, QColor(10, 20, 30));
    p.setColor(QPalette::All, QPalette::Text, QColor(11, 21, 31));
    p.setColor(QPalette::All, QPalette::Button, QColor(12, 22, 32));
    p.setColor(QPalette::All, QPalette::Dark, QColor(13, 23, 33));
    p.setColor(QPalette::All, QPalette::Light, QColor(14, 24, 34));
    p.setColor(QPalette::All, QPalette::Highlight, QColor(15, 25, 35));
    p.setColor(QPalette::All, QPalette::HighlightedText, QColor(16, 26, 36));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(17, 27, 37));
    QApplication::setPalette(p);
  }
  void TearDown() override { QApplication::setPalette(FSaved); }
  QPalette FSaved;
};

TEST_F(SystemColorTest, SystemColoursFollowTheApplicationPalette) {
  struct Case { TColor color; QColor expected; };
  const Case cases[] = {
      {clWindow, QColor(10, 20, 30)},      {clDefault, QColor(10, 20, 30)},
      {clWindowText, QColor(11, 21, 31)},  {clBtnFace, QColor(12, 22, 32)},
      {clBtnShadow, QColor(13, 23, 33)},   {clBtnHighlight, QColor(14, 24, 34)},
      {clHighlight, QColor(15, 25, 35)},   {clHighlightText, QColor(16, 26, 36)},
      {clGrayText, QColor(17, 27, 37)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<uint32_t>(c.color));
    EXPECT_TRUE(IsSystemColor(c.color) || c.color == clDefault);
    EXPECT_EQ(ColorToQColor(c.color), c.expected);
    EXPECT_EQ(ColorToRGB(c.color), RGB(c.expected.red(), c.expected.green(), c.expected.blue()));
  }
  EXPECT_EQ(static_cast<uint32_t>(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(static_cast<uint32_t>(clBtnShadow), 0x80000010u);
  EXPECT_EQ(static_cast<uint32_t>(clBtnHighlight), 0x80000014u);
}

TEST(ColorTest, NoneIsTransparentAndStaysNone) {
  EXPECT_EQ(ColorToQColor(clNone).alpha(), 0);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_FALSE(IsSystemColor(clNone));
  EXPECT_FALSE(IsSystemColor(clWhite));
}

// ---- fonts ------------------------------------------------------------------------------------

TEST(FontTest, DefaultsAndSizeHeightConversion) {
  TFont f;
  EXPECT_EQ(f.Name(), QStringLiteral("Courier New"));
  EXPECT_EQ(f.Height(), -15);
  EXPECT_EQ(f.Size(), 11);
  struct Case { int size, height; };
  const Case cases[] = {{8, -11}, {9, -12}, {10, -13}, {11, -15}, {12, -16}, {2, -3}, {72, -96}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    f.SetSize(c.size);
    EXPECT_EQ(f.Height(), c.height);
    EXPECT_EQ(f.Size(), c.size);
  }
}

TEST(FontTest, OnChangeFiresOncePerRealChange) {
  TFont f;
  int changes = 0;
  f.OnChange = [&] { ++changes; };
  f.SetName(QStringLiteral("Courier New"));
  f.SetHeight(-15);
  f.SetSize(11);
  f.SetColor(f.Color());
  f.SetStyle(f.Style());
  EXPECT_EQ(changes, 0);
  f.SetName(QStringLiteral("Liberation Sans"));
  f.SetHeight(-20);
  f.SetColor(clRed);
  f.SetStyle(fsBold | fsItalic);
  EXPECT_EQ(changes, 4);

  TFont g;
  int gChanges = 0;
  g.OnChange = [&] { ++gChanges; };
  g.Assign(f);
  EXPECT_EQ(gChanges, 1);
  EXPECT_TRUE(g.SameAs(f));
  g.Assign(f);
  EXPECT_EQ(gChanges, 1);
}

TEST(FontTest, ToQFontUsesPixelHeightAndStyle) {
  TFont f;
  f.SetStyle(fsBold | fsUnderline);
  const QFont q = f.ToQFont();
  EXPECT_EQ(q.pixelSize(), 15);
  EXPECT_TRUE(q.bold());
  EXPECT_FALSE(q.italic());
  EXPECT_TRUE(q.underline());
  EXPECT_FALSE(q.strikeOut());
  // Fontconfig stands Liberation Mono in for Courier New: a fixed-pitch face.
  const QFontMetrics fm(q);
  EXPECT_EQ(fm.horizontalAdvance(QStringLiteral("w")), fm.horizontalAdvance(QStringLiteral("i")));
}

TEST(FontTest, PublishedPropertiesReadAndWriteByName) {
  TFont f;
  ASSERT_TRUE(f.setProperty("Size", 9));
  EXPECT_EQ(f.property("Height").toInt(), -12);
  ASSERT_TRUE(f.setProperty("Style", static_cast<int>(fsItalic)));
  EXPECT_EQ(f.Style(), TFontStyles(fsItalic));
  ASSERT_TRUE(f.setProperty("Name", QStringLiteral("X")));
  EXPECT_EQ(f.Name(), QStringLiteral("X"));
}

// ---- canvas -------------------------------------------------------------------------------------

class CanvasTest : public ::testing::Test {
protected:
  void SetUp() override {
    FImage = QImage(40, 30, QImage::Format_RGB32);
    FImage.fill(Qt::white);
    FPainter = std::make_unique<QPainter>(&FImage);
    FCanvas.BeginPaint(FPainter.get(), FImage.rect());
  }
  void Finish() {
    if (!FPainter) return;
    FCanvas.EndPaint();
    FPainter->end();
    FPainter.reset();
  }
  QColor At(int x, int y) {
    Finish();
    return FImage.pixelColor(x, y);
  }

  QImage FImage;
  std::unique_ptr<QPainter> FPainter;
  TCanvas FCanvas;
};

TEST_F(CanvasTest, FillRectCoversExactlyTheRect) {
  FCanvas.SetBrushColor(clRed);
  FCanvas.FillRect(QRect(QPoint(5, 6), QPoint(9, 10)));
  Finish();
  EXPECT_EQ(FImage.pixelColor(5, 6), QColor(Qt::red));
  EXPECT_EQ(FImage.pixelColor(9, 10), QColor(Qt::red));
  EXPECT_EQ(FImage.pixelColor(4, 6), QColor(Qt::white));
  EXPECT_EQ(FImage.pixelColor(10, 10), QColor(Qt::white));
  EXPECT_EQ(FImage.pixelColor(9, 11), QColor(Qt::white));
}

TEST_F(CanvasTest, ClearBrushFillsNothing) {
  FCanvas.SetBrushColor(clRed);
  FCanvas.SetBrushStyle(bsClear);
  FCanvas.FillRect(QRect(0, 0, 10, 10));
  EXPECT_EQ(At(5, 5), QColor(Qt::white));
}

TEST_F(CanvasTest, FrameRectDrawsOnlyTheEdge) {
  FCanvas.SetBrushColor(clBlue);
  FCanvas.FrameRect(QRect(QPoint(2, 2), QPoint(8, 8)));
  Finish();
  EXPECT_EQ(FImage.pixelColor(2, 2), QColor(Qt::blue));
  EXPECT_EQ(FImage.pixelColor(8, 5), QColor(Qt::blue));
  EXPECT_EQ(FImage.pixelColor(5, 8), QColor(Qt::blue));
  EXPECT_EQ(FImage.pixelColor(5, 5), QColor(Qt::white));
  EXPECT_EQ(FImage.pixelColor(9, 9), QColor(Qt::white));
}

TEST_F(CanvasTest, LineToStopsBeforeTheEndPointAndMovesThePen) {
  FCanvas.SetPenColor(clBlack);
  FCanvas.MoveTo(3, 4);
  FCanvas.LineTo(10, 4);
  EXPECT_EQ(FCanvas.PenPos(), QPoint(10, 4));
  FCanvas.LineTo(10, 9);
  Finish();
  EXPECT_EQ(FImage.pixelColor(3, 4), QColor(Qt::black));
  EXPECT_EQ(FImage.pixelColor(9, 4), QColor(Qt::black));
  EXPECT_EQ(FImage.pixelColor(10, 4), QColor(Qt::black));  // start of the second line
  EXPECT_EQ(FImage.pixelColor(10, 8), QColor(Qt::black));
  EXPECT_EQ(FImage.pixelColor(10, 9), QColor(Qt::white));
  EXPECT_EQ(FImage.pixelColor(2, 4), QColor(Qt::white));
  EXPECT_EQ(FImage.pixelColor(5, 5), QColor(Qt::white));
}

TEST_F(CanvasTest, WidePenCoversItsWidth) {
  FCanvas.SetPenColor(clRed);
  FCanvas.SetPenWidth(2);
  FCanvas.MoveTo(5, 2);
  FCanvas.LineTo(5, 12);
  Finish();
  EXPECT_EQ(FImage.pixelColor(5, 2), QColor(Qt::red));
  EXPECT_EQ(FImage.pixelColor(6, 11), QColor(Qt::red));
  EXPECT_EQ(FImage.pixelColor(4, 5), QColor(Qt::white));
  EXPECT_EQ(FImage.pixelColor(7, 5), QColor(Qt::white));
  EXPECT_EQ(FImage.pixelColor(5, 12), QColor(Qt::white));
}

TEST_F(CanvasTest, InvertingPenModes) {
  FCanvas.SetBrushColor(RGB(0x10, 0x20, 0x30));
  FCanvas.FillRect(QRect(0, 0, 40, 10));
  FCanvas.SetPenMode(pmNot);
  FCanvas.MoveTo(0, 1);
  FCanvas.LineTo(20, 1);
  FCanvas.SetPenMode(pmXor);
  FCanvas.SetPenColor(RGB(0xFF, 0, 0));
  FCanvas.MoveTo(0, 2);
  FCanvas.LineTo(20, 2);
  Finish();
  EXPECT_EQ(FImage.pixelColor(4, 1), QColor(0xEF, 0xDF, 0xCF));
  EXPECT_EQ(FImage.pixelColor(4, 2), QColor(0xEF, 0x20, 0x30));
  EXPECT_EQ(FImage.pixelColor(4, 3), QColor(0x10, 0x20, 0x30));
}

TEST_F(CanvasTest, FocusRectIsDottedAndUndoesItself) {
  FCanvas.SetBrushColor(clWhite);
  const QRect r(QPoint(3, 3), QPoint(12, 9));
  FCanvas.DrawFocusRect(r);
  FPainter->end();
  const QImage once = FImage.copy();
  FPainter->begin(&FImage);
  FCanvas.BeginPaint(FPainter.get(), FImage.rect());
  FCanvas.DrawFocusRect(r);
  Finish();
  EXPECT_EQ(once.pixelColor(3, 3), QColor(Qt::black));
  EXPECT_EQ(once.pixelColor(4, 3), QColor(Qt::white));
  EXPECT_EQ(once.pixelColor(5, 3), QColor(Qt::black));
  EXPECT_EQ(once.pixelColor(7, 6), QColor(Qt::white));  // inside stays
  for (int y = 0; y < FImage.height(); ++y)
    for (int x = 0; x < FImage.width(); ++x) ASSERT_EQ(FImage.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
}

TEST_F(CanvasTest, TextRectFillsTheRectAndClipsTheText) {
  FCanvas.Font().SetColor(clBlack);
  FCanvas.SetBrushColor(clYellow);
  FCanvas.SetTextBackground(clAqua);
  const QRect r(0, 0, FCanvas.TextWidth(QStringLiteral("W")), FCanvas.TextHeight(QStringLiteral("W")));
  FCanvas.TextRect(r, 0, 0, QStringLiteral("WWWWWW"));
  Finish();
  int dark = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {
      const QColor c = FImage.pixelColor(x, y);
      if (c != QColor(Qt::cyan)) ++dark;
    }
  EXPECT_GT(dark, 0) << "the glyph is drawn";
  EXPECT_EQ(FImage.pixelColor(r.left(), r.bottom()), QColor(Qt::cyan)) << "background in the text background colour";
  for (int y = 0; y < FImage.height(); ++y)
    for (int x = r.right() + 1; x < FImage.width(); ++x)
      ASSERT_EQ(FImage.pixelColor(x, y), QColor(Qt::white)) << "outside the rect at " << x << "," << y;
}

TEST_F(CanvasTest, BrushColourResetsTheTextBackground) {
  FCanvas.SetTextBackground(clAqua);
  FCanvas.SetBrushColor(clRed);
  EXPECT_EQ(FCanvas.TextBackground(), clRed);
}

TEST(CanvasMeasureTest, MeasuringNeedsNoPaint) {
  TCanvas canvas;
  EXPECT_FALSE(canvas.Painting());
  const QFontMetrics fm(canvas.Font().ToQFont());
  EXPECT_EQ(canvas.TextWidth(QStringLiteral("w")), fm.horizontalAdvance(QStringLiteral("w")));
  EXPECT_GT(canvas.TextWidth(QStringLiteral("w")), 0);
  EXPECT_EQ(canvas.TextWidth(QStringLiteral("wwww")), 4 * canvas.TextWidth(QStringLiteral("w")));
  EXPECT_EQ(canvas.TextHeight(QStringLiteral("yY")), fm.height());
  const int before = canvas.TextHeight(QStringLiteral("yY"));
  canvas.Font().SetHeight(-30);
  EXPECT_GT(canvas.TextHeight(QStringLiteral("yY")), before);
  // Drawing outside a paint is ignored.
  canvas.FillRect(QRect(0, 0, 5, 5));
  canvas.TextOut(0, 0, QStringLiteral("x"));
}

}  // namespace
}  // namespace vexa
