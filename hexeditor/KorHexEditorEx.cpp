#include "hexeditor/KorHexEditorEx.h"

#include <QFrame>

#include "hexeditor/Messages.h"

namespace vexa {

TKorHexEditorEx::TKorHexEditorEx(QWidget* parent) : TCustomKorHexEditor(parent) {}

void TKorHexEditorEx::Save() {
  if (!FHasFileName) throw EKorHexEditor(msgNoFileName);
  SaveToFile(FFileName, true);
}

void TKorHexEditorEx::WriteBuffer(const void* Buffer, int32_t Pos, int32_t Count) {
  TCustomKorHexEditor::WriteBuffer(Buffer, Pos, Count);
  FModified = true;
  if (FUndoSuspended) FWrittenWhileSuspended = true;
}

// A backup is due when the document was changed and the bound file exists; the previous file
// itself becomes the backup once the new data has been written completely.
void TKorHexEditorEx::BeforeOverwriteFile() {
  TCustomKorHexEditor::BeforeOverwriteFile();
  FBackupDue = FCreateBackup && FModified && (DataSize() > 0 || FileExists(FFileName)) && FileExists(FFileName);
}

void TKorHexEditorEx::ReplaceTargetFile(const QString& TempName, const QString& Target) {
  const bool backup = FBackupDue && Target == FFileName;
  FBackupDue = false;
  if (backup) {
    const QString backupName = FFileName + FBackupExtension;
    if (FileExists(backupName) && !DeleteFile(backupName))
      throw EKorHexEditor(Format(msgDeleteBackup, {backupName, SysErrorMessage(GetLastError())}));
    if (!RenameFile(FFileName, backupName))
      throw EKorHexEditor(Format(msgCreateBackup, {backupName, SysErrorMessage(GetLastError())}));
  }
  TCustomKorHexEditor::ReplaceTargetFile(TempName, Target);
}

void TKorHexEditorEx::SetTranslationValue(int value) {
  if (value < tkAsIs || value > tkCustom) throw EKorHexEditor(Format("Invalid translation %d", {value}));
  SetTranslation(static_cast<TKorHTranslationKind>(value));
}

void TKorHexEditorEx::SetCursorId(int value) {
  FCursorId = value;
  setCursor(QCursor(CursorShape(value)));
  viewport()->setCursor(QCursor(CursorShape(value)));
}

void TKorHexEditorEx::SetBorderStyle(int value) {
  FBorderStyle = value;
  setFrameShape(value == 0 ? QFrame::NoFrame : QFrame::StyledPanel);
}

}  // namespace vexa
