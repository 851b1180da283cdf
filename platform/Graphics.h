#pragma once
// Colours, fonts and the drawing canvas.
//
// TColor holds 0x00BBGGRR values; a value with the top bit set names a system colour
// (0x80000000 | index) that is resolved through the application palette when drawn.
// TFont is a published font description (name, pixel height, colour, style) that converts to
// a QFont. TCanvas draws on a QPainter while a paint is active and measures text with its
// font at any time.

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>

class QPainter;

namespace vexa {

using TColor = int32_t;

// System colours: 0x80000000 | the system colour index.
constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index)); }
constexpr bool IsSystemColor(TColor c) { return (static_cast<uint32_t>(c) & 0xFF000000u) == 0x80000000u; }

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor RGB(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

// The colour as drawn: system colours come from the application palette, clDefault is
// clWindow, clNone is transparent.
QColor ColorToQColor(TColor color);
// A plain 0x00BBGGRR value: system colours and clDefault are resolved through the palette;
// plain colours come back with the unused top byte cleared; clNone stays clNone.
TColor ColorToRGB(TColor color);
// The 0x00BBGGRR value of a QColor (alpha is dropped).
TColor QColorToColor(const QColor& color);

// ---- fonts ---------------------------------------------------------------------------------

enum TFontStyle { fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4, fsStrikeOut = 0x8 };
using TFontStyles = QFlags<TFontStyle>;
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

// A font description. Height < 0 is the pixel height of the characters (the em size); a
// positive Height (the cell height in the component library) is drawn at that em size too.
// Size is in points at 96 dots per inch and follows Height: Size = -Height * 72 / 96, rounded.
class TFont : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(int Height READ Height WRITE SetHeight)
  Q_PROPERTY(int Size READ Size WRITE SetSize STORED false)
  Q_PROPERTY(int Color READ Color WRITE SetColor)
  Q_PROPERTY(int Style READ StyleValue WRITE SetStyleValue)

public:
  static constexpr int PixelsPerInch = 96;

  explicit TFont(QObject* parent = nullptr);

  QString Name() const { return FName; }
  void SetName(const QString& value);
  int Height() const { return FHeight; }
  void SetHeight(int value);
  int Size() const;
  void SetSize(int points);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);
  int StyleValue() const { return static_cast<int>(FStyle); }
  void SetStyleValue(int value) { SetStyle(TFontStyles(value & 0xF)); }

  // Copies every attribute; fires OnChange once when anything differed.
  void Assign(const TFont& source);
  bool SameAs(const TFont& other) const;

  // The Qt font: pixel size |Height| (at least 1), a typewriter style hint and full hinting
  // (which keeps character widths whole pixels).
  QFont ToQFont() const;

  // Fired after every change.
  std::function<void()> OnChange;

private:
  void Changed();

  QString FName = QStringLiteral("Courier New");
  int FHeight = -15;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
};

// ---- canvas ----------------------------------------------------------------------------------

enum TBrushStyle { bsSolid, bsClear };
enum TPenMode {
  pmCopy,     // the pen colour
  pmNot,      // inverts the destination
  pmXor,      // pen colour XOR destination
  pmNotXor,   // NOT (pen colour XOR destination)
};
enum TPenStyle { psSolid, psDot, psClear };

// Draws with a QPainter between BeginPaint and EndPaint. Coordinates follow the component
// library: FillRect/FrameRect/Rectangle/TextRect take a QRect whose right() and bottom() are
// the last pixel inside (QRect's own convention, right = left + width - 1); LineTo draws up
// to, but not including, the end point. Measuring works at any time, with or without a paint.
class TCanvas {
public:
  TCanvas();
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TFont& Font() { return FFont; }
  const TFont& Font() const { return FFont; }

  // Brush: fills and the opaque background of text.
  TColor BrushColor() const { return FBrushColor; }
  void SetBrushColor(TColor c);  // also sets the text background colour, as selecting a brush does
  TBrushStyle BrushStyle() const { return FBrushStyle; }
  void SetBrushStyle(TBrushStyle s) { FBrushStyle = s; }
  // The colour behind opaque text; follows the brush until set on its own.
  TColor TextBackground() const { return FTextBackground; }
  void SetTextBackground(TColor c) { FTextBackground = c; }

  TColor PenColor() const { return FPenColor; }
  void SetPenColor(TColor c) { FPenColor = c; }
  int PenWidth() const { return FPenWidth; }
  void SetPenWidth(int w) { FPenWidth = w < 1 ? 1 : w; }
  TPenMode PenMode() const { return FPenMode; }
  void SetPenMode(TPenMode m) { FPenMode = m; }
  TPenStyle PenStyle() const { return FPenStyle; }
  void SetPenStyle(TPenStyle s) { FPenStyle = s; }

  QPoint PenPos() const { return FPenPos; }
  void MoveTo(int x, int y) { FPenPos = QPoint(x, y); }
  void LineTo(int x, int y);

  void FillRect(const QRect& r);                  // brush colour (nothing with bsClear)
  void FrameRect(const QRect& r);                 // 1-pixel frame in the brush colour
  void Rectangle(const QRect& r);                 // pen outline, brush fill
  void DrawFocusRect(const QRect& r);             // dotted, inverting frame
  void InvertRect(const QRect& r);
  // Draws text with its top-left cell corner at (x, y), clipped to r; with a solid brush the
  // whole of r is first filled with the text background.
  void TextRect(const QRect& r, int x, int y, const QString& text);
  // Draws text at (x, y); with a solid brush the text cell gets the text background.
  void TextOut(int x, int y, const QString& text);
  int TextWidth(const QString& text) const;
  int TextHeight(const QString& text) const;
  QSize TextExtent(const QString& text) const;
  void Draw(int x, int y, const QImage& image);
  void Draw(int x, int y, const QPixmap& pixmap);
  void StretchDraw(const QRect& r, const QImage& image);

  // The region being repainted during a paint (the whole device otherwise).
  QRect ClipRect() const { return FClipRect; }

  // Painting binds the canvas to a painter; every drawing call outside that is ignored.
  void BeginPaint(QPainter* painter, const QRect& clip);
  void EndPaint();
  bool Painting() const { return FPainter != nullptr; }
  QPainter* Painter() const { return FPainter; }

private:
  void ApplyPen();
  QRectF LineRect(QPoint a, QPoint b) const;

  TFont FFont;
  TColor FBrushColor = clWhite;
  TBrushStyle FBrushStyle = bsSolid;
  TColor FTextBackground = clWhite;
  TColor FPenColor = clBlack;
  int FPenWidth = 1;
  TPenMode FPenMode = pmCopy;
  TPenStyle FPenStyle = psSolid;
  QPoint FPenPos;
  QPainter* FPainter = nullptr;
  QRect FClipRect;
};

}  // namespace vexa
