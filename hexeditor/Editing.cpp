// Deletion and the edit settings (insert mode, size lock, read-only view).

#include <algorithm>

#include "hexeditor/KorHexEditor.h"

namespace vexa {

void TCustomKorHexEditor::DeleteRange(int32_t Start, int32_t End, int32_t ACol, int32_t ARow) {
  const bool inChar = Col() > FHexColumnCount + 2;
  const int32_t size = DataSize();
  if (End <= size - 1) FDataStorage->MoveBytes(End, Start, size - End);
  FDataStorage->SetSize(int64_t(size) - (End - Start));
  if (DataSize() == 0) {
    MoveColRow(inChar ? GetOtherFieldColNoChange(2) : 2, 2, true, true);
  } else if (ACol >= 0 && GetPosAtCell(ACol, ARow) >= DataSize()) {
    MoveCaretToPos(InsertMode() ? DataSize() : DataSize() - 1, inChar);
  } else if (ACol >= 0) {
    MoveColRow(ACol, ARow, true, true);
  }
  UpdateGridSize();
  ResetSelection(false);
  viewport()->update();
}

void TCustomKorHexEditor::SetInsertMode(bool value) {
  if (value == FInsertMode || !InsertModeAllowed()) return;
  FInsertMode = value;
  InsertModeChanged();
  if (DataSize() == 0) return;
  if (DataSize() % FBytesPerRow == 0) {
    if (value) {
      SetRowCount(RowCount() + 1);
    } else {
      const bool onAppendPoint = CaretPosition() >= DataSize();
      SetRowCount(RowCount() - 1);
      if (onAppendPoint) MoveCaretToPos(DataSize() - 1, CaretInCharField());
    }
  } else if (!value && CaretPosition() >= DataSize()) {
    MoveCaretToPos(DataSize() - 1, CaretInCharField());
  }
  FChangedBytes.SetSize(0);
  viewport()->update();
}

void TCustomKorHexEditor::SetAllowInsertMode(bool value) {
  if (!value && FInsertMode) SetInsertMode(false);
  FAllowInsertMode = value;
}

void TCustomKorHexEditor::SetNoSizeChange(bool value) {
  if (value == FNoSizeChange) return;
  if (value) SetInsertMode(false);
  FNoSizeChange = value;
}

void TCustomKorHexEditor::SetReadOnlyView(bool value) {
  FReadOnlyView = value;
  InsertModeChanged();
}

}  // namespace vexa
