#pragma once
// TKorHexEditorEx: the extended control. Publishes the settings for the stored layout and
// adds saving with a backup of the previous file.

#include "hexeditor/KorHexEditor.h"
#include "hexeditor/PrintOptions.h"

namespace vexa {

class TKorHexEditorEx : public TCustomKorHexEditor {
  Q_OBJECT
  Q_PROPERTY(int Cursor READ CursorId WRITE SetCursorId)
  Q_PROPERTY(int BorderStyle READ BorderStyle WRITE SetBorderStyle)
  Q_PROPERTY(vexa::TFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(int BytesPerRow READ BytesPerRow WRITE SetBytesPerRow)
  Q_PROPERTY(int BytesPerColumn READ BytesPerColumn WRITE SetBytesPerColumn)
  Q_PROPERTY(int BytesPerUnit READ BytesPerUnit WRITE SetBytesPerUnit)
  Q_PROPERTY(int BytesPerBlock READ BytesPerBlock WRITE SetBytesPerBlock)
  Q_PROPERTY(bool SeparateBlocksInCharField READ SeparateBlocksInCharField WRITE SetSeparateBlocksInCharField)
  Q_PROPERTY(bool UnicodeChars READ UnicodeChars WRITE SetUnicodeChars)
  Q_PROPERTY(bool UnicodeBigEndian READ UnicodeBigEndian WRITE SetUnicodeBigEndian)
  Q_PROPERTY(int GutterWidth READ GutterWidth WRITE SetGutterWidth)
  Q_PROPERTY(bool ShowRuler READ ShowRuler WRITE SetShowRuler)
  Q_PROPERTY(QString OffsetFormat READ OffsetFormat WRITE SetOffsetFormat)
  Q_PROPERTY(bool HexLowerCase READ HexLowerCase WRITE SetHexLowerCase)
  Q_PROPERTY(int RulerBytesPerUnit READ RulerBytesPerUnit WRITE SetRulerBytesPerUnit)
  Q_PROPERTY(int RulerNumberBase READ RulerNumberBase WRITE SetRulerNumberBase)
  Q_PROPERTY(int Translation READ TranslationValue WRITE SetTranslationValue)
  Q_PROPERTY(bool SwapNibbles READ SwapNibblesValue WRITE SetSwapNibbles)
  Q_PROPERTY(bool InsertMode READ StoredInsertMode WRITE SetInsertMode)
  Q_PROPERTY(bool AllowInsertMode READ AllowInsertMode WRITE SetAllowInsertMode)
  Q_PROPERTY(bool NoSizeChange READ NoSizeChange WRITE SetNoSizeChange)
  Q_PROPERTY(bool ReadOnlyView READ ReadOnlyView WRITE SetReadOnlyView)
  Q_PROPERTY(bool WantTabs READ WantTabs WRITE SetWantTabs)
  Q_PROPERTY(bool CreateBackup READ CreateBackup WRITE SetCreateBackup)
  Q_PROPERTY(QString BackupExtension READ BackupExtension WRITE SetBackupExtension)
  Q_PROPERTY(QString Version READ Version WRITE SetVersion)
  Q_PROPERTY(vexa::TKorHColors* Colors READ Colors WRITE SetColors)
  Q_PROPERTY(int CaretKind READ CaretKindValue WRITE SetCaretKindValue)
  Q_PROPERTY(bool FocusFrame READ FocusFrame WRITE SetFocusFrame)
  Q_PROPERTY(bool DrawGridLines READ DrawGridLines WRITE SetDrawGridLines)
  Q_PROPERTY(bool DrawGutter3D READ DrawGutter3D WRITE SetDrawGutter3D)
  Q_PROPERTY(bool ShowPositionIfNotFocused READ ShowPositionIfNotFocused WRITE SetShowPositionIfNotFocused)
  Q_PROPERTY(bool HideSelection READ HideSelection WRITE SetHideSelection)
  Q_PROPERTY(bool GraySelectionIfNotFocused READ GraySelectionIfNotFocused WRITE SetGraySelectionIfNotFocused)
  Q_PROPERTY(int MaxUndo READ MaxUndo WRITE SetMaxUndo)
  Q_PROPERTY(bool ZoomOnWheel READ ZoomOnWheel WRITE SetZoomOnWheel)
  Q_PROPERTY(bool OleDragDrop READ OleDragDrop WRITE SetOleDragDrop)
  Q_PROPERTY(vexa::TKorHPrintOptions* PrintOptions READ PrintOptions WRITE SetPrintOptions)
  Q_PROPERTY(vexa::TFont* PrintFont READ PrintFont WRITE SetPrintFont)
  Q_PROPERTY(bool UseEditorFontForPrinting READ UseEditorFontForPrinting WRITE SetUseEditorFontForPrinting)

public:
  explicit TKorHexEditorEx(QWidget* parent = nullptr);

  // Writes the buffer back to the bound file; raises "No filename specified" without one.
  void Save();

  bool CreateBackup() const { return FCreateBackup; }
  void SetCreateBackup(bool value) { FCreateBackup = value; }
  const QString& BackupExtension() const { return FBackupExtension; }
  void SetBackupExtension(const QString& value) { FBackupExtension = value; }

  void WriteBuffer(const void* Buffer, int32_t Pos, int32_t Count) override;
  // Whether data was written while undo recording was suspended.
  bool WrittenWhileSuspended() const { return FWrittenWhileSuspended; }

  // Translation as its ordinal (tkAsIs = 0 … tkCustom = 5) for the stored layout.
  int TranslationValue() const { return Translation(); }
  void SetTranslationValue(int value);
  bool SwapNibblesValue() const { return SwapNibbles() != 0; }

  int CursorId() const { return FCursorId; }
  void SetCursorId(int value);
  // 0 = no border, 1 = single line.
  int BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(int value);

  // The stored layout also holds "BookmarkBitmap" while a custom glyph strip is assigned:
  // the strip as base64 PNG text (Bookmarks.cpp). Empty text is the built-in strip; text
  // that is no 200 x 10 PNG raises the bookmark-bitmap message.
  void DefineProperties(TFiler& filer) override;
  QString BookmarkBitmapText() const;
  void SetBookmarkBitmapText(const QString& value);

  // ---- print options ----
  // Both objects are the control's own: assigning copies the given values into them, and a
  // stored layout reads into them without the setters.
  TKorHPrintOptions* PrintOptions() const { return FPrintOptions.get(); }
  void SetPrintOptions(TKorHPrintOptions* value) { FPrintOptions->Assign(value); }
  TFont* PrintFont() const { return FPrintFont.get(); }
  void SetPrintFont(TFont* value) {
    if (value) FPrintFont->Assign(*value);
    FUseEditorFontForPrinting = false;
  }
  bool UseEditorFontForPrinting() const { return FUseEditorFontForPrinting; }
  void SetUseEditorFontForPrinting(bool value) { FUseEditorFontForPrinting = value; }
  // ---- end of print options ----

protected:
  void BeforeOverwriteFile() override;
  void ReplaceTargetFile(const QString& TempName, const QString& Target) override;
  // A double click selects the unit under the pointer, then fires OnDblClick (MouseEx.cpp).
  void DblClick() override;

private:
  bool FCreateBackup = true;
  QString FBackupExtension = QStringLiteral(".bak");
  bool FBackupDue = false;
  bool FWrittenWhileSuspended = false;
  int FCursorId = crIBeam;
  int FBorderStyle = 1;

  // ---- print options fields ----
  std::unique_ptr<TKorHPrintOptions> FPrintOptions = std::make_unique<TKorHPrintOptions>();
  // A copy of the editor's font as it is when the control is made.
  std::unique_ptr<TFont> FPrintFont = [this] {
    auto font = std::make_unique<TFont>();
    if (Font()) font->Assign(*Font());
    return font;
  }();
  bool FUseEditorFontForPrinting = true;
  // ---- end of print options fields ----
};

}  // namespace vexa
