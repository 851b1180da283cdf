#include "hexeditor/UndoStorage.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vexa {

namespace {

constexpr int kDataOffset = 29;

void PutInt(uint8_t* p, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  p[0] = uint8_t(u);
  p[1] = uint8_t(u >> 8);
  p[2] = uint8_t(u >> 16);
  p[3] = uint8_t(u >> 24);
}

int32_t GetInt(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

// UTF-8 of at most MaxChars characters and MaxBytes bytes, cut at a character boundary.
QByteArray Utf8Cut(const QString& Text, int MaxChars, int MaxBytes) {
  QString s = Text.left(MaxChars);
  QByteArray bytes = s.toUtf8();
  while (bytes.size() > MaxBytes) {
    s.chop(1);
    bytes = s.toUtf8();
  }
  return bytes;
}

}  // namespace

int RecordKindOf(uint32_t Flags) {
  for (int k = 0; k < kUndoNoKind; ++k)
    if (Flags & (1u << k)) return k;
  return kUndoNoKind;
}

QString UndoKindDescription(int Kind) {
  switch (Kind) {
    case rkChangeBytes: return QStringLiteral("Change byte(s)");
    case rkRemove: return QStringLiteral("Remove data");
    case rkInsert: return QStringLiteral("Insert buffer");
    case rkReplace: return QStringLiteral("Replace");
    case rkAppend: return QStringLiteral("Append buffer");
    case rkInsertNibble: return QStringLiteral("Insert nibble");
    case rkDeleteNibble: return QStringLiteral("Delete nibble");
    case rkConvert: return QStringLiteral("Convert");
    case rkCursorMove: return QStringLiteral("Cursor movement");
    case rkGroup: return QStringLiteral("Multiple modification");
    case rkAllData: return QStringLiteral("All data saved");
    default: return QString();
  }
}

void TKorHUndoStorage::SetSize(int64_t NewSize) {
  TMemoryStream::SetSize(NewSize);
  if (NewSize < kUndoHeaderSize) FRecordCount = 0;
}

int32_t TKorHUndoStorage::ReadInt(int64_t Offset) const { return GetInt(Memory() + Offset); }

void TKorHUndoStorage::WriteInt(int64_t Offset, int32_t Value) { PutInt(Memory() + Offset, Value); }

// ---- recording ------------------------------------------------------------------------------

bool TKorHUndoStorage::AddRecord(TKorHUndoHost& Host, TKorHUndoRecordKind Kind, int32_t Pos, int32_t Count,
                                 int32_t ReplCount, const QString& Description) {
  if (FSuspendCount >= 1) return true;
  if (Count < 0 || ReplCount < 0) return false;
  // A group joins records that exist; one over more would undo into nothing.
  if (Kind == rkGroup && Count > FRecordCount) return false;

  const int32_t dataSize = Host.UndoDataSize();
  int32_t recCount = Count;
  int32_t recRepl = 0;
  // The bytes copied from the document into the data area, and the area's length N + 1.
  int32_t copyPos = Pos;
  int32_t copyCount = 0;
  QByteArray groupText;
  switch (Kind) {
    case rkChangeBytes:
    case rkRemove:
    case rkConvert: copyCount = Count; break;
    case rkReplace:
      recCount = ReplCount;
      recRepl = Count;
      copyCount = Count;
      break;
    case rkInsertNibble:
    case rkDeleteNibble: copyCount = 1; break;
    case rkAllData:
      copyPos = 0;
      recCount = copyCount = dataSize;
      break;
    case rkGroup: groupText = Utf8Cut(Description, 255, 255); break;
    default: break;
  }
  if (copyCount > 0 && (copyPos < 0 || int64_t(copyPos) + copyCount > dataSize)) return false;
  const int64_t area = Kind == rkGroup ? 1 + groupText.size() : std::max<int64_t>(copyCount, 1);

  const TKorHUndoViewState state = Host.UndoViewState();
  uint32_t flags = (1u << Kind) | (state.Flags & rfStateMask);
  const bool hasSelection = state.SelectionAnchor >= 0;
  if (hasSelection) flags |= rfHasSelection;
  const QByteArray description = Description.isEmpty() ? QByteArray() : Description.toUtf8();
  if (!Description.isEmpty()) flags |= rfHasDescription;

  const int64_t length = kDataOffset + area + 4 + (hasSelection ? 12 : 0) +
                         (Description.isEmpty() ? 0 : description.size() + 4);
  const int64_t start = Size();
  if (start + length > INT32_MAX) return false;
  try {
    TMemoryStream::SetSize(start + length);
  } catch (const EOutOfMemory&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }

  uint8_t* rec = Memory() + start;
  std::memset(rec, 0, static_cast<size_t>(length));
  try {
    if (copyCount > 0) Host.UndoReadData(rec + kDataOffset, copyPos, copyCount);
    if (Kind == rkChangeBytes || Kind == rkInsertNibble || Kind == rkDeleteNibble) {
      if (Host.UndoByteChanged(Pos)) flags |= rfByteChanged;
      if (Kind == rkChangeBytes && Count == 2 && Host.UndoByteChanged(Pos + 1)) flags |= rfNextByteChanged;
    }
  } catch (...) {
    TMemoryStream::SetSize(start);
    return false;
  }
  if (Kind == rkGroup) {
    rec[kDataOffset] = static_cast<uint8_t>(groupText.size());
    std::memcpy(rec + kDataOffset + 1, groupText.constData(), static_cast<size_t>(groupText.size()));
  }
  PutInt(rec, static_cast<int32_t>(length));
  PutInt(rec + 4, static_cast<int32_t>(flags));
  PutInt(rec + 8, Kind == rkCursorMove ? Pos : state.CaretPosition);
  PutInt(rec + 12, Pos);
  PutInt(rec + 16, recCount);
  PutInt(rec + 20, recRepl);
  rec[24] = state.Translation;
  PutInt(rec + 25, state.BytesPerUnit);
  uint8_t* tail = rec + kDataOffset + area;
  if (!Description.isEmpty()) {
    std::memcpy(tail, description.constData(), static_cast<size_t>(description.size()));
    tail += description.size();
    PutInt(tail, static_cast<int32_t>(description.size()));
    tail += 4;
  }
  if (hasSelection) {
    PutInt(tail, state.SelectionStart);
    PutInt(tail + 4, state.SelectionEnd);
    PutInt(tail + 8, state.SelectionAnchor);
    tail += 12;
  }
  PutInt(tail, static_cast<int32_t>(length));

  // The record is in place: only now does the rest of the storage change.
  DiscardRedo();
  FDescription = Description.isEmpty() ? UndoKindDescription(Kind) : Description;
  ++FRecordCount;
  SetPosition(Size());
  TrimBefore(static_cast<int32_t>(length));
  if (Kind == rkCursorMove) SetTopSelection(Pos, Count);
  return true;
}

void TKorHUndoStorage::TrimBefore(int32_t NewLength) {
  if (FMaxUndo <= 0) return;
  while (FRecordCount > 1 && Size() - NewLength > FMaxUndo) {
    const int64_t older = Size() - NewLength;
    if (older < 4 || ReadInt(0) < kUndoHeaderSize || ReadInt(0) > older) {
      // Damaged: nothing sound lies in front of the newest record.
      std::memmove(Memory(), Memory() + older, static_cast<size_t>(NewLength));
      TMemoryStream::SetSize(NewLength);
      FRecordCount = 1;
      break;
    }
    DropOldestRecord();
  }
  SetPosition(Size());
}

void TKorHUndoStorage::DropOldestRecord() {
  if (Size() < 4) {
    SetSize(0);
    FRecordCount = 0;
    return;
  }
  const int32_t length = ReadInt(0);
  if (length < kUndoHeaderSize || length > Size()) {
    SetSize(0);
    FRecordCount = 0;
    return;
  }
  std::memmove(Memory(), Memory() + length, static_cast<size_t>(Size() - length));
  SetSize(Size() - length);
  if (FRecordCount > 0) --FRecordCount;
}

void TKorHUndoStorage::SetTopSelection(int32_t Pos, int32_t Count) {
  if (!CanUndo()) return;
  TKorHUndoHeader header;
  QString description;
  if (!ReadTopHeader(header, description)) return;
  if (!(header.Flags & rfHasSelection)) {
    const int64_t start = Size() - header.Length;
    try {
      TMemoryStream::SetSize(Size() + 12);
    } catch (const EOutOfMemory&) {
      return;  // the record still undoes the change, only without the selection
    }
    header.Flags |= rfHasSelection;
    header.Length += 12;
    WriteInt(start + 4, static_cast<int32_t>(header.Flags));
    WriteInt(start, header.Length);
    WriteInt(Size() - 4, header.Length);
  }
  const int64_t start = Size() - header.Length;
  WriteInt(start + 8, Pos);
  WriteInt(Size() - 16, Pos);
  WriteInt(Size() - 12, Count == 0 ? -1 : Pos + Count - 1);
  WriteInt(Size() - 8, Pos);
  SetPosition(Size());
}

// ---- reading the newest record --------------------------------------------------------------

bool TKorHUndoStorage::ReadTopHeader(TKorHUndoHeader& Header, QString& Description) {
  Description.clear();
  if (Size() < kUndoHeaderSize + 4) return false;
  const int32_t length = ReadInt(Size() - 4);
  if (length < kUndoHeaderSize + 4 || length > Size()) return false;
  const int64_t start = Size() - length;
  const uint8_t* rec = Memory() + start;
  Header.Length = GetInt(rec);
  Header.Flags = static_cast<uint32_t>(GetInt(rec + 4));
  Header.CaretPosition = GetInt(rec + 8);
  Header.Position = GetInt(rec + 12);
  Header.Count = GetInt(rec + 16);
  Header.ReplCount = GetInt(rec + 20);
  Header.Translation = rec[24];
  Header.BytesPerUnit = GetInt(rec + 25);
  if (Header.Length != length) return false;
  if (Header.Flags & rfHasDescription) {
    int64_t at = Size() - 8 - ((Header.Flags & rfHasSelection) ? 12 : 0);
    if (at >= start + kUndoHeaderSize) {
      const int32_t d = ReadInt(at);
      if (d >= 0 && at - d >= start + kUndoHeaderSize)
        Description = QString::fromUtf8(reinterpret_cast<const char*>(Memory() + at - d), d);
    }
  }
  SetPosition(start + kUndoHeaderSize);
  return true;
}

const uint8_t* TKorHUndoStorage::TopData() {
  if (Size() < kUndoHeaderSize + 4) return nullptr;
  const int32_t length = ReadInt(Size() - 4);
  if (length < kUndoHeaderSize + 4 || length > Size()) return nullptr;
  return Memory() + Size() - length + kDataOffset;
}

bool TKorHUndoStorage::TopSelection(int32_t& Start, int32_t& End, int32_t& Anchor) {
  TKorHUndoHeader header;
  QString description;
  if (!ReadTopHeader(header, description) || !(header.Flags & rfHasSelection)) return false;
  Start = ReadInt(Size() - 16);
  End = ReadInt(Size() - 12);
  Anchor = ReadInt(Size() - 8);
  return true;
}

void TKorHUndoStorage::RemoveTopRecord() {
  if (Size() < kUndoHeaderSize) {
    Clear(false);
    return;
  }
  const int32_t length = ReadInt(Size() - 4);
  if (length < kUndoHeaderSize || length > Size()) {
    Clear(false);
    return;
  }
  FLastUndone.assign(Memory() + Size() - length, Memory() + Size());
  FLastUndoneDescription = FDescription;
  SetSize(Size() - length);
  if (FRecordCount > 0) --FRecordCount;
  if (Size() < kUndoHeaderSize) {
    Clear(false);
    return;
  }
  TKorHUndoHeader header;
  QString description;
  if (!ReadTopHeader(header, description)) {
    Clear(false);
    return;
  }
  if (header.Kind() == rkGroup) {
    const uint8_t* data = TopData();
    const int n = data[0];
    if (n > 0 && kDataOffset + 1 + n <= header.Length - 4)
      description = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), n);
  }
  FDescription = description.isEmpty() ? UndoKindDescription(header.Kind()) : description;
  SetPosition(Size());
}

// ---- clearing and the redo step -------------------------------------------------------------

void TKorHUndoStorage::Clear(bool DiscardRedoStep) {
  SetSize(0);
  FRecordCount = 0;
  FSuspendCount = 0;
  FDescription.clear();
  if (DiscardRedoStep) DiscardRedo();
}

void TKorHUndoStorage::DiscardRedo() {
  FRedoBlock.reset();
  FLastUndone.clear();
  FLastUndone.shrink_to_fit();
  FLastUndoneDescription.clear();
}

void TKorHUndoStorage::SetRedoBlock(std::unique_ptr<TKorHRedoBlock> Block) {
  DiscardRedo();
  FRedoBlock = std::move(Block);
}

void TKorHUndoStorage::RestoreLastUndone() {
  if (!FLastUndone.empty()) {
    const int64_t start = Size();
    TMemoryStream::SetSize(start + int64_t(FLastUndone.size()));
    std::memcpy(Memory() + start, FLastUndone.data(), FLastUndone.size());
    ++FRecordCount;
    SetPosition(Size());
    FLastUndone.clear();
    FLastUndone.shrink_to_fit();
  }
  FDescription = FLastUndoneDescription;
}

}  // namespace vexa
