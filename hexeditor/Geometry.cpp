// Grid layout, position mapping, the cell check and the layout setters.
//
// Columns: 0 offset gutter, 1 narrow gap, 2 .. HexColumnCount + 1 hex digits (two per byte),
// HexColumnCount + 2 the gap between the fields, then one character column per byte (per
// 16-bit unit in Unicode mode). Rows: 0 ruler, 1 spacer, 2 .. data rows.

#include <QFontMetrics>
#include <algorithm>

#include "hexeditor/KorHexEditor.h"
#include "hexeditor/Messages.h"

namespace vexa {

// ---- position mapping -----------------------------------------------------------------------

int32_t TCustomKorHexEditor::GetPosAtCell(int ACol, int ARow) {
  int32_t pos;
  FCaretInCharField = ACol > FHexColumnCount + 2;
  if (FCaretInCharField) {
    pos = ACol - FHexColumnCount - 3;
    if (FUnicodeChars) pos *= 2;
  } else {
    pos = (ACol - 2) / 2;
  }
  pos += (ARow - 2) * FBytesPerRow;
  return pos < 0 ? 0 : pos;
}

void TCustomKorHexEditor::GetCellAtPos(int32_t Pos, bool InCharField, int& ACol, int& ARow) const {
  if (Pos < 0) {
    ACol = 2;
    ARow = 2;
    return;
  }
  ARow = Pos / FBytesPerRow + 2;
  const int inRow = Pos % FBytesPerRow;
  if (InCharField)
    ACol = FHexColumnCount + 3 + (FUnicodeChars ? inRow / 2 : inRow);
  else
    ACol = 2 + 2 * inRow;
}

int TCustomKorHexEditor::GetOtherFieldColNoChange(int ACol) const {
  if (ACol > FHexColumnCount + 2) {
    const int index = ACol - FHexColumnCount - 3;
    return 2 + (FUnicodeChars ? 4 : 2) * index;
  }
  return FHexColumnCount + 3 + (ACol - 2) / (FUnicodeChars ? 4 : 2);
}

int TCustomKorHexEditor::GetOtherFieldCol(int ACol) {
  FCaretInCharField = ACol > FHexColumnCount + 2;
  return GetOtherFieldColNoChange(ACol);
}

bool TCustomKorHexEditor::CaretInCharField() {
  if (DataSize() == 0) return false;
  FCaretInCharField = Col() > FHexColumnCount + 2;
  return FCaretInCharField;
}

void TCustomKorHexEditor::SetCaretInCharField(bool value) {
  if (DataSize() == 0 || value == CaretInCharField()) return;
  MoveColRow(GetOtherFieldColNoChange(Col()), Row(), true, true);
}

int32_t TCustomKorHexEditor::CaretPosition() { return GetPosAtCell(Col(), Row()); }

int32_t TCustomKorHexEditor::ClampedCaretPosition() {
  return std::clamp(CaretPosition(), 0, std::max(0, DataSize() - 1));
}

void TCustomKorHexEditor::MoveCaretToPos(int32_t Pos, bool InCharField) {
  int c, r;
  GetCellAtPos(Pos, InCharField, c, r);
  MoveColRow(c, r, true, true);
}

int32_t TCustomKorHexEditor::Seek(int32_t Offset, int Origin) {
  if (DataSize() == 0) return -1;
  int64_t target;
  switch (Origin) {
    case 0: target = Offset; break;
    case 1: target = int64_t(ClampedCaretPosition()) + Offset; break;
    case 2: target = int64_t(DataSize()) - 1 + Offset; break;
    default: target = ClampedCaretPosition(); break;
  }
  const int32_t pos = static_cast<int32_t>(std::clamp<int64_t>(target, 0, DataSize() - 1));
  SetSelStart(pos);
  return pos;
}

// ---- layout ---------------------------------------------------------------------------------

void TCustomKorHexEditor::UpdateGridSize() {
  if (DataSize() < FChangedBytes.Size()) FChangedBytes.SetSize(DataSize());
  int rows = 3;
  if (DataSize() > 0) {
    rows = 2 + (DataSize() + FBytesPerRow - 1) / FBytesPerRow;
    if (DataSize() % FBytesPerRow == 0 && InsertMode()) ++rows;
  }
  SetRowCount(rows);
  SetColCount(FUnicodeChars ? 2 * FBytesPerRow + FBytesPerRow / 2 + 3 : 3 * FBytesPerRow + 3);
  SetFixedCols(2);
  SetFixedRows(2);
  UpdateColumnWidths();
}

void TCustomKorHexEditor::UpdateColumnWidths() {
  const QFontMetrics metrics(FFont->ToQFont());
  const int w = metrics.horizontalAdvance(QStringLiteral("w"));
  FCharWidth = w;

  UpdateOffsetColumn();
  SetColWidths(1, 6);

  for (int i = 0; i <= FHexColumnCount; ++i) {
    const int c = i + 2;
    int width;
    if (c == FLastHexCol) {
      width = 2 * w;
    } else {
      width = w;
      if (c % FNibbleGroupWidth == 1) width += w;
      if (FBytesPerBlock > 1 && c % (2 * FBytesPerBlock) == 1) width += w;
    }
    SetColWidths(c, width);
  }

  const int n = FUnicodeChars ? FBytesPerRow / 2 : FBytesPerRow;
  const int unit = RulerUnit();
  for (int i = 0; i < n; ++i) {
    int width = (!FUnicodeChars && unit > 1 && i % unit == unit - 1) ? w * 3 / 2 + 1 : w + 1;
    if (FBytesPerBlock > 1 && FSeparateBlocksInCharField) {
      const bool endsBlock = FUnicodeChars ? (FBytesPerBlock / 2 > 0 && i % (FBytesPerBlock / 2) == FBytesPerBlock / 2 - 1)
                                           : (i % FBytesPerBlock == FBytesPerBlock - 1);
      if (endsBlock) width += w;
    }
    SetColWidths(FHexColumnCount + 3 + i, width);
  }
  SetColWidths(ColCount() - 1, 2 * w + 1);

  FCharHeight = metrics.height() + 2;
  SetDefaultRowHeight(FCharHeight);
  SetRowHeights(1, 0);
  SetRowHeights(0, FShowRuler ? FCharHeight + 3 : 0);
  UpdateCaretPos();
}

// ---- the cell check -------------------------------------------------------------------------

bool TCustomKorHexEditor::SelectCell(int ACol, int ARow) {
  if (DataSize() == 0) {
    const bool accepted = ACol == 2 || (ARow == 2 && ACol == GetOtherFieldColNoChange(2));
    if (accepted) PlaceCaretAt(ACol, ARow);
    return accepted;
  }
  const bool result = TCustomGrid::SelectCell(ACol, ARow);
  if (!result || FInSelectCell) return result;
  FInSelectCell = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{FInSelectCell};

  if (!IsKeyDown(VK_SHIFT) && !IsMouseButtonDown(mbLeft)) ResetSelection(true);

  const int32_t pos = GetPosAtCell(ACol, ARow);
  const bool inCharField = FCaretInCharField;
  if (pos >= DataSize()) {
    const bool ok = InsertMode() && pos == DataSize() && (inCharField || ACol % 2 == 0);
    if (!ok) {
      MoveCaretToPos(InsertMode() ? DataSize() : DataSize() - 1, inCharField);
      return false;
    }
  }
  if (ACol == FHexColumnCount + 2) {
    if (IsMouseButtonDown(mbLeft)) MoveColRow(std::max(2, ACol - 1), ARow, true, true);
    return false;
  }

  const int oldCol = Col();
  const int oldRow = Row();
  if (ACol != oldCol || ARow != oldRow) {
    InvalidatePartnerCells(oldCol, oldRow);
    InvalidatePartnerCells(ACol, ARow);
    if (FShowRuler && ACol != oldCol) {
      InvalidateCell(oldCol, 0);
      InvalidateCell(ACol, 0);
    }
    if (ARow != oldRow) {
      InvalidateCell(0, oldRow);
      InvalidateCell(0, ARow);
    }
  }
  ExtendSelection(ACol, ARow);
  PlaceCaretAt(ACol, ARow);
  SelectionChanged();
  return true;
}

void TCustomKorHexEditor::InvalidatePartnerCells(int ACol, int ARow) {
  InvalidateCell(ACol, ARow);
  const int other = GetOtherFieldColNoChange(ACol);
  if (ACol > FHexColumnCount + 2) {
    const int digits = FUnicodeChars ? 4 : 2;
    for (int i = 0; i < digits; ++i) InvalidateCell(other + i, ARow);
  } else {
    InvalidateCell(other, ARow);
  }
}

// Selection extension for an accepted cell change: extends the selection while a gesture is
// running and ends it otherwise.
void TCustomKorHexEditor::ExtendSelection(int ACol, int ARow) {
  if (!FSelecting) {
    ResetSelection(true);
    return;
  }
  const bool savedField = FCaretInCharField;
  int32_t current = CaretPosition();
  int32_t target = GetPosAtCell(ACol, ARow);
  FCaretInCharField = savedField;
  if (FSelectionOrigin == -1) FSelectionOrigin = current;
  const int32_t unit = FBytesPerUnit;
  if (!InsertMode()) {
    int32_t& lo = FSelectionOrigin <= target ? FSelectionOrigin : target;
    int32_t& hi = FSelectionOrigin <= target ? target : FSelectionOrigin;
    lo = lo / unit * unit;
    hi = std::min(hi / unit * unit + unit - 1, DataSize() - 1);
    SetSelection(FSelectionOrigin, target);
    return;
  }
  FSelectionOrigin = FSelectionOrigin / unit * unit;
  target = target / unit * unit;
  if (FSelectionOrigin == target) {
    ResetSelection(true);
    FSelectionOrigin = target;
    FSelecting = true;
  } else if (FSelectionOrigin > target) {
    SetSelection(FSelectionOrigin - unit, target);
  } else {
    SetSelection(FSelectionOrigin, target - unit);
  }
}

void TCustomKorHexEditor::PlaceCaretAt(int ACol, int ARow) {
  const QRect r = CellRect(ACol, ARow);
  if (r.isEmpty())
    PlaceCaret(-50, -50);
  else
    PlaceCaret(r.left(), r.top());
}

void TCustomKorHexEditor::UpdateCaretPos() { PlaceCaretAt(Col(), Row()); }

// ---- layout setters -------------------------------------------------------------------------

void TCustomKorHexEditor::SetBytesPerRow(int value) {
  if (value < 1 || value > 256 || (FUnicodeChars && value % 2 != 0)) throw EKorHexEditor(msgInvalidBytesPerLine);
  if (value == FBytesPerRow) return;
  FOffsetRuler.FollowBytesPerRow(value);
  const int32_t anchor = FSelectionAnchor, start = FSelectionStart, end = FSelectionEnd;
  const bool inChar = CaretInCharField();
  const bool lowDigit = !inChar && DataSize() > 0 && (Col() - 2) % 2 == 1;
  int32_t pos = CaretPosition();
  FBytesPerRow = value;
  FHexColumnCount = 2 * value;
  FLastHexCol = 2 * value + 1;
  UpdateRulerTexts();
  UpdateGridSize();
  if (pos >= DataSize()) pos = DataSize() - 1;
  int c, r;
  GetCellAtPos(pos, inChar, c, r);
  if (lowDigit) ++c;
  MoveColRow(c, r, true, true);
  if (anchor >= 0) SetSelectionFields(anchor, start, end);
  viewport()->update();
}

void TCustomKorHexEditor::SetBytesPerColumn(int value) {
  if (value < 1 || value > 256 || (FUnicodeChars && value % 2 != 0)) throw EKorHexEditor(msgInvalidBytesPerColumn);
  if (2 * value == FNibbleGroupWidth) return;
  FOffsetRuler.FollowBytesPerColumn(value);
  FNibbleGroupWidth = 2 * value;
  UpdateColumnWidths();
  UpdateRulerTexts();
  viewport()->update();
}

void TCustomKorHexEditor::SetBytesPerUnit(int value) {
  if (value == FBytesPerUnit) return;
  if (FUnicodeChars && value != 2) throw EKorHexEditor(msgUnitInUnicode);
  if (value != 1 && value != 2 && value != 4 && value != 8) throw EKorHexEditor(Format(msgInvalidUnit, {value}));
  FBytesPerUnit = value;
  FOffsetRuler.FollowBytesPerUnit(value);
  UpdateColumnWidths();
  UpdateRulerTexts();
  if (SelectionLength() % value != 0) ResetSelection(false);
  viewport()->update();
}

void TCustomKorHexEditor::SetBytesPerBlock(int value) {
  if (value == FBytesPerBlock) return;
  FBytesPerBlock = value;
  UpdateColumnWidths();
  viewport()->update();
}

void TCustomKorHexEditor::SetSeparateBlocksInCharField(bool value) {
  if (value == FSeparateBlocksInCharField) return;
  FSeparateBlocksInCharField = value;
  if (value && FBytesPerBlock > 1) UpdateColumnWidths();
  viewport()->update();
}

void TCustomKorHexEditor::SetShowRuler(bool value) {
  if (value == FShowRuler && !IsLoading()) return;
  FShowRuler = value;
  UpdateColumnWidths();
  viewport()->update();
}

void TCustomKorHexEditor::SetUnicodeChars(bool value) {
  if (value == FUnicodeChars) return;
  if (value) {
    if (FBytesPerRow % 2 != 0) throw EKorHexEditor(msgInvalidBytesPerLine);
    if (FNibbleGroupWidth / 2 % 2 != 0) throw EKorHexEditor(msgInvalidBytesPerColumn);
    if (DataSize() % 2 != 0) throw EKorHexEditor(msgOddUnicode);
    UnicodeModeSwitchingOn();
  }
  FUnicodeChars = value;
  SetColCount(value ? 2 * FBytesPerRow + FBytesPerRow / 2 + 3 : 3 * FBytesPerRow + 3);
  SetBytesPerUnit(value ? 2 : 1);
  UpdateGridSize();
  UpdateRulerTexts();
  viewport()->update();
}

void TCustomKorHexEditor::SetUnicodeBigEndian(bool value) {
  if (value == FUnicodeBigEndian) return;
  FUnicodeBigEndian = value;
  if (FUnicodeChars) viewport()->update();
}

void TCustomKorHexEditor::SetGutterWidth(int value) {
  if (!FOffsetRuler.SetGutterWidth(value)) return;
  UpdateOffsetColumn();
  viewport()->update();
}

void TCustomKorHexEditor::SetFont(TFont* value) {
  if (value && value != FFont) FFont->Assign(*value);
}

}  // namespace vexa
