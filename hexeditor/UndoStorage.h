#pragma once
// TKorHUndoStorage: the control's undo stack. One contiguous memory stream holds
// variable-length records, newest at the end; each record carries the bytes needed to revert
// its change and a snapshot of the view state. A single redo step lives beside the stream.
//
// Record layout (little-endian, packed):
//   0  int32  L, the whole record's length        4  uint32 flags (kind bit + state bits)
//   8  int32  caret position                     12  int32  position
//  16  int32  count                              20  int32  replaced count
//  24  uint8  translation ordinal                25  int32  bytes per unit
//  29  N + 1  data area
//  then, with rfHasDescription, D description bytes (UTF-8) and int32 D;
//  then, with rfHasSelection, int32 selection start, end, anchor; finally int32 L again.
//
// The storage knows nothing about widgets: what it needs of the editor comes through
// TKorHUndoHost.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "hexeditor/KorHexEditorTypes.h"
#include "platform/Classes.h"
#include "platform/SysUtils.h"

namespace vexa {

// Flag bits of a record. Bits 0 to 10 hold exactly one kind bit (1 << kind).
constexpr uint32_t rfKindMask = 0x7FF;
constexpr uint32_t rfByteChanged = 0x800;
constexpr uint32_t rfNextByteChanged = 0x1000;
constexpr uint32_t rfModified = 0x2000;
constexpr uint32_t rfSecondNibble = 0x4000;
constexpr uint32_t rfCharField = 0x8000;
constexpr uint32_t rfHasSelection = 0x10000;
constexpr uint32_t rfInsertMode = 0x20000;
constexpr uint32_t rfUnicode = 0x40000;
constexpr uint32_t rfUnicodeBigEndian = 0x80000;
constexpr uint32_t rfHasDescription = 0x100000;
// The view state bits a record and the redo block capture.
constexpr uint32_t rfStateMask =
    rfModified | rfSecondNibble | rfCharField | rfInsertMode | rfUnicode | rfUnicodeBigEndian;

// The kind a flag set names: its lowest kind bit, or kUndoNoKind when it has none.
constexpr int kUndoNoKind = 11;
int RecordKindOf(uint32_t Flags);
// The default description of a kind ("Change byte(s)", "Remove data", ...).
QString UndoKindDescription(int Kind);

constexpr int32_t kUndoHeaderSize = 30;  // the header proper plus the first data byte
constexpr int32_t kDefaultMaxUndo = 1048576;

// The editor's view state as a record stores it.
struct TKorHUndoViewState {
  int32_t CaretPosition = 0;
  uint32_t Flags = 0;  // rfStateMask bits only
  uint8_t Translation = 0;
  int32_t BytesPerUnit = 1;
  int32_t SelectionStart = -1;
  int32_t SelectionEnd = -1;
  int32_t SelectionAnchor = -1;
};

// The first 30 bytes of a record, decoded.
struct TKorHUndoHeader {
  int32_t Length = 0;
  uint32_t Flags = 0;
  int32_t CaretPosition = 0;
  int32_t Position = 0;
  int32_t Count = 0;
  int32_t ReplCount = 0;
  uint8_t Translation = 0;
  int32_t BytesPerUnit = 1;
  int Kind() const { return RecordKindOf(Flags); }
};

// The single redo step: the state just after the change and the bytes needed to make it again.
struct TKorHRedoBlock {
  uint32_t Flags = 0;  // kind bit, byte marks (change kind only) and state bits
  int32_t CaretPosition = 0;
  int32_t Position = 0;
  int32_t Count = 0;
  int32_t ReplCount = 0;
  uint8_t Translation = 0;
  int32_t BytesPerUnit = 1;
  std::vector<uint8_t> Data;
  std::vector<int32_t> Bookmarks;  // the bookmark table as it was before the undo
  int32_t SelectionStart = -1;
  int32_t SelectionEnd = -1;
  int32_t SelectionAnchor = -1;
  int Kind() const { return RecordKindOf(Flags); }
};

// What the storage reads from the editor while it records.
class TKorHUndoHost {
public:
  virtual ~TKorHUndoHost() = default;
  virtual int32_t UndoDataSize() = 0;
  virtual void UndoReadData(void* Buffer, int32_t Pos, int32_t Count) = 0;
  virtual bool UndoByteChanged(int32_t Pos) = 0;
  virtual TKorHUndoViewState UndoViewState() = 0;
};

class TKorHUndoStorage : public TMemoryStream {
public:
  TKorHUndoStorage() = default;

  // Below the size of a header no record can remain.
  void SetSize(int64_t NewSize) override;

  int32_t RecordCount() const { return FRecordCount; }
  int32_t SuspendCount() const { return FSuspendCount; }
  // Increment or decrement the suspension; the count never goes below 0. Both return it.
  int32_t Suspend() { return ++FSuspendCount; }
  int32_t Resume() { return FSuspendCount > 0 ? --FSuspendCount : 0; }
  // The byte limit of the stream; 0 or less means none. Checked when a record is added.
  int32_t MaxUndo() const { return FMaxUndo; }
  void SetMaxUndo(int32_t value) { FMaxUndo = value; }
  // The description of the newest record; empty when there is none.
  const QString& Description() const { return FDescription; }

  // Appends a record for a change about to be made. For rkReplace, Count is the length being
  // replaced and ReplCount the new length, as the editing primitives pass them; the record
  // itself stores the new length as its count and the replaced length as its replaced count.
  // Returns false, changing nothing, when the record cannot be made (arguments outside the
  // data, a group over more records than the storage holds, a record beyond the 32-bit
  // size limit, no memory). While suspended nothing is recorded and the answer is true.
  bool AddRecord(TKorHUndoHost& Host, TKorHUndoRecordKind Kind, int32_t Pos, int32_t Count, int32_t ReplCount,
                 const QString& Description);

  bool CanUndo() { return FRecordCount > 0 && FSuspendCount < 1 && Size() > 0; }
  bool CanRedo() const { return FRedoBlock != nullptr; }
  void Clear(bool DiscardRedoStep);
  void DiscardRedo();

  // Makes undo of the newest record put the caret at Pos and select Count bytes from there.
  void SetTopSelection(int32_t Pos, int32_t Count);

  // The newest record's header and description; false when the stream holds no sound record.
  bool ReadTopHeader(TKorHUndoHeader& Header, QString& Description);
  // The newest record's data area (valid until the stream changes); nullptr without a record.
  const uint8_t* TopData();
  // The newest record's selection triple; false when it has none.
  bool TopSelection(int32_t& Start, int32_t& End, int32_t& Anchor);
  // Takes the newest record off the stack, keeping a copy for redo, and makes the next one's
  // description current.
  void RemoveTopRecord();
  // Cuts the oldest record off the front; a damaged one empties the storage.
  void DropOldestRecord();

  const TKorHRedoBlock* RedoBlock() const { return FRedoBlock.get(); }
  // Replaces the redo step (discarding the previous one and the last undone record first).
  void SetRedoBlock(std::unique_ptr<TKorHRedoBlock> Block);
  // Puts the record most recently undone back on the stack, with its description.
  void RestoreLastUndone();
  int32_t LastUndoneSize() const { return static_cast<int32_t>(FLastUndone.size()); }
  // The description the newest record had when it was undone: what a redo makes again.
  const QString& LastUndoneDescription() const { return FLastUndoneDescription; }

private:
  int32_t ReadInt(int64_t Offset) const;
  void WriteInt(int64_t Offset, int32_t Value);
  // Drops old records in front of the newest one (NewLength bytes) while the older part
  // alone exceeds MaxUndo.
  void TrimBefore(int32_t NewLength);

  int32_t FRecordCount = 0;
  int32_t FSuspendCount = 0;
  int32_t FMaxUndo = kDefaultMaxUndo;
  QString FDescription;
  std::unique_ptr<TKorHRedoBlock> FRedoBlock;
  std::vector<uint8_t> FLastUndone;
  QString FLastUndoneDescription;
};

}  // namespace vexa
