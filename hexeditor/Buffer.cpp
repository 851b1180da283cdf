// The document buffer: loading, saving, the chunked copy with progress, byte access, the
// changed-byte marks, the edit permission gate and the editing primitives.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "hexeditor/KorHexEditor.h"
#include "hexeditor/Messages.h"

namespace vexa {

namespace {

constexpr int32_t kCopyChunk = 61440;  // 0xF000
constexpr int64_t kMaxDocumentSize = INT32_MAX;

// The process's file creation mask, for files we create ourselves with mkstemp.
mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

// ---- the chunked copy -----------------------------------------------------------------------

void TCustomKorHexEditor::CopyWithProgress(TStream& Source, TStream& Dest, int32_t Count, TKorHProgressKind Kind) {
  if (Count == -1) Count = static_cast<int32_t>(static_cast<uint32_t>(Source.Size() - Source.Position()));
  bool cancel = false;
  int lastReported = 255;
  const QString name = FProgressName.isEmpty() ? FFileName : FProgressName;
  static uint8_t scratch[kCopyChunk];
  auto* memDest = dynamic_cast<TMemoryStream*>(&Dest);
  auto* memSource = dynamic_cast<TMemoryStream*>(&Source);
  int32_t remaining = Count;
  while (remaining > 0) {
    // Whole percentages, rounded to the nearest with ties to even.
    const int percent = static_cast<int>(std::nearbyint(double(Count - remaining) / double(Count) * 100.0));
    if (percent != lastReported || remaining <= kCopyChunk) {
      const int value = remaining <= kCopyChunk ? 100 : percent;
      lastReported = value;
      if (OnProgress) {
        OnProgress(this, Kind, name, static_cast<uint8_t>(value), cancel);
        if (cancel) throw EKorHexEditor(msgCancelled);
      }
    }
    const int32_t chunk = std::min(remaining, kCopyChunk);
    // A memory stream on either side serves as the chunk buffer itself, which saves a copy
    // of every byte; otherwise the chunk goes through the scratch buffer.
    if (memDest && memDest->Position() + chunk <= memDest->Size()) {
      Source.ReadBuffer(memDest->Memory() + memDest->Position(), chunk);
      memDest->Seek(chunk, soCurrent);
    } else if (memSource && memSource->Position() + chunk <= memSource->Size()) {
      Dest.WriteBuffer(memSource->Memory() + memSource->Position(), chunk);
      memSource->Seek(chunk, soCurrent);
    } else {
      Source.ReadBuffer(scratch, chunk);
      Dest.WriteBuffer(scratch, chunk);
    }
    remaining -= chunk;
  }
}

// ---- loading --------------------------------------------------------------------------------

void TCustomKorHexEditor::CanOpenFile(const QString& FileName) {
  FFileIsReadOnly = true;
  const int fd = FileOpen(FileName, fmOpenRead | fmShareDenyNone);
  if (fd < 0) throw EFOpenError(Format(msgCannotOpen, {FileName, SysErrorMessage(GetLastError())}));
  struct stat st {};
  const bool tooLarge = ::fstat(fd, &st) == 0 && st.st_size > kMaxDocumentSize;
  FileClose(fd);
  // Positions are 32-bit: a larger file is refused rather than cut short.
  if (tooLarge) throw EFOpenError(Format(msgCannotOpen, {FileName, SysErrorMessage(EFBIG)}));
  const int rw = FileOpen(FileName, fmOpenReadWrite | fmShareExclusive);
  if (rw >= 0) {
    FileClose(rw);
    FFileIsReadOnly = false;
  }
}

void TCustomKorHexEditor::LoadFromFile(const QString& FileName) {
  CanOpenFile(FileName);
  TFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
  FProgressName = FileName;
  try {
    LoadFromStream(stream);
  } catch (...) {
    FHasFileName = false;
    FProgressName.clear();
    throw;
  }
  FFileName = FileName;
  FHasFileName = true;
  FProgressName.clear();
}

void TCustomKorHexEditor::LoadFromStream(TStream& Stream) {
  FDataStorage->SetSize(0);
  UpdateGridSize();
  PushBusyCursor();
  struct PopOnExit {
    TCustomKorHexEditor* self;
    ~PopOnExit() { self->PopBusyCursor(); }
  } popOnExit{this};

  std::exception_ptr error;
  try {
    Stream.SetPosition(0);
    const int64_t size = Stream.Size();
    if (size > kMaxDocumentSize) throw EReadError(SysErrorMessage(EFBIG));
    FDataStorage->SetSize(size);
    FDataStorage->SetPosition(0);
    CopyWithProgress(Stream, *FDataStorage, -1, pkLoad);
    FDataStorage->SetPosition(0);
  } catch (...) {
    error = std::current_exception();
    // A cancelled or failed load leaves an empty document.
    FDataStorage->SetSize(0);
    FHasFileName = false;
  }
  if (!FUndoSuspended || error) ClearUndo();
  FChangedBytes.SetSize(0);
  UpdateGridSize();
  FModified = false;
  FSelecting = false;
  MoveColRow(2, 2, true, true);
  Changed();
  if (error) std::rethrow_exception(error);
}

void TCustomKorHexEditor::NewDocument(const QString& Name) {
  FDataStorage->SetSize(0);
  FFileName = Name.isEmpty() ? QStringLiteral("Untitled") : Name;
  ClearUndo();
  ResetSelection(false);
  FChangedBytes.SetSize(0);
  UpdateGridSize();
  FModified = false;
  FFileIsReadOnly = true;
  FHasFileName = false;
  MoveColRow(2, 2, true, true);
  Changed();
}

// ---- saving ---------------------------------------------------------------------------------

void TCustomKorHexEditor::SaveToStream(TStream& Stream) {
  PushBusyCursor();
  try {
    FDataStorage->SetPosition(0);
    CopyWithProgress(*FDataStorage, Stream, -1, pkSave);
  } catch (...) {
    viewport()->update();
    PopBusyCursor();
    throw;
  }
  viewport()->update();
  PopBusyCursor();
}

void TCustomKorHexEditor::BeforeOverwriteFile() {
  if (FFileIsReadOnly) throw EFOpenError(Format(msgSaveReadOnly, {FFileName}));
}

void TCustomKorHexEditor::ReplaceTargetFile(const QString& TempName, const QString& Target) {
  if (!RenameFile(TempName, Target))
    throw EFCreateError(Format(msgCreateFile, {Target, SysErrorMessage(GetLastError())}));
}

// The data is written to a temporary file beside the target, flushed, and only then moved
// into place, so a failed or cancelled save never destroys the previous file.
void TCustomKorHexEditor::SaveToFile(const QString& FileName, bool Rebind) {
  if (FileName == FFileName) BeforeOverwriteFile();

  const QByteArray target = QFile::encodeName(FileName);
  struct stat targetStat {};
  const bool targetExists = ::stat(target.constData(), &targetStat) == 0;
  if (targetExists && (!S_ISREG(targetStat.st_mode) || (targetStat.st_mode & 0222) == 0)) {
    const int err = S_ISDIR(targetStat.st_mode) ? EISDIR : !S_ISREG(targetStat.st_mode) ? ERROR_NOT_REGULAR_FILE : EACCES;
    throw EFCreateError(Format(msgCreateFile, {FileName, SysErrorMessage(err)}));
  }

  const QString dir = QFileInfo(FileName).absolutePath();
  QByteArray pattern = QFile::encodeName(dir + QLatin1Char('/') + QLatin1Char('.') + ExtractFileName(FileName) +
                                         QStringLiteral(".vexa-XXXXXX"));
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    const int err = errno;
    throw EFCreateError(Format(msgCreateFile, {FileName, SysErrorMessage(err)}));
  }
  const QString tempName = QFile::decodeName(pattern);
  ::fchmod(fd, targetExists ? (targetStat.st_mode & 07777) : (0666 & ~CurrentUmask()));
  ::close(fd);

  FProgressName = FileName;
  try {
    {
      TFileStream stream(tempName, fmOpenReadWrite | fmShareExclusive);
      SaveToStream(stream);
      stream.Flush();
    }
    ReplaceTargetFile(tempName, FileName);
  } catch (...) {
    ::unlink(pattern.constData());
    FProgressName.clear();
    throw;
  }
  FProgressName.clear();
  FHasFileName = true;
  if (Rebind) {
    FChangedBytes.SetSize(0);
    FModified = false;
    FFileIsReadOnly = false;
    FFileName = FileName;
    FDataStorage->SetPosition(0);
    ClearUndo();
  }
}

// ---- byte access and marks ------------------------------------------------------------------

uint8_t TCustomKorHexEditor::ByteAt(int32_t Pos) { return *FDataStorage->AddressOf(Pos, 1); }

void TCustomKorHexEditor::SetByteAt(int32_t Pos, uint8_t Value) { *FDataStorage->AddressOf(Pos, 1) = Value; }

void TCustomKorHexEditor::ReadBuffer(void* Buffer, int32_t Pos, int32_t Count) {
  const uint8_t* src = FDataStorage->AddressOf(Pos, Count);
  if (Count > 0) std::memcpy(Buffer, src, static_cast<size_t>(Count));
}

void TCustomKorHexEditor::WriteBuffer(const void* Buffer, int32_t Pos, int32_t Count) {
  uint8_t* dst = FDataStorage->AddressOf(Pos, Count);
  if (Count > 0) std::memmove(dst, Buffer, static_cast<size_t>(Count));
}

bool TCustomKorHexEditor::IsByteChanged(int32_t Pos) const {
  if (InsertMode()) return false;
  return FChangedBytes.Bits(Pos);
}

void TCustomKorHexEditor::SetByteChanged(int32_t Pos, bool Value) {
  if (InsertMode()) FChangedBytes.SetSize(0);
  if (!Value && Pos >= FChangedBytes.Size()) return;
  FChangedBytes.SetBits(Pos, Value);
}

void TCustomKorHexEditor::TruncateChangedBytes(int32_t Length) {
  if (FChangedBytes.Size() >= Length) FChangedBytes.SetSize(Length);
}

// ---- the edit gate --------------------------------------------------------------------------

bool TCustomKorHexEditor::EditAllowed(TKorHUndoRecordKind Kind, int32_t A, int32_t B) {
  bool allowed = DataSize() > 0 || Kind == rkInsert || Kind == rkAppend || Kind == rkAllData;
  if (allowed && NoSizeChangeInEffect()) {
    switch (Kind) {
      case rkRemove:
      case rkInsert:
      case rkAppend:
      case rkInsertNibble:
      case rkDeleteNibble: allowed = false; break;
      case rkReplace: allowed = A == B; break;
      default: break;
    }
  }
  if (!allowed && Kind == rkGroup) allowed = A <= UndoStepCount();
  return allowed;
}

void TCustomKorHexEditor::RecordUndo(TKorHUndoRecordKind Kind, int32_t Pos, int32_t Count, int32_t ReplCount,
                                     const QString& Description) {
  if (!EditAllowed(Kind, Count, ReplCount)) throw EKorHexEditor(msgUndoStorage);
  if (!FUndoSuspended && !AddUndoRecord(Kind, Pos, Count, ReplCount, Description))
    throw EKorHexEditor(msgUndoStorage);
  FModified = true;
}

void TCustomKorHexEditor::ClearUndo() { ClearUndoStorage(); }

// ---- editing primitives ---------------------------------------------------------------------

void TCustomKorHexEditor::InsertRaw(const void* Buffer, int32_t Count, int32_t Pos) {
  const int32_t oldSize = DataSize();
  if (oldSize == 0) {
    FDataStorage->SetPosition(0);
    FChangedBytes.SetSize(0);
  }
  FDataStorage->SetSize(int64_t(oldSize) + Count);
  const int32_t newSize = DataSize();
  if (Pos < oldSize) FDataStorage->MoveBytes(Pos, Pos + Count, newSize - Pos - Count);
  if (Buffer) WriteBuffer(Buffer, Pos, Count);
  UpdateGridSize();
}

void TCustomKorHexEditor::AppendRaw(const void* Buffer, int32_t Count) {
  const int32_t oldSize = DataSize();
  if (oldSize == 0) {
    FDataStorage->SetPosition(0);
    FChangedBytes.SetSize(0);
  }
  FDataStorage->SetSize(int64_t(oldSize) + Count);
  if (Buffer) WriteBuffer(Buffer, oldSize, Count);
  UpdateGridSize();
}

void TCustomKorHexEditor::InsertBuffer(const void* Buffer, int32_t Count, int32_t Pos, const QString& Description,
                                       bool MoveCaret) {
  FDataStorage->CheckPosition(Pos);
  RecordUndo(rkInsert, Pos, Count, 0, Description);
  InsertRaw(Buffer, Count, Pos);
  TruncateChangedBytes(Pos);
  if (isEnabled()) {
    SetSelection(Pos, Pos + Count - 1);
    if (MoveCaret) {
      MoveCaretToPos(Pos + Count - 1, CaretInCharField());
      SetSelection(Pos, Pos + Count - 1);
    }
    viewport()->update();
  }
  Changed();
}

void TCustomKorHexEditor::AppendBuffer(const void* Buffer, int32_t Count, const QString& Description, bool MoveCaret) {
  if (!Buffer || Count == 0) return;
  const int32_t oldSize = DataSize();
  RecordUndo(rkAppend, oldSize, Count, 0, Description);
  TruncateChangedBytes(oldSize);
  AppendRaw(Buffer, Count);
  if (MoveCaret) MoveCaretToPos(oldSize, CaretInCharField());
  SetSelection(oldSize, oldSize + Count - 1);
  viewport()->update();
  Changed();
}

void TCustomKorHexEditor::ReplaceSelection(const void* Buffer, int32_t Count, const QString& Description,
                                           bool MoveCaret) {
  if (SelectionLength() == 0) {
    InsertBuffer(Buffer, Count, CaretPosition(), Description, MoveCaret);
    return;
  }
  int32_t start = FSelectionStart;
  int32_t length = SelectionLength();
  if (NoSizeChangeInEffect()) {
    if (Count > length) Count = length;
    if (Count < length) length = Count;
  }
  RecordUndo(rkReplace, start, length, Count, Description);
  DeleteRange(start, start + length, -1, -1);
  InsertRaw(Buffer, Count, start);
  TruncateChangedBytes(start);
  if (MoveCaret) {
    MoveCaretToPos(start + Count - 1, CaretInCharField());
    SetSelection(start, start + Count - 1);
  }
  viewport()->update();
  Changed();
}

int32_t TCustomKorHexEditor::ReplaceRange(const void* Buffer, int32_t Pos, int32_t OldCount, int32_t NewCount,
                                          const QString& Description, bool MoveCaret) {
  Pos = std::abs(Pos);
  OldCount = std::abs(OldCount);
  FDataStorage->CheckPosition(Pos + OldCount - 1);
  if (OldCount > DataSize() - Pos) {
    if (NewCount == OldCount) NewCount = DataSize() - Pos;
    OldCount = DataSize() - Pos;
  }
  if (NoSizeChangeInEffect()) {
    const int32_t n = std::min(OldCount, NewCount);
    OldCount = NewCount = n;
  }
  RecordUndo(rkReplace, Pos, OldCount, NewCount, Description);
  if (!MoveCaret && !FUndoSuspended) SetUndoTopSelection(Pos, OldCount);
  if (OldCount == NewCount) {
    WriteBuffer(Buffer, Pos, NewCount);
  } else if (OldCount > NewCount) {
    DeleteRange(Pos, Pos + OldCount - NewCount, Col(), Row());
    WriteBuffer(Buffer, Pos, NewCount);
  } else {
    InsertRaw(nullptr, NewCount - OldCount, Pos);
    WriteBuffer(Buffer, Pos, NewCount);
  }
  TruncateChangedBytes(Pos);
  if (MoveCaret) MoveCaretToPos(Pos, CaretInCharField());
  viewport()->update();
  Changed();
  return NewCount;
}

// ---- busy cursor ----------------------------------------------------------------------------

void TCustomKorHexEditor::PushBusyCursor() {
  FBusyCursorStack.push_back(Screen->Cursor());
  Screen->SetCursor(crHourGlass);
}

void TCustomKorHexEditor::PopBusyCursor() {
  if (FBusyCursorStack.empty()) return;
  Screen->SetCursor(FBusyCursorStack.back());
  FBusyCursorStack.pop_back();
}

}  // namespace vexa
