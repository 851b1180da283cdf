// The extended control's double click.

#include "hexeditor/KorHexEditorEx.h"

namespace vexa {

void TKorHexEditorEx::DblClick() {
  SelectUnitAtPointer();
  TCustomKorHexEditor::DblClick();
}

}  // namespace vexa
