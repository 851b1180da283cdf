// Overwriting bytes, deletion, the edit settings (insert mode, size lock, read-only view)
// and the keys the control asks the dialog manager for.

#include <algorithm>

#include "hexeditor/KorHexEditor.h"

namespace vexa {

// ---- overwriting ----------------------------------------------------------------------------

void TCustomKorHexEditor::InvalidateByteCells(int32_t Pos, int32_t Count) {
  for (int32_t p = Pos; p < Pos + Count; ++p) {
    int c, r;
    GetCellAtPos(p, false, c, r);
    InvalidateCell(c, r);
    InvalidateCell(c + 1, r);
    GetCellAtPos(p, true, c, r);
    InvalidateCell(c, r);
  }
}

void TCustomKorHexEditor::ChangeByte(uint8_t Old, uint8_t New, const QString& Description, int, int, int32_t Pos) {
  if (Old == New) return;
  // A position outside the data is refused before anything is recorded.
  FDataStorage->AddressOf(Pos, 1);
  RecordUndo(rkChangeBytes, Pos, 1, 0, Description);
  SetByteAt(Pos, New);
  if (!InsertMode()) SetByteChanged(Pos, true);
  InvalidateByteCells(Pos, 1);
  Changed();
}

void TCustomKorHexEditor::ChangeUnicodeChar(uint16_t Old, uint16_t New, const QString& Description, int, int,
                                            int32_t Pos) {
  if (Old == New) return;
  uint8_t before[2];
  ReadBuffer(before, Pos, 2);
  const uint8_t after[2] = {uint8_t(New & 0xFF), uint8_t(New >> 8)};
  RecordUndo(rkChangeBytes, Pos, 2, 0, Description);
  WriteBuffer(after, Pos, 2);
  // Only a byte that really changed is marked; a mark the other byte already carries stays.
  if (!InsertMode()) {
    if (before[0] != after[0]) SetByteChanged(Pos, true);
    if (before[1] != after[1]) SetByteChanged(Pos + 1, true);
  }
  InvalidateByteCells(Pos, 2);
  Changed();
}

// ---- deletion -------------------------------------------------------------------------------

void TCustomKorHexEditor::DeleteAtCaret(bool Backwards, const QString& Description) {
  const int32_t unit = FBytesPerUnit;
  const int32_t caretUnit = ClampedCaretPosition() / unit * unit;
  int32_t start = caretUnit;
  int32_t count = unit;
  if (!Backwards) {
    // Forwards from the append point there is nothing to delete.
    if (CaretPosition() >= DataSize()) return;
    while (start + count > DataSize()) --count;
    RecordUndo(rkRemove, start, count, 0, Description);
    DeleteRange(start, start + count, Col(), Row());
    Changed();
    return;
  }
  if (InsertMode() && SelectionLength() == 0) {
    start = CaretPosition();
    if (start == DataSize() && DataSize() % unit != 0)
      count = 1;  // the trailing partial unit
    else
      start = start / unit * unit;
  }
  if (start == 0) return;
  RecordUndo(rkRemove, start - count, count, 0, Description);
  DeleteRange(start - count, start, Col(), Row());
  if (start == caretUnit)
    Seek(start - count, 0);
  else if (Col() + 1 < ColCount())
    MoveColRow(Col() + 1, Row(), true, true);
  Changed();
}

void TCustomKorHexEditor::DeleteSelection(const QString& Description) {
  int32_t start, end;
  int col, row;
  if (SelectionLength() == 0) {
    start = CaretPosition();
    // The append point holds no byte to delete.
    if (start >= DataSize()) return;
    end = start + 1;
    col = Col();
    row = Row();
  } else {
    start = FSelectionStart;
    end = FSelectionEnd + 1;
    GetCellAtPos(start, CaretInCharField(), col, row);
  }
  // Recorded first: a refused deletion leaves data and marks as they were.
  RecordUndo(rkRemove, start, end - start, 0, Description);
  TruncateChangedBytes(start);
  DeleteRange(start, end, col, row);
  Changed();
}

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

// ---- dialog keys ----------------------------------------------------------------------------

void TCustomKorHexEditor::AnswerDialogCode(TMessage& Message) {
  TCustomGrid::WndProc(Message);
  Message.Result |= DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
  if (FWantTabs)
    Message.Result |= DLGC_WANTTAB;
  else
    Message.Result &= ~DLGC_WANTTAB;
}

}  // namespace vexa
