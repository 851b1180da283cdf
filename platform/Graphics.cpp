#include "platform/Graphics.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <cmath>

namespace vexa {

namespace {

QPalette AppPalette() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return QGuiApplication::palette();
  return QPalette();
}

QColor SystemQColor(int index) {
  const QPalette pal = AppPalette();
  switch (index) {
    case 0: return pal.color(QPalette::Active, QPalette::Button);          // scroll bar
    case 1: return pal.color(QPalette::Active, QPalette::Window);          // desktop
    case 2: return pal.color(QPalette::Active, QPalette::Highlight);       // active caption
    case 3: return pal.color(QPalette::Inactive, QPalette::Mid);           // inactive caption
    case 4: return pal.color(QPalette::Active, QPalette::Window);          // menu
    case 5: return pal.color(QPalette::Active, QPalette::Base);            // window
    case 6: return pal.color(QPalette::Active, QPalette::Shadow);          // window frame
    case 7: return pal.color(QPalette::Active, QPalette::WindowText);      // menu text
    case 8: return pal.color(QPalette::Active, QPalette::Text);            // window text
    case 9: return pal.color(QPalette::Active, QPalette::HighlightedText); // caption text
    case 10: return pal.color(QPalette::Active, QPalette::Button);         // active border
    case 11: return pal.color(QPalette::Inactive, QPalette::Button);       // inactive border
    case 12: return pal.color(QPalette::Active, QPalette::Dark);           // app workspace
    case 13: return pal.color(QPalette::Active, QPalette::Highlight);
    case 14: return pal.color(QPalette::Active, QPalette::HighlightedText);
    case 15: return pal.color(QPalette::Active, QPalette::Button);         // button face
    case 16: return pal.color(QPalette::Active, QPalette::Dark);           // button shadow
    case 17: return pal.color(QPalette::Disabled, QPalette::Text);         // grey text
    case 18: return pal.color(QPalette::Active, QPalette::ButtonText);
    case 19: return pal.color(QPalette::Inactive, QPalette::HighlightedText);
    case 20: return pal.color(QPalette::Active, QPalette::Light);          // button highlight
    case 21: return pal.color(QPalette::Active, QPalette::Shadow);         // 3-D dark shadow
    case 22: return pal.color(QPalette::Active, QPalette::Midlight);       // 3-D light
    case 23: return pal.color(QPalette::Active, QPalette::ToolTipText);
    case 24: return pal.color(QPalette::Active, QPalette::ToolTipBase);
    default: return pal.color(QPalette::Active, QPalette::Base);
  }
}

}  // namespace

QColor ColorToQColor(TColor color) {
  if (color == clNone) return QColor(Qt::transparent);
  if (color == clDefault) return SystemQColor(5);
  if (IsSystemColor(color)) return SystemQColor(color & 0xFF);
  return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

TColor QColorToColor(const QColor& color) { return RGB(color.red(), color.green(), color.blue()); }

TColor ColorToRGB(TColor color) {
  if (color == clNone) return clNone;
  if (color == clDefault || IsSystemColor(color)) return QColorToColor(ColorToQColor(color));
  return color & 0x00FFFFFF;
}

// ---- TFont ------------------------------------------------------------------------------------

TFont::TFont(QObject* parent) : QObject(parent) {}

void TFont::Changed() {
  if (OnChange) OnChange();
}

void TFont::SetName(const QString& value) {
  if (value == FName) return;
  FName = value;
  Changed();
}

void TFont::SetHeight(int value) {
  if (value == FHeight) return;
  FHeight = value;
  Changed();
}

int TFont::Size() const {
  return static_cast<int>(std::lround(-static_cast<double>(FHeight) * 72.0 / PixelsPerInch));
}

void TFont::SetSize(int points) {
  SetHeight(-static_cast<int>(std::lround(static_cast<double>(points) * PixelsPerInch / 72.0)));
}

void TFont::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed();
}

void TFont::SetStyle(TFontStyles value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

bool TFont::SameAs(const TFont& o) const {
  return FName == o.FName && FHeight == o.FHeight && FColor == o.FColor && FStyle == o.FStyle;
}

void TFont::Assign(const TFont& source) {
  if (&source == this || SameAs(source)) return;
  FName = source.FName;
  FHeight = source.FHeight;
  FColor = source.FColor;
  FStyle = source.FStyle;
  Changed();
}

QFont TFont::ToQFont() const {
  QFont f(FName);
  f.setPixelSize(std::max(1, std::abs(FHeight)));
  f.setBold(FStyle.testFlag(fsBold));
  f.setItalic(FStyle.testFlag(fsItalic));
  f.setUnderline(FStyle.testFlag(fsUnderline));
  f.setStrikeOut(FStyle.testFlag(fsStrikeOut));
  f.setStyleHint(QFont::TypeWriter);
  f.setHintingPreference(QFont::PreferFullHinting);
  return f;
}

// ---- TCanvas ------------------------------------------------------------------------------------

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() = default;

void TCanvas::SetBrushColor(TColor c) {
  FBrushColor = c;
  FTextBackground = c;
}

void TCanvas::BeginPaint(QPainter* painter, const QRect& clip) {
  FPainter = painter;
  FClipRect = clip;
}

void TCanvas::EndPaint() {
  FPainter = nullptr;
  FClipRect = QRect();
}

void TCanvas::ApplyPen() {
  QPainter& p = *FPainter;
  switch (FPenMode) {
    case pmCopy: p.setCompositionMode(QPainter::CompositionMode_SourceOver); break;
    case pmNot: p.setCompositionMode(QPainter::RasterOp_NotDestination); break;
    case pmXor: p.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
    case pmNotXor: p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination); break;
  }
}

void TCanvas::LineTo(int x, int y) {
  const QPoint from = FPenPos;
  FPenPos = QPoint(x, y);
  if (!FPainter || FPenStyle == psClear || from == FPenPos) return;
  FPainter->save();
  ApplyPen();
  const QColor colour = ColorToQColor(FPenColor);
  const int w = FPenWidth;
  if (from.x() == x || from.y() == y) {
    // Axis-aligned lines are filled as rectangles so that they cover exactly the pixels from
    // the start point up to the end point (not included), at any pen width, in every mode.
    const QRectF r = LineRect(from, FPenPos);
    if (FPenStyle == psDot) {
      const bool horizontal = from.y() == y;
      const int len = static_cast<int>(horizontal ? r.width() : r.height());
      for (int i = 0; i < len; i += 2) {
        QRectF d = horizontal ? QRectF(r.left() + i, r.top(), 1, r.height()) : QRectF(r.left(), r.top() + i, r.width(), 1);
        FPainter->fillRect(d, colour);
      }
    } else {
      FPainter->fillRect(r, colour);
    }
  } else {
    QPen pen(colour, w, FPenStyle == psDot ? Qt::DotLine : Qt::SolidLine, Qt::FlatCap);
    FPainter->setPen(pen);
    FPainter->drawLine(from, FPenPos);
  }
  FPainter->restore();
}

QRectF TCanvas::LineRect(QPoint a, QPoint b) const {
  const int w = FPenWidth;
  const int lead = (w - 1) / 2;  // pixels of a wide pen before the line's centre
  if (a.y() == b.y()) {
    // From a towards b, b itself excluded.
    const int left = a.x() <= b.x() ? a.x() : b.x() + 1;
    const int right = a.x() <= b.x() ? b.x() : a.x() + 1;
    return QRectF(left, a.y() - lead, right - left, w);
  }
  const int top = a.y() <= b.y() ? a.y() : b.y() + 1;
  const int bottom = a.y() <= b.y() ? b.y() : a.y() + 1;
  return QRectF(a.x() - lead, top, w, bottom - top);
}

void TCanvas::FillRect(const QRect& r) {
  if (!FPainter || FBrushStyle == bsClear || r.isEmpty()) return;
  FPainter->fillRect(r, ColorToQColor(FBrushColor));
}

void TCanvas::FrameRect(const QRect& r) {
  if (!FPainter || r.isEmpty()) return;
  const QColor c = ColorToQColor(FBrushColor);
  FPainter->fillRect(QRect(r.left(), r.top(), r.width(), 1), c);
  FPainter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), c);
  FPainter->fillRect(QRect(r.left(), r.top(), 1, r.height()), c);
  FPainter->fillRect(QRect(r.right(), r.top(), 1, r.height()), c);
}

void TCanvas::Rectangle(const QRect& r) {
  if (!FPainter || r.isEmpty()) return;
  FillRect(r.adjusted(FPenWidth, FPenWidth, -FPenWidth, -FPenWidth));
  if (FPenStyle == psClear) return;
  // The outline runs along the rectangle's own edge pixels.
  const QPoint saved = FPenPos;
  const int w = FPenWidth;
  const int lead = (w - 1) / 2;
  const int l = r.left() + lead, t = r.top() + lead, rr = r.right() - (w - 1 - lead), b = r.bottom() - (w - 1 - lead);
  MoveTo(l, t);
  LineTo(rr, t);
  LineTo(rr, b);
  LineTo(l, b);
  LineTo(l, t);
  FPenPos = saved;
}

void TCanvas::InvertRect(const QRect& r) {
  if (!FPainter || r.isEmpty()) return;
  FPainter->save();
  FPainter->setCompositionMode(QPainter::RasterOp_NotDestination);
  FPainter->fillRect(r, Qt::black);
  FPainter->restore();
}

void TCanvas::DrawFocusRect(const QRect& r) {
  if (!FPainter || r.isEmpty()) return;
  FPainter->save();
  FPainter->setCompositionMode(QPainter::RasterOp_NotDestination);
  // Every other pixel around the edge is inverted, so drawing the same frame twice removes it.
  int i = 0;
  auto step = [&](int x, int y) {
    if ((i++ & 1) == 0) FPainter->fillRect(QRect(x, y, 1, 1), Qt::black);
  };
  const int l = r.left(), t = r.top(), rr = r.right(), b = r.bottom();
  for (int x = l; x <= rr; ++x) step(x, t);
  for (int y = t + 1; y <= b; ++y) step(rr, y);
  if (b > t)
    for (int x = rr - 1; x >= l; --x) step(x, b);
  if (rr > l)
    for (int y = b - 1; y > t; --y) step(l, y);
  FPainter->restore();
}

void TCanvas::TextRect(const QRect& r, int x, int y, const QString& text) {
  if (!FPainter || r.isEmpty()) return;
  FPainter->save();
  FPainter->setClipRect(r, Qt::IntersectClip);
  if (FBrushStyle != bsClear) FPainter->fillRect(r, ColorToQColor(FTextBackground));
  const QFont font = FFont.ToQFont();
  FPainter->setFont(font);
  FPainter->setPen(ColorToQColor(FFont.Color()));
  const QFontMetrics fm(font);
  FPainter->drawText(QPoint(x, y + fm.ascent()), text);
  FPainter->restore();
}

void TCanvas::TextOut(int x, int y, const QString& text) {
  if (!FPainter) return;
  const QFont font = FFont.ToQFont();
  const QFontMetrics fm(font);
  FPainter->save();
  if (FBrushStyle != bsClear)
    FPainter->fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), ColorToQColor(FTextBackground));
  FPainter->setFont(font);
  FPainter->setPen(ColorToQColor(FFont.Color()));
  FPainter->drawText(QPoint(x, y + fm.ascent()), text);
  FPainter->restore();
  FPenPos = QPoint(x + fm.horizontalAdvance(text), y);
}

QSize TCanvas::TextExtent(const QString& text) const {
  const QFontMetrics fm(FFont.ToQFont());
  return QSize(fm.horizontalAdvance(text), fm.height());
}

int TCanvas::TextWidth(const QString& text) const { return TextExtent(text).width(); }
int TCanvas::TextHeight(const QString& text) const { return TextExtent(text).height(); }

void TCanvas::Draw(int x, int y, const QImage& image) {
  if (FPainter && !image.isNull()) FPainter->drawImage(QPoint(x, y), image);
}

void TCanvas::Draw(int x, int y, const QPixmap& pixmap) {
  if (FPainter && !pixmap.isNull()) FPainter->drawPixmap(QPoint(x, y), pixmap);
}

void TCanvas::StretchDraw(const QRect& r, const QImage& image) {
  if (FPainter && !image.isNull() && !r.isEmpty()) FPainter->drawImage(r, image);
}

}  // namespace vexa
