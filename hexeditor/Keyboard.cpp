// The control's keyboard: the key table that moves the caret, switches fields, deletes and
// toggles insert mode, and the character entry that turns typed hex digits and characters
// into bytes. Every caret move goes through the grid's cell check (which extends or ends the
// selection); every change of the data goes through the editing primitives.

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "hexeditor/KorHexEditor.h"

namespace vexa {

namespace {

constexpr TShiftState kModifiers = TShiftState(ssShift) | ssCtrl | ssAlt;
constexpr TShiftState kButtons = TShiftState(ssLeft) | ssRight | ssMiddle;

// The shift state with the mouse buttons that are down now, for exact comparisons.
TShiftState WithButtons(TShiftState Shift) {
  if (IsMouseButtonDown(mbLeft)) Shift |= ssLeft;
  if (IsMouseButtonDown(mbRight)) Shift |= ssRight;
  if (IsMouseButtonDown(mbMiddle)) Shift |= ssMiddle;
  return Shift & (kModifiers | kButtons);
}

bool IsNone(TShiftState Shift) { return WithButtons(Shift) == TShiftState(); }
bool IsExactly(TShiftState Shift, TShiftState Wanted) { return WithButtons(Shift) == Wanted; }
bool HasCtrl(TShiftState Shift) { return Shift.testFlag(ssCtrl); }

// Both cases of the hex digits; a digit's value is its index modulo 16.
constexpr char kHexDigits[] = "0123456789abcdef0123456789ABCDEF";

int HexDigitValue(char Key) {
  const char* hit = Key ? std::strchr(kHexDigits, Key) : nullptr;
  return hit ? int(hit - kHexDigits) % 16 : -1;
}

}  // namespace

// ---- key-down -----------------------------------------------------------------------------

void TCustomKorHexEditor::KeyDown(uint16_t& Key, TShiftState Shift) {
  // Ctrl+digit and Ctrl+Shift+digit are bookmark keys: the character the same press
  // delivers is never typed, whatever becomes of the key.
  FBookmarkKeyDown = Key >= '0' && Key <= '9' && HasCtrl(Shift) && !Shift.testFlag(ssAlt);
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
  if (Key == 0) return;
  HandleKey(Key, Shift);
  ShortcutKey(Key, Shift);
}

void TCustomKorHexEditor::HandleKey(uint16_t Key, TShiftState Shift) {
  // A plain key in overwrite mode ends the selection before anything else.
  if (IsNone(Shift) && Key != VK_SHIFT && !InsertMode()) ResetSelection(true);
  const bool ctrl = HasCtrl(Shift);
  switch (Key) {
    case VK_BACK: KeyBackspace(Shift); break;
    case VK_LEFT: KeyLeft(Shift); break;
    case VK_RIGHT: KeyRight(Shift); break;
    case VK_UP:
      if (!ctrl && Row() - 1 >= 2) MoveColRow(Col(), Row() - 1, true, true);
      break;
    case VK_DOWN:
      if (!ctrl && Row() + 1 < RowCount()) MoveColRow(Col(), Row() + 1, true, true);
      break;
    case VK_PRIOR: KeyPageUp(Shift); break;
    case VK_NEXT: KeyPageDown(Shift); break;
    case VK_HOME: KeyHome(Shift); break;
    case VK_END: KeyEnd(Shift); break;
    case VK_TAB:
      if (IsNone(Shift) || IsExactly(Shift, ssShift)) SwitchField();
      break;
    case 'T':
      if (ctrl) SwitchField();
      break;
    case VK_SHIFT:
      if (IsExactly(Shift, ssShift) || IsExactly(Shift, TShiftState(ssShift) | ssCtrl)) FSelecting = true;
      break;
    case VK_INSERT:
      if (IsNone(Shift)) SetInsertMode(!InsertMode());
      break;
    case VK_DELETE: KeyDelete(Shift); break;
    default:
      // Digits of the main keyboard: Ctrl+Shift sets or clears a bookmark, Ctrl jumps to it.
      if (Key >= '0' && Key <= '9') {
        const uint8_t index = static_cast<uint8_t>(Key - '0');
        if (IsExactly(Shift, TShiftState(ssShift) | ssCtrl))
          SetBookmark(index, CaretPosition(), CaretInCharField());
        else if (IsExactly(Shift, ssCtrl))
          GotoBookmark(index);
      }
      break;
  }
}

void TCustomKorHexEditor::KeyBackspace(TShiftState Shift) {
  if (InsertMode() && !FReadOnlyView) {
    if (SelectionLength() > 0)
      DeleteSelection(QString());
    else
      DeleteAtCaret(true, QString());
  } else if (!HasCtrl(Shift)) {
    StepLeft();
  }
}

void TCustomKorHexEditor::KeyLeft(TShiftState Shift) {
  if (HasCtrl(Shift))
    MoveColRow(2, Row(), true, true);
  else
    StepLeft();
}

void TCustomKorHexEditor::KeyRight(TShiftState Shift) {
  if (HasCtrl(Shift))
    MoveColRow(ColCount() - 1, Row(), true, true);
  else
    StepRight();
}

void TCustomKorHexEditor::KeyPageUp(TShiftState Shift) {
  const int visible = VisibleRowCount();
  if (HasCtrl(Shift)) {
    MoveColRow(Col(), TopRow(), true, true);
    return;
  }
  const int target = std::max(2, Row() - visible + 1);
  SetTopRow(std::max(2, TopRow() - visible + 1));
  MoveColRow(Col(), target, true, true);
}

void TCustomKorHexEditor::KeyPageDown(TShiftState Shift) {
  const int visible = VisibleRowCount();
  const int lastRow = RowCount() - 1;
  if (HasCtrl(Shift)) {
    MoveColRow(Col(), std::min(lastRow, TopRow() + visible - 1), true, true);
    return;
  }
  const int target = std::min(lastRow, Row() + visible - 1);
  SetTopRow(std::min(std::max(2, RowCount() - visible), TopRow() + visible - 1));
  MoveColRow(Col(), target, true, true);
}

void TCustomKorHexEditor::KeyHome(TShiftState Shift) {
  const int firstCol = CaretInCharField() ? GetOtherFieldColNoChange(2) : 2;
  MoveColRow(firstCol, HasCtrl(Shift) ? 2 : Row(), true, true);
}

void TCustomKorHexEditor::KeyEnd(TShiftState Shift) {
  const bool inChar = CaretInCharField();
  if (HasCtrl(Shift)) {
    MoveCaretToPos(InsertMode() ? DataSize() : DataSize() - 1, inChar);
    return;
  }
  const int32_t pos = ClampedToData(GetPosAtCell(2, Row() + 1) - 1);
  int c, r;
  GetCellAtPos(pos, inChar, c, r);
  MoveColRow(inChar ? c : c + 1, r, true, true);
}

void TCustomKorHexEditor::KeyDelete(TShiftState Shift) {
  if (FReadOnlyView) return;
  if (!InsertMode() && !IsExactly(Shift, ssCtrl)) return;
  if (SelectionLength() > 0)
    DeleteSelection(QString());
  else
    DeleteAtCaret(false, QString());
}

void TCustomKorHexEditor::SwitchField() { MoveColRow(std::max(2, GetOtherFieldCol(Col())), Row(), true, true); }

int32_t TCustomKorHexEditor::ClampedToData(int32_t Pos) {
  if (Pos >= DataSize()) return InsertMode() ? DataSize() : DataSize() - 1;
  return Pos;
}

// Left and Right step by a unit while selecting and over Unicode characters; otherwise the
// caret walks the hex field nibble by nibble.
void TCustomKorHexEditor::StepLeft() {
  const bool inChar = CaretInCharField();
  const int32_t pos = CaretPosition();
  const int32_t step = (FSelecting || (FUnicodeChars && inChar)) ? FBytesPerUnit : 1;
  if (inChar) {
    MoveCaretToPos(std::max(0, pos - step), true);
  } else if (FSelecting) {
    MoveCaretToPos(std::max(0, pos - step) / FBytesPerUnit * FBytesPerUnit, false);
  } else if ((Col() - 2) % 2 == 1) {
    MoveColRow(Col() - 1, Row(), true, true);
  } else if (pos > 0) {
    int c, r;
    GetCellAtPos(pos - 1, false, c, r);
    MoveColRow(c + 1, r, true, true);
  }
}

void TCustomKorHexEditor::StepRight() {
  const bool inChar = CaretInCharField();
  const int32_t pos = CaretPosition();
  const int32_t step = (FSelecting || (FUnicodeChars && inChar)) ? FBytesPerUnit : 1;
  if (inChar) {
    MoveCaretToPos(ClampedToData(pos + step), true);
  } else if (FSelecting) {
    MoveCaretToPos(ClampedToData((pos + step) / FBytesPerUnit * FBytesPerUnit), false);
  } else if ((Col() - 2) % 2 == 0 && pos != DataSize()) {
    MoveColRow(Col() + 1, Row(), true, true);
  } else if (pos + 1 < DataSize() || (pos + 1 == DataSize() && InsertMode())) {
    MoveCaretToPos(pos + 1, false);
  }
}

// ---- shortcuts of the extended control ------------------------------------------------------

void TCustomKorHexEditor::ShortcutKey(uint16_t Key, TShiftState Shift) {
  const bool ctrlOnly = IsExactly(Shift, ssCtrl);
  switch (Key) {
    case 'A':
      if (ctrlOnly) SelectAll();
      break;
    case 'Z':
      if (ctrlOnly && CanUndo())
        Undo();
      else if (IsExactly(Shift, TShiftState(ssShift) | ssCtrl) && CanRedo())
        Redo();
      break;
    default: break;
  }
}

void TCustomKorHexEditor::SelectAll() {
  if (DataSize() == 0) return;
  MoveCaretToPos(InsertMode() ? DataSize() : DataSize() - 1, CaretInCharField());
  SetSelection(0, DataSize() - 1);
}

// ---- character entry ------------------------------------------------------------------------

void TCustomKorHexEditor::KeyPress(char& Key) {
  // The character of a bookmark key is not typed.
  if (std::exchange(FBookmarkKeyDown, false)) return;
  if (OnKeyPress) OnKeyPress(this, Key);
  if (FReadOnlyView || FMaskedChars[static_cast<uint8_t>(Key)]) return;
  const int32_t pos = CaretPosition();
  if (pos >= DataSize() && !InsertMode()) return;
  // The caret's column tells the field, also in an empty document, where the character
  // field's first cell is a valid place to type into.
  if (Col() > FHexColumnCount + 2)
    TypeCharacter(Key, pos);
  else
    TypeHexDigit(Key, pos);
}

void TCustomKorHexEditor::InvalidKey() {
  if (OnInvalidKey) OnInvalidKey(this);
}

void TCustomKorHexEditor::TypeHexDigit(char Key, int32_t Pos) {
  const int value = HexDigitValue(Key);
  if (value < 0) {
    InvalidKey();
    return;
  }
  if (!InsertMode()) ResetSelection(true);
  const bool hasSelection = SelectionLength() > 0;
  const uint8_t old = Pos < DataSize() ? ByteAt(Pos) : 0;
  // With SwapNibbles the first hex column of a byte shows (and types) the low nibble.
  const int firstNibbleCol = 2 + 2 * (Pos % FBytesPerRow);
  const bool highNibble = Col() - FSwapNibbles == firstNibbleCol || hasSelection;
  const uint8_t updated = highNibble ? uint8_t(value * 16 + (old & 0x0F)) : uint8_t(value + (old & 0xF0));

  const bool unitStart = (Col() - 2) % (2 * FBytesPerUnit) == 0;
  if (InsertMode() && (unitStart || hasSelection)) {
    std::vector<uint8_t> unit(FBytesPerUnit, 0);
    unit[0] = FSwapNibbles ? uint8_t(value) : uint8_t(value << 4);
    if (DataSize() == 0)
      AppendBuffer(unit.data(), FBytesPerUnit, QString(), false);
    else if (hasSelection)
      ReplaceSelection(unit.data(), FBytesPerUnit, QString(), false);
    else
      InsertBuffer(unit.data(), FBytesPerUnit, Pos, QString(), false);
  } else {
    if (Pos >= DataSize()) return;
    ChangeByte(old, updated, QString(), Row(), Col(), Pos);
  }
  FSelecting = false;
  uint16_t right = VK_RIGHT;
  KeyDown(right, TShiftState());
}

void TCustomKorHexEditor::TypeCharacter(char Key, int32_t Pos) {
  const uint8_t typed = static_cast<uint8_t>(Key);
  const uint8_t translated = TypedCharToByte(typed);
  if (FMaskedChars[translated]) {
    InvalidKey();
    return;
  }
  std::vector<uint8_t> unit(FBytesPerUnit, 0);
  if (FUnicodeChars) {
    const auto wide = TypedCharToUnicodeBytes(typed, FUnicodeBigEndian, FMaskedChars);
    if (!wide) {
      InvalidKey();
      return;
    }
    unit[0] = (*wide)[0];
    unit[1] = (*wide)[1];
  } else {
    unit[0] = translated;
  }
  if (!InsertMode()) ResetSelection(true);

  const int32_t size = DataSize();
  const uint8_t oldByte = Pos < size ? ByteAt(Pos) : 0;
  const uint16_t oldWide = Pos + 1 < size ? uint16_t(ByteAt(Pos) | ByteAt(Pos + 1) << 8) : 0;

  if (InsertMode()) {
    if (SelectionLength() > 0)
      ReplaceSelection(unit.data(), FBytesPerUnit, QString(), false);
    else if (Pos == size)
      AppendBuffer(unit.data(), FBytesPerUnit, QString(), true);
    else if (Pos % FBytesPerUnit == 0)
      InsertBuffer(unit.data(), FBytesPerUnit, Pos, QString(), false);
    else
      ChangeByte(oldByte, unit[0], QString(), Row(), Col(), Pos);
    FSelecting = false;
  } else if (FUnicodeChars) {
    ChangeUnicodeChar(oldWide, uint16_t(unit[0] | unit[1] << 8), QString(), Row(), Col(), Pos);
  } else {
    ChangeByte(oldByte, translated, QString(), Row(), Col(), Pos);
  }
  uint16_t right = VK_RIGHT;
  KeyDown(right, TShiftState());
}

}  // namespace vexa
