// The control's side of the undo storage: recording through the gate's hooks, undoing the
// newest record, the single redo step, and putting the view state back.

#include <algorithm>

#include "hexeditor/KorHexEditor.h"

namespace vexa {

namespace {

// What the storage reads from the control while it makes a record.
class TEditorUndoHost final : public TKorHUndoHost {
public:
  TEditorUndoHost(TCustomKorHexEditor& Editor, const TKorHUndoViewState& State) : FEditor(Editor), FState(State) {}
  int32_t UndoDataSize() override { return FEditor.DataSize(); }
  void UndoReadData(void* Buffer, int32_t Pos, int32_t Count) override { FEditor.ReadBuffer(Buffer, Pos, Count); }
  bool UndoByteChanged(int32_t Pos) override { return FEditor.IsByteChanged(Pos); }
  TKorHUndoViewState UndoViewState() override { return FState; }

private:
  TCustomKorHexEditor& FEditor;
  TKorHUndoViewState FState;
};

}  // namespace

// ---- the hooks of the recording gate --------------------------------------------------------

void TCustomKorHexEditor::ClearUndoStorage() {
  FUndoStorage->Clear(true);
  FUndoSuspended = false;
}

bool TCustomKorHexEditor::AddUndoRecord(TKorHUndoRecordKind Kind, int32_t Pos, int32_t Count, int32_t ReplCount,
                                        const QString& Description) {
  TEditorUndoHost host(*this, CaptureUndoState());
  const bool recording = FUndoStorage->SuspendCount() < 1;
  if (!FUndoStorage->AddRecord(host, Kind, Pos, Count, ReplCount, Description)) return false;
  if (!recording) return true;
  // The data has not changed yet: bookmarks move to where their bytes are going.
  switch (Kind) {
    case rkRemove: ShiftBookmarks(Pos + Count, -Count); break;
    case rkInsert: ShiftBookmarks(Pos, Count); break;
    case rkReplace: ShiftBookmarks(Pos + Count, ReplCount - Count); break;  // Count old, ReplCount new bytes
    default: break;
  }
  return true;
}

void TCustomKorHexEditor::SetUndoTopSelection(int32_t Pos, int32_t Count) { FUndoStorage->SetTopSelection(Pos, Count); }

int32_t TCustomKorHexEditor::UndoStepCount() const { return FUndoStorage->RecordCount(); }

void TCustomKorHexEditor::RecordUndoGroup(int32_t Count, const QString& Description) {
  RecordUndo(rkGroup, 0, Count, 0, Description);
}

int32_t TCustomKorHexEditor::SuspendUndo() {
  const int32_t n = FUndoStorage->Suspend();
  FUndoSuspended = n > 0;
  return n;
}

int32_t TCustomKorHexEditor::ResumeUndo() {
  const int32_t n = FUndoStorage->Resume();
  FUndoSuspended = n > 0;
  return n;
}

bool TCustomKorHexEditor::CanUndo() { return !FReadOnlyView && FUndoStorage->CanUndo(); }

bool TCustomKorHexEditor::CanRedo() { return !FReadOnlyView && FUndoStorage->CanRedo(); }

QString TCustomKorHexEditor::RedoDescription() const {
  return FUndoStorage->CanRedo() ? FUndoStorage->LastUndoneDescription() : QString();
}

// ---- the view state -------------------------------------------------------------------------

TKorHUndoViewState TCustomKorHexEditor::CaptureUndoState() {
  TKorHUndoViewState state;
  state.CaretPosition = GetPosAtCell(Col(), Row());
  if (FCaretInCharField) {
    state.Flags |= rfCharField;
  } else {
    int c, r;
    GetCellAtPos(state.CaretPosition, false, c, r);
    if (c != Col()) state.Flags |= rfSecondNibble;
  }
  if (FInsertMode) state.Flags |= rfInsertMode;
  if (FUnicodeChars) state.Flags |= rfUnicode;
  if (FUnicodeBigEndian) state.Flags |= rfUnicodeBigEndian;
  if (FModified) state.Flags |= rfModified;
  state.Translation = static_cast<uint8_t>(FTranslation);
  state.BytesPerUnit = FBytesPerUnit;
  state.SelectionStart = FSelectionStart;
  state.SelectionEnd = FSelectionEnd;
  state.SelectionAnchor = FSelectionAnchor;
  return state;
}

// The display settings come back first: the caret's cell depends on the Unicode mode, and a
// caret on the append point needs insert mode.
void TCustomKorHexEditor::RestoreUndoState(uint32_t Flags, int32_t CaretPos, uint8_t TranslationOrd, int32_t Unit) {
  SetUnicodeChars(Flags & rfUnicode);
  SetUnicodeBigEndian(Flags & rfUnicodeBigEndian);
  const auto translation = static_cast<TKorHTranslationKind>(std::clamp<int>(TranslationOrd, tkAsIs, tkCustom));
  if (FUnicodeChars)
    FTranslation = translation;
  else
    SetTranslation(translation);
  SetBytesPerUnit(Unit);
  SetInsertMode(Flags & rfInsertMode);

  const bool inChar = (Flags & rfCharField) != 0;
  int c, r;
  GetCellAtPos(CaretPos, inChar, c, r);
  if (!inChar && DataSize() > 0 && (Flags & rfSecondNibble)) ++c;
  MoveColRow(c, r, true, true);
}

void TCustomKorHexEditor::RestoreUndoSelection(int32_t Start, int32_t End, int32_t Anchor, bool SeekWithoutEnd) {
  if (End == -1 && SeekWithoutEnd) {
    Seek(Start, 0);
    return;
  }
  SetSelectionFields(Anchor, Start, End);
  viewport()->update();
}

// ---- undo -----------------------------------------------------------------------------------

std::unique_ptr<TKorHRedoBlock> TCustomKorHexEditor::BuildRedoBlock(const TKorHUndoHeader& Header) {
  auto block = std::make_unique<TKorHRedoBlock>();
  const int kind = Header.Kind();
  block->Flags = 1u << kind;
  block->Position = Header.Position;
  block->Count = Header.Count;
  block->ReplCount = Header.ReplCount;
  auto copy = [&](int32_t from, int32_t count) {
    block->Data.resize(static_cast<size_t>(std::max(count, 0)));
    if (count > 0) ReadBuffer(block->Data.data(), from, count);
  };
  switch (kind) {
    case rkChangeBytes:
      copy(Header.Position, Header.Count);
      if (IsByteChanged(Header.Position)) block->Flags |= rfByteChanged;
      if (Header.Count == 2 && IsByteChanged(Header.Position + 1)) block->Flags |= rfNextByteChanged;
      break;
    case rkInsert:
    case rkReplace:
    case rkConvert: copy(Header.Position, Header.Count); break;
    case rkAppend: copy(Header.Position, DataSize() - Header.Position); break;
    case rkInsertNibble:
    case rkDeleteNibble:
    case rkAllData:
      copy(0, DataSize());
      block->Count = DataSize();
      break;
    default: break;
  }
  const TKorHUndoViewState state = CaptureUndoState();
  block->Flags |= state.Flags & rfStateMask;
  block->CaretPosition = state.CaretPosition;
  block->Translation = state.Translation;
  block->BytesPerUnit = state.BytesPerUnit;
  block->SelectionStart = state.SelectionStart;
  block->SelectionEnd = state.SelectionEnd;
  block->SelectionAnchor = state.SelectionAnchor;
  block->Bookmarks = BookmarkSnapshot();
  return block;
}

void TCustomKorHexEditor::Undo() {
  TKorHUndoStorage& storage = *FUndoStorage;
  if (!storage.CanUndo()) {
    storage.Clear(false);
    FUndoSuspended = false;
    return;
  }
  if (storage.Size() < kUndoHeaderSize) {
    storage.Clear(true);
    return;
  }
  UndoTopRecord();
}

void TCustomKorHexEditor::UndoTopRecord() {
  TKorHUndoStorage& storage = *FUndoStorage;
  TKorHUndoHeader h;
  QString description;
  if (!storage.ReadTopHeader(h, description)) {
    storage.Clear(true);
    return;
  }
  const int kind = h.Kind();
  if (kind == rkGroup) {
    storage.RemoveTopRecord();
    for (int32_t i = 0; i < h.Count; ++i) Undo();
    storage.DiscardRedo();
    return;
  }
  if (kind == kUndoNoKind) {
    storage.RemoveTopRecord();
    return;
  }
  // The saved bytes must lie inside the record; a damaged one empties the storage.
  int32_t saved = 0;
  if (kind == rkChangeBytes || kind == rkRemove || kind == rkConvert || kind == rkAllData) saved = h.Count;
  if (kind == rkReplace) saved = h.ReplCount;
  const int64_t area = int64_t(h.Length) - (kUndoHeaderSize - 1) - 4;
  if (saved < 0 || h.Count < 0 || h.ReplCount < 0 || saved > area) {
    storage.Clear(true);
    return;
  }
  storage.SetRedoBlock(BuildRedoBlock(h));
  const uint8_t* data = storage.TopData();
  const int32_t pos = h.Position;

  switch (kind) {
    case rkChangeBytes:
    case rkConvert: WriteBuffer(data, pos, h.Count); break;
    case rkRemove: InsertRaw(data, h.Count, pos); break;
    case rkInsert: DeleteRange(pos, pos + h.Count, -1, -1); break;
    case rkReplace:
      DeleteRange(pos, pos + h.Count, -1, -1);
      InsertRaw(data, h.ReplCount, pos);
      break;
    case rkAppend:
      MoveColRow(2, 2, true, true);
      FDataStorage->SetSize(pos);
      UpdateGridSize();
      break;
    case rkAllData:
      FDataStorage->SetSize(h.Count);
      WriteBuffer(data, 0, h.Count);
      UpdateGridSize();
      break;
    case rkInsertNibble:
    case rkDeleteNibble: {
      // The nibble step moved the data from pos by half a byte: move it back, then the saved
      // byte at pos and the trailing spare byte are as before the step.
      const int32_t size = DataSize();
      if (pos < 0 || pos >= size) break;
      if (kind == rkDeleteNibble) {
        AppendRaw(nullptr, 1);
        uint8_t* p = FDataStorage->Memory();
        p[size] = 0;
        for (int32_t i = size; i > pos; --i) p[i] = uint8_t(p[i - 1] << 4 | p[i] >> 4);
        p[pos] >>= 4;
      } else {
        uint8_t* p = FDataStorage->Memory();
        for (int32_t i = pos; i < size - 1; ++i) p[i] = uint8_t(p[i] << 4 | p[i + 1] >> 4);
        p[size - 1] = uint8_t(p[size - 1] << 4);
      }
      WriteBuffer(data, pos, 1);
      FDataStorage->SetSize(DataSize() - 1);
      UpdateGridSize();
      break;
    }
    default: break;  // a cursor move restores the view state only
  }
  if (kind != rkChangeBytes && kind != rkCursorMove) TruncateChangedBytes(pos);
  // Bookmarks moved by the change go back (the record holds the new length as its count).
  switch (kind) {
    case rkRemove: ShiftBookmarks(pos, h.Count); break;
    case rkInsert: ShiftBookmarks(pos + h.Count, -h.Count); break;
    case rkReplace: ShiftBookmarks(pos + h.Count, h.ReplCount - h.Count); break;
    default: break;
  }

  RestoreUndoState(h.Flags, h.CaretPosition, h.Translation, h.BytesPerUnit);
  int32_t start, end, anchor;
  if (storage.TopSelection(start, end, anchor))
    RestoreUndoSelection(start, end, anchor, true);
  else
    ResetSelection(true);
  // The marks come back after the insert mode, whose change clears them.
  if (kind == rkChangeBytes || kind == rkInsertNibble || kind == rkDeleteNibble) {
    SetByteChanged(pos, h.Flags & rfByteChanged);
    if (kind == rkChangeBytes && h.Count == 2) SetByteChanged(pos + 1, h.Flags & rfNextByteChanged);
  }
  FModified = (h.Flags & rfModified) != 0;
  storage.RemoveTopRecord();
  viewport()->update();
  Changed();
}

// ---- redo -----------------------------------------------------------------------------------

bool TCustomKorHexEditor::Redo() {
  TKorHUndoStorage& storage = *FUndoStorage;
  if (!storage.RedoBlock()) return false;
  const TKorHRedoBlock& b = *storage.RedoBlock();
  const int kind = b.Kind();
  const int32_t pos = b.Position;
  const uint8_t* data = b.Data.data();
  const auto dataCount = static_cast<int32_t>(b.Data.size());

  switch (kind) {
    case rkChangeBytes: WriteBuffer(data, pos, b.Count); break;
    case rkRemove: DeleteRange(pos, pos + b.Count, -1, -1); break;
    case rkInsert: InsertRaw(data, b.Count, pos); break;
    case rkReplace:
    case rkConvert:
      DeleteRange(pos, pos + (kind == rkReplace ? b.ReplCount : b.Count), -1, -1);
      InsertRaw(data, b.Count, pos);
      break;
    case rkAppend: AppendRaw(data, dataCount); break;
    case rkInsertNibble:
    case rkDeleteNibble:
    case rkAllData:
      FDataStorage->SetSize(b.Count);
      WriteBuffer(data, 0, b.Count);
      UpdateGridSize();
      break;
    default: break;
  }
  if (kind != rkChangeBytes && kind != rkCursorMove) TruncateChangedBytes(pos);

  RestoreBookmarkSnapshot(b.Bookmarks);
  RestoreUndoState(b.Flags, b.CaretPosition, b.Translation, b.BytesPerUnit);
  RestoreUndoSelection(b.SelectionStart, b.SelectionEnd, b.SelectionAnchor, false);
  SetByteChanged(pos, b.Flags & rfByteChanged);
  if (kind == rkChangeBytes && b.Count == 2) SetByteChanged(pos + 1, b.Flags & rfNextByteChanged);
  FModified = (b.Flags & rfModified) != 0;

  storage.RestoreLastUndone();
  storage.DiscardRedo();
  viewport()->update();
  Changed();
  return true;
}

}  // namespace vexa
