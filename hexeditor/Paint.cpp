// Painting the control and the display settings that only change the picture.
//
// Paint draws, in this order: the ruler corner and ruler cells, the offset cells of the
// visible rows, the data cells of the visible rows and columns, the strips right of and
// below the grid, and the gutter and ruler edges. Only cells that are visible and meet the
// repainted rectangle are visited. Text is never measured here: every cell is CharWidth wide
// for its text and one character high, and the offset text is right-aligned by its length.
//
// Rectangles below follow the grid's QRect convention (right() is the last pixel inside);
// "right edge" and "bottom edge" mean one past the last pixel.

#include <QPainter>
#include <algorithm>
#include <array>

#include "hexeditor/KorHexEditor.h"
#include "platform/CodePages.h"

namespace vexa {

namespace {

// Inverting a colour exchanges each channel value v for 255 - v.
TColor InvertColor(TColor c) { return ColorToRGB(c) ^ 0xFFFFFF; }

// The grey of the same brightness: y = (74 r + 146 g + 36 b) / 256 in every channel.
TColor GrayColor(TColor c) {
  const TColor rgb = ColorToRGB(c);
  const int y = (74 * GetRValue(rgb) + 146 * GetGValue(rgb) + 36 * GetBValue(rgb)) / 256;
  return RGB(y, y, y);
}

// Draws cells on the paint's QPainter with colours resolved once per paint and pens kept
// for the few colours a picture uses, so that a cell costs a fill, a clip and a glyph.
class TCellPainter {
public:
  TCellPainter(QPainter& painter, const QFont& font) : P(painter), Ascent(QFontMetrics(font).ascent()) {
    P.setFont(font);
    SystemColors.fill(QColor());
  }

  QColor Resolve(TColor c) {
    if (IsSystemColor(c) || c == clDefault) {
      const size_t index = c == clDefault ? 5 : static_cast<size_t>(c & 0xFF);
      if (index < SystemColors.size()) {
        if (!SystemColors[index].isValid()) SystemColors[index] = ColorToQColor(c);
        return SystemColors[index];
      }
      return ColorToQColor(c);
    }
    if (c == clNone) return QColor(Qt::transparent);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
  }

  void Fill(const QRect& r, TColor c) {
    if (!r.isEmpty()) P.fillRect(r, Resolve(c));
  }

  // One line of text drawn opaque: `box` is filled with the background, the text is drawn
  // with its top-left cell corner at (x, y) and clipped to `box` (within `area`).
  void Text(const QRect& box, const QRect& area, int x, int y, const QString& text, TColor fg, TColor bg) {
    const QRect clip = box & area;
    if (clip.isEmpty()) return;
    P.fillRect(clip, Resolve(bg));
    if (text.isEmpty()) return;
    UsePen(Resolve(fg));
    P.setClipRect(clip);
    P.drawText(QPoint(x, y + Ascent), text);
    SetBaseClip(BaseClip);
  }

  // The clip every drawing call keeps to (a null rectangle: none but the paint region).
  void SetBaseClip(const QRect& r) {
    BaseClip = r;
    if (r.isNull())
      P.setClipping(false);
    else
      P.setClipRect(r);
  }

  void HLine(int x0, int x1, int y, TColor c) {
    if (x1 > x0) P.fillRect(QRect(x0, y, x1 - x0, 1), Resolve(c));
  }
  void VLine(int x, int y0, int y1, TColor c) {
    if (y1 > y0) P.fillRect(QRect(x, y0, 1, y1 - y0), Resolve(c));
  }

private:
  void UsePen(const QColor& c) {
    const QRgb rgb = c.rgba();
    if (HasPen && rgb == PenRgb) return;
    for (auto& [key, pen] : Pens) {
      if (key == rgb) {
        P.setPen(pen);
        HasPen = true;
        PenRgb = rgb;
        return;
      }
    }
    Pens[NextPen] = {rgb, QPen(c)};
    P.setPen(Pens[NextPen].second);
    NextPen = (NextPen + 1) % Pens.size();
    HasPen = true;
    PenRgb = rgb;
  }

  QPainter& P;
  int Ascent;
  std::array<QColor, 32> SystemColors;
  std::array<std::pair<QRgb, QPen>, 8> Pens{};
  size_t NextPen = 0;
  bool HasPen = false;
  QRgb PenRgb = 0;
  QRect BaseClip;
};

}  // namespace

// ---- display settings -------------------------------------------------------------------------

void TCustomKorHexEditor::SetFocusFrame(bool value) {
  if (value == FFocusFrame) return;
  FFocusFrame = value;
  viewport()->update();
}

void TCustomKorHexEditor::SetDrawGridLines(bool value) {
  if (value == FDrawGridLines) return;
  FDrawGridLines = value;
  viewport()->update();
}

void TCustomKorHexEditor::SetDrawGutter3D(bool value) {
  if (value == FDrawGutter3D) return;
  FDrawGutter3D = value;
  viewport()->repaint();
}

void TCustomKorHexEditor::SetShowPositionIfNotFocused(bool value) {
  if (value == FShowPositionIfNotFocused) return;
  FShowPositionIfNotFocused = value;
  viewport()->update();
}

void TCustomKorHexEditor::SetHideSelection(bool value) {
  if (value == FHideSelection) return;
  FHideSelection = value;
  if (!Focused() && SelectionLength() > 0) viewport()->update();
}

void TCustomKorHexEditor::SetGraySelectionIfNotFocused(bool value) {
  if (value == FGraySelectionIfNotFocused) return;
  FGraySelectionIfNotFocused = value;
  if (!Focused() && SelectionLength() > 0 && !FHideSelection) viewport()->update();
}

void TCustomKorHexEditor::SetDropMarker(bool Visible, int ACol, int ARow) {
  const TGridCoord cell{ACol, ARow};
  if (Visible == FDropMarkerVisible && cell == FDropMarkerCell) return;
  if (FDropMarkerVisible) InvalidateCell(FDropMarkerCell.X, FDropMarkerCell.Y);
  FDropMarkerVisible = Visible;
  FDropMarkerCell = cell;
  if (Visible) InvalidateCell(ACol, ARow);
}

// ---- painting -----------------------------------------------------------------------------------

void TCustomKorHexEditor::Paint() {
  TCanvas& canvas = *Canvas();
  QPainter* painter = canvas.Painter();
  if (!painter || FCharWidth <= 0) return;

  TGridDrawInfo di;
  CalcDrawInfo(di);
  const int clientW = di.Horz.GridExtent;
  const int clientH = di.Vert.GridExtent;
  const QRect client(0, 0, clientW, clientH);
  const QRect region = UpdateRect().isNull() ? client : (UpdateRect() & client);
  if (region.isEmpty()) return;

  const bool focused = Focused();
  const int32_t dataSize = DataSize();
  const int lastCol = ColCount() - 1;
  const int sepCol = FHexColumnCount + 2;
  const int cw = FCharWidth;
  const int curCol = Col();
  const int curRow = Row();
  const TKorHColors& colors = *FColors;
  const TColor fontColor = FFont->Color();
  const char* digits = HexDigits();
  const uint8_t* data = dataSize > 0 ? FDataStorage->RawPointer(0) : nullptr;
  const bool selectionShown = FSelectionAnchor >= 0 && !(FHideSelection && !focused);
  const bool graySelection = FGraySelectionIfNotFocused && !focused;
  const int unitChars = FUnicodeChars ? 2 : 1;

  canvas.Font().Assign(*FFont);
  const QFont font = FFont->ToQFont();
  TCellPainter cells(*painter, font);

  // The client area takes the control's colour before anything else is drawn.
  cells.Fill(region, Color());

  // Prepares the canvas for a text cell, asks the handler, and draws what it left enabled:
  // the whole cell in the brush colour, then the text opaque in its box.
  auto drawTextCell = [&](int c, int r, const QRect& cell, const QRect& textBox, const QRect& area, int textX,
                          TColor brush, TColor fg, TColor bg, TColor& usedFg) {
    canvas.SetBrushColor(brush);
    canvas.SetBrushStyle(bsSolid);
    canvas.SetTextBackground(bg);
    canvas.Font().SetColor(fg);
    bool defaultDraw = true;
    if (OnDrawCell) OnDrawCell(this, &canvas, c, r, FPaintText, textBox, defaultDraw);
    usedFg = canvas.Font().Color();
    if (!defaultDraw) return;
    cells.Fill(cell & area, canvas.BrushColor());
    cells.Text(textBox & cell, area, textX, cell.top(), FPaintText, canvas.Font().Color(), canvas.TextBackground());
  };

  // The visible scrolled columns that meet the region.
  FPaintColumns.clear();
  {
    int x = di.Horz.FixedBoundary;
    for (int c = LeftCol(); c <= lastCol && x < clientW && x <= region.right(); ++c) {
      const int w = ColWidths(c);
      if (w <= 0) continue;
      if (x + w > region.left()) FPaintColumns.push_back({c, x, w});
      x += w;
    }
  }

  const int gutterW = ColWidths(0);
  const int rulerH = RowHeights(0) + RowHeights(1);
  const QRect fixedArea(0, 0, di.Horz.FixedBoundary, clientH);

  // Ruler: corner cells, then one label per scrolled column.
  if (FShowRuler && RowHeights(0) > 0 && region.top() < RowHeights(0)) {
    const int h = RowHeights(0);
    TColor unused;
    FPaintText.clear();
    for (int c = 0, x = 0; c < FixedCols(); x += ColWidths(c), ++c) {
      const int w = ColWidths(c);
      if (w <= 0) continue;
      const QRect cell(x, 0, w, h);
      const QRect box = c == 0 ? cell : QRect(x, 0, cw, h);
      FPaintText.clear();
      drawTextCell(c, 0, cell, box, client, x, colors.OffsetBackGround(), colors.Offset(), colors.OffsetBackGround(),
                   unused);
    }
    const QRect area(di.Horz.FixedBoundary, 0, clientW - di.Horz.FixedBoundary, h);
    const QString& hexRuler = HexRulerText();
    const QString& charRuler = CharRulerText();
    for (const TPaintColumn& pc : FPaintColumns) {
      const int c = pc.Col;
      if (c == sepCol) {
        FPaintText = QStringLiteral("  ");
      } else {
        const QString& labels = c < sepCol ? hexRuler : charRuler;
        const int i = c < sepCol ? c - 2 : c - sepCol - 1;
        FPaintText.resize(1);
        FPaintText[0] = i < labels.size() ? labels[i] : QChar(' ');
      }
      const bool current = c == curCol;
      drawTextCell(c, 0, QRect(pc.Left, 0, pc.Width, h), QRect(pc.Left, 0, cw, h), area, pc.Left,
                   colors.OffsetBackGround(), current ? colors.CurrentOffset() : colors.Offset(),
                   current ? colors.CurrentOffsetBackground() : colors.OffsetBackGround(), unused);
    }
  }

  // Data rows: the offset cell, then the data cells.
  const QRect dataArea(di.Horz.FixedBoundary, di.Vert.FixedBoundary, clientW - di.Horz.FixedBoundary,
                       clientH - di.Vert.FixedBoundary);
  const int otherCurCol = GetOtherFieldColNoChange(curCol);
  const int rowCount = RowCount();
  for (int r = TopRow(), y = di.Vert.FixedBoundary; r < rowCount && y < clientH && y <= region.bottom(); ++r) {
    const int h = RowHeights(r);
    if (h <= 0) continue;
    const int top = y;
    y += h;
    if (y <= region.top()) continue;
    const int bottom = top + h;  // one past the row's last pixel
    const int64_t rowStart = int64_t(r - 2) * FBytesPerRow;

    // Offset column and the gap after it.
    if (gutterW > 0 && region.left() < di.Horz.FixedBoundary) {
      const bool current = r == curRow;
      const QRect cell(0, top, gutterW, h);
      FPaintText = FormatOffset(static_cast<uint32_t>(rowStart));
      TColor unused;
      drawTextCell(0, r, cell, cell, fixedArea, gutterW - int(FPaintText.size()) * cw - 4,
                   current ? colors.CurrentOffsetBackground() : colors.OffsetBackGround(),
                   current ? colors.CurrentOffset() : colors.Offset(),
                   current ? colors.CurrentOffsetBackground() : colors.OffsetBackGround(), unused);
      DrawBookmarkGlyphs(r, cell);
    }
    if (FDrawGridLines && FixedCols() > 1) {
      const int gapW = ColWidths(1);
      cells.HLine(gutterW, gutterW + gapW, bottom - 1, colors.Grid());
    }

    // Frames that reach into columns scrolled out of view stay out of the fixed area.
    cells.SetBaseClip(dataArea);
    for (const TPaintColumn& pc : FPaintColumns) {
      const int c = pc.Col;
      const QRect cell(pc.Left, top, pc.Width, h);
      const int right = pc.Left + pc.Width;  // one past the cell's last pixel
      const QRect textBox(pc.Left, top, cw, h);

      if (c == sepCol) {
        if (FDrawGridLines) {
          cells.VLine(pc.Left, top, bottom, colors.Grid());
          cells.HLine(pc.Left, right, bottom - 1, colors.Grid());
        }
        continue;
      }

      const bool hexCell = c < sepCol;
      const int64_t pos = hexCell ? rowStart + (c - 2) / 2 : rowStart + int64_t(c - sepCol - 1) * unitChars;
      const bool active = hexCell ? !FActiveCharField : FActiveCharField;
      const bool plainEnd = c == FLastHexCol || c == lastCol;
      TColor brush = active && !plainEnd ? colors.ActiveFieldBackground() : colors.Background();

      TColor fg;
      TColor bg;
      const bool changed =
          IsByteChanged(int32_t(pos)) || (!hexCell && FUnicodeChars && IsByteChanged(int32_t(pos + 1)));
      if (changed) {
        fg = colors.ChangedText();
        bg = colors.ChangedBackground();
      } else {
        bg = active ? colors.ActiveFieldBackground() : colors.Background();
        fg = hexCell ? (((c - 2) / FNibbleGroupWidth) % 2 == 0 ? colors.OddColumn() : colors.EvenColumn())
                     : fontColor;
      }

      TColor usedFg = fg;
      if (pos < dataSize) {
        const int32_t p = int32_t(pos);
        if (hexCell) {
          const uint8_t b = data[p];
          const bool high = ((c - 2) % 2 == 0) != (FSwapNibbles != 0);
          FPaintText.resize(1);
          FPaintText[0] = QLatin1Char(digits[high ? b >> 4 : b & 0x0F]);
        } else {
          FPaintText.resize(1);
          FPaintText[0] = QChar(FUnicodeChars ? UnicodeCharAt(p) : AnsiToWideChar(ByteToDisplayChar(data[p])));
        }

        if (selectionShown && IsSelected(p)) {
          // The selection band ends with the last selected character: the last cells of the
          // fields and the cells of the selection's last byte keep their brush beyond it.
          const int32_t cellLast = hexCell ? p : p + unitChars - 1;
          if (!plainEnd && cellLast != FSelectionEnd) brush = InvertColor(brush);
          bg = InvertColor(bg);
          fg = InvertColor(fg);
          if (graySelection) {
            bg = GrayColor(bg);
            fg = GrayColor(fg);
          }
        }
        drawTextCell(c, r, cell, textBox, dataArea, pc.Left, brush, fg, bg, usedFg);
      }

      // Insertion mark of a pending drop (also at the append point, which has no data).
      if (FDropMarkerVisible && FDropMarkerCell.X == c && FDropMarkerCell.Y == r && pos <= dataSize) {
        canvas.SetPenColor(usedFg);
        const int savedWidth = canvas.PenWidth();
        canvas.SetPenWidth(2);
        canvas.MoveTo(pc.Left + 1, top + 1);
        canvas.LineTo(pc.Left + 1, bottom - 1);
        canvas.SetPenWidth(savedWidth);
      }

      // Cursor frames: the caret byte's partner in the other field while focused, the caret
      // cell itself while not focused (when asked).
      QRect frame;
      TColor frameColor = colors.CursorFrame();
      if (focused && r == curRow) {
        const int digitsPerChar = FUnicodeChars ? 4 : 2;
        if (hexCell && otherCurCol == c - (digitsPerChar - 1) && curCol > sepCol) {
          int left = pc.Left;
          for (int k = 1; k < digitsPerChar; ++k) left -= ColWidths(c - k);
          frame = QRect(left, top, pc.Left + cw - left, h - 1);
        } else if (!hexCell && otherCurCol == c && curCol < sepCol) {
          frame = QRect(pc.Left, top, cw, h - 1);
        }
      } else if (!focused && FShowPositionIfNotFocused && c == curCol && r == curRow) {
        frame = QRect(pc.Left, top, cw, h - 1);
        frameColor = colors.NonFocusCursorFrame();
      }
      if (!frame.isEmpty()) {
        if (FFocusFrame) {
          canvas.DrawFocusRect(frame);
        } else {
          canvas.SetBrushStyle(bsClear);
          canvas.SetPenColor(frameColor);
          canvas.SetPenWidth(1);
          canvas.Rectangle(frame);
          canvas.SetBrushStyle(bsSolid);
        }
      }

      if (FDrawGridLines) {
        cells.HLine(pc.Left, right, bottom - 1, colors.Grid());
        if (c == lastCol) cells.VLine(right - 1, top, bottom - 1, colors.Grid());
      }
    }
    cells.SetBaseClip(QRect());
  }

  // The strips right of and below the grid.
  if (di.Horz.GridBoundary < clientW) {
    const int x = di.Horz.GridBoundary;
    cells.Fill(QRect(x, 0, clientW - x, di.Vert.GridBoundary), Color());
    cells.Fill(QRect(x, 0, clientW - x, std::min(rulerH, di.Vert.GridBoundary)), colors.OffsetBackGround());
  }
  if (di.Vert.GridBoundary < clientH) {
    const int y = di.Vert.GridBoundary;
    cells.Fill(QRect(gutterW + 1, y, clientW - gutterW - 1, clientH - y), Color());
    cells.Fill(QRect(0, y, gutterW, clientH - y), colors.OffsetBackGround());
  }

  // The gutter's right edge and the ruler's lower edge.
  if (gutterW != 0) {
    if (FDrawGutter3D) {
      cells.VLine(gutterW, rulerH, clientH, clBtnShadow);
      cells.VLine(gutterW - 1, rulerH, clientH, clBtnHighlight);
    } else if (FDrawGridLines) {
      cells.VLine(gutterW - 1, rulerH, clientH, colors.Grid());
    }
  }
  if (FShowRuler) {
    const int x0 = std::max(0, gutterW - 1);
    if (FDrawGutter3D) {
      cells.HLine(x0, clientW, rulerH - 1, clBtnShadow);
      cells.HLine(x0, clientW, rulerH - 2, clBtnHighlight);
    } else if (FDrawGridLines) {
      cells.HLine(x0, clientW, rulerH - 1, colors.Grid());
    }
  }
}

}  // namespace vexa
