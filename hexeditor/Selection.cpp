// The selection: its fields, setting and ending it, and SelStart / SelEnd.
//
// A selection is an anchor and an inclusive range start <= end, all -1 when there is none.
// It always covers whole units (BytesPerUnit) and never reaches past the data: the stored
// values are clamped to -1 .. DataSize - 1. The gesture that builds a selection by mouse or
// Shift (Selecting, SelectionOrigin) is extended by the cell check (Geometry.cpp) and ended
// by ResetSelection.

#include <algorithm>

#include "hexeditor/KorHexEditor.h"
#include "hexeditor/Messages.h"

namespace vexa {

void TCustomKorHexEditor::SetSelectionFields(int32_t Anchor, int32_t Start, int32_t End) {
  const int32_t last = DataSize() - 1;
  auto clamp = [last](int32_t v) { return std::clamp(v, -1, std::max(-1, last)); };
  FSelectionAnchor = clamp(Anchor);
  FSelectionStart = clamp(Start);
  FSelectionEnd = clamp(End);
}

void TCustomKorHexEditor::InvalidateRows(int32_t FromPos, int32_t ToPos) {
  if (FromPos > ToPos) std::swap(FromPos, ToPos);
  const int first = FromPos / FBytesPerRow + 2;
  const int last = ToPos / FBytesPerRow + 2;
  const int top = TopRow();
  const int bottom = top + VisibleRowCount() + 1;
  for (int r = std::max(first, top); r <= std::min(last, bottom); ++r) InvalidateRow(r);
}

void TCustomKorHexEditor::SetSelection(int32_t Anchor, int32_t Other) {
  // Both ends cover whole units: the lower rounded down, the upper up to the unit's end.
  int32_t& lo = Anchor <= Other ? Anchor : Other;
  int32_t& hi = Anchor <= Other ? Other : Anchor;
  lo = lo / FBytesPerUnit * FBytesPerUnit;
  hi = hi / FBytesPerUnit * FBytesPerUnit + FBytesPerUnit - 1;
  if (hi > DataSize() - 1) hi = DataSize() - 1;

  const int32_t oldStart = FSelectionStart;
  const int32_t oldEnd = FSelectionEnd;
  const bool hadSelection = FSelectionAnchor >= 0;
  SetSelectionFields(Anchor, std::min(Anchor, Other), std::max(Anchor, Other));
  if (!hadSelection) {
    InvalidateRows(FSelectionStart, FSelectionEnd);
  } else {
    InvalidateRows(oldStart, FSelectionStart);
    InvalidateRows(oldEnd, FSelectionEnd);
  }
  SelectionChanged();
}

void TCustomKorHexEditor::ResetSelection(bool Repaint) {
  FSelecting = false;
  const int32_t oldStart = FSelectionStart;
  const int32_t oldEnd = FSelectionEnd;
  const bool hadSelection = FSelectionAnchor >= 0;
  SetSelectionFields(-1, -1, -1);
  FSelectionOrigin = -1;
  if (Repaint && hadSelection) InvalidateRows(oldStart, oldEnd);
}

int32_t TCustomKorHexEditor::SelStart() const {
  if (FSelectionAnchor >= 0) return FSelectionAnchor;
  return const_cast<TCustomKorHexEditor*>(this)->CaretPosition();
}

int32_t TCustomKorHexEditor::SelEnd() const {
  if (FSelectionAnchor < 0) return const_cast<TCustomKorHexEditor*>(this)->CaretPosition();
  return FSelectionAnchor == FSelectionEnd ? FSelectionStart : FSelectionEnd;
}

void TCustomKorHexEditor::SetSelStart(int32_t Pos) {
  if (Pos < 0 || Pos >= DataSize()) throw EKorHexEditor(msgInvalidSelStart);
  ResetSelection(true);
  MoveCaretToPos(Pos, CaretInCharField());
}

void TCustomKorHexEditor::SetSelEnd(int32_t Pos) {
  if (Pos < -1 || Pos >= DataSize()) throw EKorHexEditor(msgInvalidSelEnd);
  ResetSelection(true);
  if (Pos >= 0) SetSelection(CaretPosition(), Pos);
}

}  // namespace vexa
