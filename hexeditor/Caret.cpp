// Placing the system caret on the current cell.

#include "hexeditor/KorHexEditor.h"

namespace vexa {

void TCustomKorHexEditor::PlaceCaret(int X, int Y) {
  if (CaretOwner() == viewport() || CaretOwner() == this) SetCaretPos(X, Y);
}

void TCustomKorHexEditor::TopLeftChanged() {
  UpdateCaretPos();
  TCustomGrid::TopLeftChanged();
}

}  // namespace vexa
