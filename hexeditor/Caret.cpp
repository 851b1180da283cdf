// The system caret of the control: its glyph per CaretKind, its lifecycle with the focus, and
// its placement on the current cell.
//
// The caret exists only while the control has the focus. Gaining the focus builds the glyph
// (CharWidth x (CharHeight - 2) pixels; white pixels invert the picture), shows it and puts it
// on the current cell; losing the focus hides and destroys it. Placement follows the current
// cell after cell moves, scrolling, resizes and font changes; a cell out of view puts the
// caret off-screen at (-50, -50).

#include <algorithm>

#include "hexeditor/KorHexEditor.h"

namespace vexa {

namespace {

constexpr int OffScreen = -50;
constexpr int BarSize = 2;

}  // namespace

TKorHCaretKind TCustomKorHexEditor::EffectiveCaretKind() const {
  if (FCaretKind != ckAuto) return FCaretKind;
  if (FReadOnlyView) return ckBottom;
  // The stored flag, not the effective insert mode: the shape tells which mode typing would
  // use once insertion is allowed.
  if (FInsertMode) return ckLeft;
  return ckFull;
}

void TCustomKorHexEditor::CreateCaretGlyph() {
  if (CaretOwner() == this) DestroyCaret();
  const int w = std::max(1, FCharWidth);
  const int h = std::max(1, FCharHeight - 2);
  FCaretGlyph = QImage(w, h, QImage::Format_Mono);
  FCaretGlyph.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  FCaretGlyph.fill(0);
  QRect white;
  switch (EffectiveCaretKind()) {
    case ckLeft: white = QRect(0, 0, std::min(BarSize, w), h); break;
    case ckBottom: white = QRect(0, std::max(0, h - BarSize), w, std::min(BarSize, h)); break;
    default: white = QRect(0, 0, w, h); break;
  }
  for (int y = white.top(); y <= white.bottom(); ++y)
    for (int x = white.left(); x <= white.right(); ++x) FCaretGlyph.setPixel(x, y, 1);
  CreateCaret(this, FCaretGlyph, w, h);
  ShowCaret(this);
}

// Placing the caret moves the system caret to (X, Y), a cell's top-left corner or the
// off-screen point. Only the focused control owns a caret. The cell under (X, Y) decides the
// caret's field; when that field is not the one painted active, the whole control repaints.
void TCustomKorHexEditor::PlaceCaret(int X, int Y) {
  if (!Focused() || CaretOwner() != this) return;
  // A font change re-lays out the grid and places the caret: the glyph follows the new cell.
  if (FCaretGlyph.width() != std::max(1, FCharWidth) || FCaretGlyph.height() != std::max(1, FCharHeight - 2)) {
    const QPoint at = GetCaretPos();
    CreateCaretGlyph();
    SetCaretPos(at.x(), at.y());
  }
  if (X != OffScreen || Y != OffScreen) {
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X >= FixedCols()) {
      FCaretInCharField = cell.X > FHexColumnCount + 2;
      if (FCaretInCharField != FActiveCharField) {
        FActiveCharField = FCaretInCharField;
        viewport()->update();
      }
    }
  }
  SetCaretPos(X, Y);
}

void TCustomKorHexEditor::TopLeftChanged() {
  UpdateCaretPos();
  TCustomGrid::TopLeftChanged();
}

void TCustomKorHexEditor::DoEnter() {
  TCustomGrid::DoEnter();
  CreateCaretGlyph();
  UpdateCaretPos();
  viewport()->update();
}

void TCustomKorHexEditor::DoExit() {
  TCustomGrid::DoExit();
  if (CaretOwner() == this) {
    HideCaret(this);
    DestroyCaret();
  }
  FSelecting = false;
  viewport()->update();
}

void TCustomKorHexEditor::InsertModeChanged() {
  if (FCaretKind != ckAuto || !Focused()) return;
  const QPoint at = GetCaretPos();
  CreateCaretGlyph();
  SetCaretPos(at.x(), at.y());
}

void TCustomKorHexEditor::SetCaretKind(TKorHCaretKind value) {
  if (value == FCaretKind) return;
  FCaretKind = value;
  if (!Focused()) return;
  CreateCaretGlyph();
  SetCaretPos(OffScreen, OffScreen);
  viewport()->update();
}

void TCustomKorHexEditor::SetCaretKindValue(int value) {
  if (value < ckFull || value > ckAuto) throw EKorHexEditor(Format("Invalid caret kind %d", {value}));
  SetCaretKind(static_cast<TKorHCaretKind>(value));
}

}  // namespace vexa
