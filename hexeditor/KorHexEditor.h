#pragma once
// TCustomKorHexEditor: the hex editor control. It is one class whose member functions live in
// files named for what they do: KorHexEditor.cpp (construction, lifecycle, notifications),
// Buffer.cpp (document buffer, file I/O, editing primitives, edit permission),
// Geometry.cpp (grid layout, position mapping, the cell check, layout setters),
// OffsetColumn.cpp (offset format, gutter and ruler settings), Characters.cpp (translation,
// mask character), Selection.cpp (selection fields), Mouse.cpp (press, drag, wheel, drop
// marker), Keyboard.cpp (the key table, typing), Editing.cpp (overwriting, deletion, insert
// mode and edit settings), Undo.cpp (undo and redo through UndoStorage), Paint.cpp,
// Colors.cpp and Caret.cpp (rendering and the caret glyph).

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "hexeditor/Colors.h"
#include "hexeditor/KorHMemoryStream.h"
#include "hexeditor/KorHexEditorError.h"
#include "hexeditor/KorHexEditorTypes.h"
#include "hexeditor/OffsetFormat.h"
#include "hexeditor/Translation.h"
#include "hexeditor/UndoStorage.h"
#include "platform/Classes.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Grids.h"
#include "platform/StoredLayout.h"

namespace vexa {

class TCustomKorHexEditor : public TCustomGrid, public IStoredComponent {
  Q_OBJECT

public:
  explicit TCustomKorHexEditor(QWidget* parent = nullptr);
  ~TCustomKorHexEditor() override;

  // ---- document -------------------------------------------------------------------------
  void NewDocument(const QString& Name);
  void LoadFromFile(const QString& FileName);
  void LoadFromStream(TStream& Stream);
  void SaveToFile(const QString& FileName, bool Rebind);
  void SaveToStream(TStream& Stream);

  int32_t DataSize() const { return static_cast<int32_t>(FDataStorage->Size()); }
  const QString& FileName() const { return FFileName; }
  bool HasFileName() const { return FHasFileName; }
  bool FileIsReadOnly() const { return FFileIsReadOnly; }
  bool Modified() const { return FModified; }
  void SetModified(bool value) { FModified = value; }

  uint8_t ByteAt(int32_t Pos);
  void SetByteAt(int32_t Pos, uint8_t Value);
  void ReadBuffer(void* Buffer, int32_t Pos, int32_t Count);
  virtual void WriteBuffer(const void* Buffer, int32_t Pos, int32_t Count);
  bool IsByteChanged(int32_t Pos) const;
  void SetByteChanged(int32_t Pos, bool Value);
  TBits& ChangedBytes() { return FChangedBytes; }
  TKorHMemoryStream& DataStorage() { return *FDataStorage; }

  // ---- editing primitives: every change of the data goes through these -------------------
  void InsertRaw(const void* Buffer, int32_t Count, int32_t Pos);
  void AppendRaw(const void* Buffer, int32_t Count);
  void InsertBuffer(const void* Buffer, int32_t Count, int32_t Pos, const QString& Description, bool MoveCaret);
  void AppendBuffer(const void* Buffer, int32_t Count, const QString& Description, bool MoveCaret);
  void ReplaceSelection(const void* Buffer, int32_t Count, const QString& Description, bool MoveCaret);
  int32_t ReplaceRange(const void* Buffer, int32_t Pos, int32_t OldCount, int32_t NewCount,
                       const QString& Description, bool MoveCaret);
  void MoveBytes(int32_t From, int32_t To, int32_t Count) { FDataStorage->MoveBytes(From, To, Count); }
  // Removes start .. end - 1 without recording undo and places the caret (column < 0 keeps it).
  void DeleteRange(int32_t Start, int32_t End, int32_t ACol, int32_t ARow);

  // The gate every change passes: raises "Cannot update undo storage" when refused.
  virtual bool EditAllowed(TKorHUndoRecordKind Kind, int32_t A, int32_t B);
  void RecordUndo(TKorHUndoRecordKind Kind, int32_t Pos, int32_t Count, int32_t ReplCount, const QString& Description);
  void ClearUndo();
  bool UndoSuspended() const { return FUndoSuspended; }

  // ---- notifications ----------------------------------------------------------------------
  virtual void Changed();
  virtual void SelectionChanged();
  TKorHProgressEvent OnProgress;
  TNotifyEvent OnChange;
  TNotifyEvent OnSelectionChanged;

  // ---- selection ----------------------------------------------------------------------------
  int32_t SelectionAnchor() const { return FSelectionAnchor; }
  int32_t SelectionStart() const { return FSelectionStart; }
  int32_t SelectionEnd() const { return FSelectionEnd; }
  int32_t SelectionLength() const { return FSelectionAnchor < 0 ? 0 : FSelectionEnd - FSelectionStart + 1; }
  bool IsSelected(int32_t Pos) const {
    return FSelectionAnchor >= 0 && FSelectionStart <= Pos && Pos <= FSelectionEnd;
  }
  void SetSelection(int32_t Anchor, int32_t Other);
  void ResetSelection(bool Repaint);
  void SetSelectionFields(int32_t Anchor, int32_t Start, int32_t End);
  int32_t SelStart() const;
  void SetSelStart(int32_t Pos);
  int32_t SelEnd() const;
  void SetSelEnd(int32_t Pos);
  bool Selecting() const { return FSelecting; }
  void SetSelecting(bool value) { FSelecting = value; }
  void InvalidateRows(int32_t FromPos, int32_t ToPos);

  // ---- geometry -----------------------------------------------------------------------------
  int32_t GetPosAtCell(int ACol, int ARow);
  void GetCellAtPos(int32_t Pos, bool InCharField, int& ACol, int& ARow) const;
  int GetOtherFieldCol(int ACol);             // also sets CaretInCharField from ACol
  int GetOtherFieldColNoChange(int ACol) const;
  bool CaretInCharField();
  // The field as GetPosAtCell last computed it, without looking at the current cell again.
  bool CaretInCharFieldRaw() const { return FCaretInCharField; }
  void SetCaretInCharField(bool value);
  int32_t CaretPosition();
  int32_t ClampedCaretPosition();
  int32_t Seek(int32_t Offset, int Origin);
  void MoveCaretToPos(int32_t Pos, bool InCharField);
  void UpdateGridSize();
  void UpdateColumnWidths();
  // Column 0's width from the offset text of the last row (or GutterWidth).
  void UpdateOffsetColumn();
  void UpdateRulerTexts();
  virtual void UpdateCaretPos();

  int CharWidth() const { return FCharWidth; }
  int CharHeight() const { return FCharHeight; }
  int HexColumnCount() const { return FHexColumnCount; }
  int LastHexCol() const { return FLastHexCol; }
  int NibbleGroupWidth() const { return FNibbleGroupWidth; }
  int OffsetCharCount() const { return FOffsetRuler.OffsetCharCount(); }

  int BytesPerRow() const { return FBytesPerRow; }
  void SetBytesPerRow(int value);
  int BytesPerColumn() const { return FNibbleGroupWidth / 2; }
  void SetBytesPerColumn(int value);
  int BytesPerUnit() const { return FBytesPerUnit; }
  void SetBytesPerUnit(int value);
  int BytesPerBlock() const { return FBytesPerBlock; }
  void SetBytesPerBlock(int value);
  bool SeparateBlocksInCharField() const { return FSeparateBlocksInCharField; }
  void SetSeparateBlocksInCharField(bool value);
  bool UnicodeChars() const { return FUnicodeChars; }
  void SetUnicodeChars(bool value);
  bool UnicodeBigEndian() const { return FUnicodeBigEndian; }
  void SetUnicodeBigEndian(bool value);
  int GutterWidth() const { return FOffsetRuler.GutterWidth(); }
  void SetGutterWidth(int value);
  bool ShowRuler() const { return FShowRuler; }
  void SetShowRuler(bool value);

  // ---- offsets and ruler ------------------------------------------------------------------------
  const QString& OffsetFormat() const { return FOffsetRuler.OffsetFormat(); }
  void SetOffsetFormat(const QString& value);
  const TKorHOffsetFormat& OffsetFormatRecord() const { return FOffsetRuler.OffsetFormatRecord(); }
  bool HexLowerCase() const { return FOffsetRuler.HexLowerCase(); }
  void SetHexLowerCase(bool value);
  // The digit table HexLowerCase selects.
  const char* HexDigits() const { return FOffsetRuler.HexDigits(); }
  int RulerBytesPerUnit() const { return FOffsetRuler.RulerBytesPerUnit(); }
  void SetRulerBytesPerUnit(int value);
  int RulerNumberBase() const { return FOffsetRuler.RulerNumberBase(); }
  void SetRulerNumberBase(int value);
  int RulerUnit() const { return FOffsetRuler.RulerUnit(); }
  const QString& HexRulerText() const { return FOffsetRuler.HexRulerText(); }
  const QString& CharRulerText() const { return FOffsetRuler.CharRulerText(); }
  // The offset text of a row's first byte (the handler's text when one is assigned).
  virtual QString FormatOffset(uint32_t Position);
  std::function<void(TCustomKorHexEditor* Sender, int64_t Number, QString& OffsetText)> OnGetOffsetText;

  // ---- characters ---------------------------------------------------------------------------
  TKorHTranslationKind Translation() const { return FTranslation; }
  void SetTranslation(TKorHTranslationKind value);
  uint8_t MaskChar() const { return FMaskChar; }
  void SetMaskChar(uint8_t value);
  const TKorHCharSet& MaskedChars() const { return FMaskedChars; }
  // Held as 0 or 1: painting and typing compare it with a column's parity.
  int SwapNibbles() const { return FSwapNibbles; }
  void SetSwapNibbles(bool value);
  // The ANSI character shown for a byte in the character field, and the byte stored for a
  // typed ANSI character (0 = refused).
  uint8_t ByteToDisplayChar(uint8_t b) const;
  uint8_t TypedCharToByte(uint8_t ch) const;
  // The 16-bit character of the Unicode character cell at Pos.
  char16_t UnicodeCharAt(int32_t Pos);
  void DefineProperties(TFiler& filer) override;

  TFont* Font() const { return FFont; }
  void SetFont(TFont* value);

  // ---- rendering, colours and the caret glyph (Paint.cpp, Colors.cpp, Caret.cpp) ----------
  // The colour set is the control's own; assigning copies the colours into it.
  TKorHColors* Colors() const { return FColors.get(); }
  void SetColors(TKorHColors* value) { FColors->Assign(value); }
  TKorHCaretKind CaretKind() const { return FCaretKind; }
  void SetCaretKind(TKorHCaretKind value);
  // CaretKind as its ordinal (ckFull = 0 … ckAuto = 3) for the stored layout.
  int CaretKindValue() const { return FCaretKind; }
  void SetCaretKindValue(int value);
  bool FocusFrame() const { return FFocusFrame; }
  void SetFocusFrame(bool value);
  bool DrawGridLines() const { return FDrawGridLines; }
  void SetDrawGridLines(bool value);
  bool DrawGutter3D() const { return FDrawGutter3D; }
  void SetDrawGutter3D(bool value);
  bool ShowPositionIfNotFocused() const { return FShowPositionIfNotFocused; }
  void SetShowPositionIfNotFocused(bool value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  bool GraySelectionIfNotFocused() const { return FGraySelectionIfNotFocused; }
  void SetGraySelectionIfNotFocused(bool value);
  TKorHDrawCellEvent OnDrawCell;

  // The field painted with ActiveFieldBackground: true for the character field.
  bool ActiveCharField() const { return FActiveCharField; }
  // The shape of the system caret while the control has the focus (white pixels invert).
  const QImage& CaretGlyph() const { return FCaretGlyph; }
  // The insertion mark of a pending drop, drawn in one cell while visible.
  bool DropMarkerVisible() const { return FDropMarkerVisible; }
  TGridCoord DropMarkerCell() const { return FDropMarkerCell; }
  void SetDropMarker(bool Visible, int ACol, int ARow);

  // Draws the visible part of the grid; the only drawing entry point.
  void Paint() override;
  // Draws the bookmark glyphs of a data row into its offset cell (ACell, viewport
  // coordinates), after the offset text (Bookmarks.cpp).
  virtual void DrawBookmarkGlyphs(int ARow, const QRect& ACell);
  // ---- end of rendering ----

  // ---- keyboard editing (Keyboard.cpp, Editing.cpp) -----------------------------------------
  // Overwrites the byte at Pos (nothing when Old equals New). ARow and ACol are the caret's
  // cell when the change was typed; the repainted cells follow from Pos.
  void ChangeByte(uint8_t Old, uint8_t New, const QString& Description, int ARow, int ACol, int32_t Pos);
  // Overwrites the two bytes at Pos. The values hold the bytes in data order: the byte at Pos
  // in the low half, the byte at Pos + 1 in the high half.
  void ChangeUnicodeChar(uint16_t Old, uint16_t New, const QString& Description, int ARow, int ACol, int32_t Pos);
  // Deletes the unit at the caret (Delete) or before it (Backspace).
  void DeleteAtCaret(bool Backwards, const QString& Description);
  // Deletes the selected bytes, or the byte at the caret when nothing is selected.
  void DeleteSelection(const QString& Description);

  // Whether the control asks the dialog manager for the Tab key.
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool value) { FWantTabs = value; }
  // Fired for a typed character that cannot be entered where the caret stands.
  TNotifyEvent OnInvalidKey;

  // Undo and redo of the newest step (Undo.cpp).
  virtual bool CanUndo();
  virtual bool CanRedo();
  virtual void Undo();
  virtual bool Redo();
  // ---- end of keyboard editing ----

  // ---- mouse, wheel and selection gestures (Mouse.cpp) --------------------------------------
  // A left press on the selection that waits for its release to become a click, which
  // replaces the selection by the caret. Any move of the pointer first cancels it.
  bool PendingClick() const { return FPendingClick; }
  // The wheel with Ctrl changes BytesPerRow, with Shift+Ctrl the font size.
  bool ZoomOnWheel() const { return FZoomOnWheel; }
  void SetZoomOnWheel(bool value) { FZoomOnWheel = value; }
  // Dragging the selection with the mouse starts an OLE drag of it.
  bool OleDragDrop() const { return FOleDragDrop; }
  void SetOleDragDrop(bool value) { FOleDragDrop = value; }
  // Shows the drop marker on the unit under a client point (the selection's lower end when
  // the point lies on the selection), scrolls a line toward an edge, and returns the position.
  int32_t MoveDropMarker(int X, int Y);
  void HideDropMarker();
  // The position the visible drop marker stands on, rounded down to a unit; -1 without one.
  int32_t DropPosition() const;
  // The cell under a client point. In insert mode the point snaps to the nearest byte
  // boundary (X and Y change with it), as the caret stands between bytes there.
  TGridCoord AdjustMouseCell(int& X, int& Y);
  // ---- end of mouse ----

  // ---- undo storage (UndoStorage.h/.cpp, Undo.cpp) ---------------------------------------------
  // One undo step covering the Count newest records (an OLE move inside the control).
  void RecordUndoGroup(int32_t Count, const QString& Description);
  // Suspension of recording; both return the new suspension count.
  virtual int32_t SuspendUndo();
  virtual int32_t ResumeUndo();
  // The byte limit of the undo storage; 0 or less means none.
  int32_t MaxUndo() const { return FUndoStorage->MaxUndo(); }
  void SetMaxUndo(int32_t value) { FUndoStorage->SetMaxUndo(value); }
  // The description of the next step to undo and of the step a redo would make again.
  QString UndoDescription() const { return FUndoStorage->Description(); }
  QString RedoDescription() const;
  const TKorHUndoStorage& UndoStorage() const { return *FUndoStorage; }
  // Where undo meets the bookmark table: moving the bookmarks at From or beyond by Delta,
  // and the copy of the table a redo step carries. A recorded change shifts them before its
  // bytes move (an insertion's bookmarks then lie up to Delta beyond the current end); an
  // undo shifts them back after the bytes are restored. Without a bookmark table there is
  // nothing to move or copy. The copy holds each entry's position and field in turn
  // (Bookmarks.cpp).
  virtual void ShiftBookmarks(int32_t From, int32_t Delta);
  virtual std::vector<int32_t> BookmarkSnapshot() const;
  virtual void RestoreBookmarkSnapshot(const std::vector<int32_t>& Positions);
  // ---- end of undo ----

  // ---- bookmarks (Bookmarks.cpp) ----
  // Ten numbered bookmarks, each a byte position (-1 when unset) and the field it was set in.
  struct TKorHBookmark {
    int32_t Position = -1;
    bool InCharField = false;
  };
  static constexpr int BookmarkCount = 10;
  // Sets bookmark Index at Position, or clears it when it already stands exactly there.
  // Raises "Invalid bookmark index" above 9.
  void SetBookmark(uint8_t Index, int32_t Position, bool InCharField);
  // Moves the caret to the bookmark; false when it is unset, out of range or lies past the
  // data (which clears it).
  bool GotoBookmark(int Index);
  TKorHBookmark Bookmark(int Index) const;
  virtual void BookmarkChanged();
  TNotifyEvent OnBookmarkChanged;
  // The glyph strip: twenty 10 x 10 glyphs side by side, the hex-field glyphs of bookmarks
  // 0 to 9, then their character-field glyphs. Assigning copies a 200 x 10 picture (anything
  // else raises); assigning none brings back the built-in strip.
  const QImage& BookmarkBitmap() const { return FBookmarkBitmap; }
  void SetBookmarkBitmap(const QImage* value);
  bool HasCustomBookmarkBitmap() const { return FCustomBookmarkBitmap; }
  // The strip cut into glyphs, transparent where the strip has its top-left pixel's colour.
  const std::vector<QImage>& BookmarkImages() const { return FBookmarkImages; }
  // ---- end of bookmarks ----

  // ---- edit settings --------------------------------------------------------------------------
  bool InsertMode() const { return FInsertMode && InsertModeAllowed(); }
  void SetInsertMode(bool value);
  bool StoredInsertMode() const { return FInsertMode; }
  bool AllowInsertMode() const { return FAllowInsertMode; }
  void SetAllowInsertMode(bool value);
  bool NoSizeChange() const { return FNoSizeChange; }
  void SetNoSizeChange(bool value);
  bool ReadOnlyView() const { return FReadOnlyView; }
  void SetReadOnlyView(bool value);
  bool InsertModeAllowed() const { return FAllowInsertMode && !FReadOnlyView && !NoSizeChangeInEffect(); }
  // The size lock as it applies now (the drop of an OLE move may suspend it).
  bool NoSizeChangeInEffect() const { return FNoSizeChange && !FNoSizeChangeSuspended; }

  // After the stored layout has been read: a fresh "Untitled" document.
  void Loaded() override;

  // A fixed descriptive text; assigning it does nothing.
  QString Version() const;
  void SetVersion(const QString&) {}

protected:
  // Runs before a save overwrites the bound file: refuses a read-only one.
  virtual void BeforeOverwriteFile();
  // Moves the fully written temporary file over the target; the extended control keeps the
  // previous file as a backup first.
  virtual void ReplaceTargetFile(const QString& TempName, const QString& Target);
  void CopyWithProgress(TStream& Source, TStream& Dest, int32_t Count, TKorHProgressKind Kind);
  // Opens the file for reading (raising the open error) and notes whether it could be written.
  void CanOpenFile(const QString& FileName);
  void PushBusyCursor();
  void PopBusyCursor();
  void TruncateChangedBytes(int32_t Length);

  // Cell check helpers.
  void InvalidatePartnerCells(int ACol, int ARow);
  void ExtendSelection(int ACol, int ARow);
  // Places the system caret on a cell's top-left corner, or off-screen when it is hidden.
  void PlaceCaretAt(int ACol, int ARow);
  virtual void PlaceCaret(int X, int Y);

  // Settings that follow the layout: the offset format's units and the translation.
  TKorHLayoutValues LayoutValues() const;
  TKorHOffsetTextRequest OffsetTextRequest();
  void UnicodeModeSwitchingOn();

  // The caret glyph follows the effective insert mode and the read-only view.
  virtual void InsertModeChanged();
  // Key-down and character handling of the control (Keyboard.cpp); they replace the grid's.
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;

  virtual void CreateWnd();
  void WndProc(TMessage& Message) override;
  bool SelectCell(int ACol, int ARow) override;
  void Resize() override;
  void TopLeftChanged() override;
  void showEvent(QShowEvent* event) override;
  // Mouse presses, moves and releases, the wheel and the autoscroll filter (Mouse.cpp).
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheelDown(TShiftState Shift, QPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, QPoint MousePos) override;
  void TimerScroll() override;

  // The undo storage behind the gate (Undo.cpp). AddUndoRecord answers false when the
  // storage cannot take the record.
  virtual void ClearUndoStorage();
  virtual bool AddUndoRecord(TKorHUndoRecordKind Kind, int32_t Pos, int32_t Count, int32_t ReplCount,
                             const QString& Description);
  virtual void SetUndoTopSelection(int32_t Pos, int32_t Count);
  virtual int32_t UndoStepCount() const;

  std::unique_ptr<TKorHMemoryStream> FDataStorage;
  QString FFileName = QStringLiteral("---");
  bool FHasFileName = false;
  bool FFileIsReadOnly = true;
  bool FModified = false;
  QString FProgressName;
  TBits FChangedBytes;
  std::vector<TCursor> FBusyCursorStack;
  int32_t FSelectionChangedCount = 0;
  bool FWindowCreated = false;

  int32_t FSelectionAnchor = -1;
  int32_t FSelectionStart = -1;
  int32_t FSelectionEnd = -1;
  int32_t FSelectionOrigin = -1;
  bool FSelecting = false;

  int FBytesPerRow = 16;
  int FHexColumnCount = 32;
  int FLastHexCol = 33;
  int FNibbleGroupWidth = 4;
  int FBytesPerUnit = 1;
  int FBytesPerBlock = -1;
  bool FSeparateBlocksInCharField = true;
  bool FUnicodeChars = false;
  bool FUnicodeBigEndian = false;
  bool FShowRuler = false;
  int FCharWidth = -1;
  int FCharHeight = 0;
  TKorHOffsetRuler FOffsetRuler;
  bool FCaretInCharField = false;
  bool FInSelectCell = false;
  TFont* FFont = nullptr;

  // ---- keyboard editing fields ----
  // The key table (Keyboard.cpp) and the small steps it calls.
  void HandleKey(uint16_t Key, TShiftState Shift);
  void KeyBackspace(TShiftState Shift);
  void KeyLeft(TShiftState Shift);
  void KeyRight(TShiftState Shift);
  void KeyPageUp(TShiftState Shift);
  void KeyPageDown(TShiftState Shift);
  void KeyHome(TShiftState Shift);
  void KeyEnd(TShiftState Shift);
  void KeyDelete(TShiftState Shift);
  void SwitchField();
  void StepLeft();
  void StepRight();
  // Ctrl+A and the undo and redo keys, after the control's own key table.
  void ShortcutKey(uint16_t Key, TShiftState Shift);
  void SelectAll();
  // Character entry: into the hex field and into the character field.
  void TypeHexDigit(char Key, int32_t Pos);
  void TypeCharacter(char Key, int32_t Pos);
  void InvalidKey();
  // A position at or beyond the end: the last byte, or the append point in insert mode.
  int32_t ClampedToData(int32_t Pos);
  // Repaints the hex cells and the character cell of Count bytes from Pos.
  void InvalidateByteCells(int32_t Pos, int32_t Count);
  // The answer to WM_GETDLGCODE: the grid's keys plus arrows, all keys, characters, and Tab
  // while WantTabs is on.
  void AnswerDialogCode(TMessage& Message);

  bool FWantTabs = true;
  // ---- end of keyboard editing fields ----

  // ---- mouse fields ----
  // The data position under a client point; false outside the data cells or past the data.
  // Leaves CaretInCharField alone.
  bool DataPosAt(int X, int Y, int32_t& Pos);
  // A Shift+press extends the selection (or starts one at the caret) to the pressed cell.
  void ExtendSelectionByPress(TMouseButton Button, TShiftState Shift, int X, int Y);
  void UpdateMouseCursor(TShiftState Shift, int X, int Y);
  bool ZoomByWheel(bool Down, TShiftState Shift);
  // Double click: selects the unit under the pointer (the extended control calls it).
  void SelectUnitAtPointer();
  // Runs an OLE drag of the selection once the pointer left the press by the drag threshold.
  // OLE dragging is not built yet: nothing happens.
  virtual void StartOleDrag() {}

  bool FPendingClick = false;
  // Where the last left press on the selection was (client pixels).
  QPoint FPressPoint;
  bool FZoomOnWheel = true;
  bool FOleDragDrop = false;
  bool FDragPending = false;
  bool FDragRunning = false;
  // Set by a double click that selected a unit, so that its release keeps the selection.
  bool FDoubleClicked = false;
  // ---- end of mouse fields ----

  // ---- undo fields ----
  // The view state a record or the redo step captures now.
  TKorHUndoViewState CaptureUndoState();
  // Puts the Unicode mode, translation, unit, insert mode and caret back as a record or the
  // redo step holds them; the callers then restore the selection, the marks and Modified.
  void RestoreUndoState(uint32_t Flags, int32_t CaretPos, uint8_t TranslationOrd, int32_t Unit);
  void RestoreUndoSelection(int32_t Start, int32_t End, int32_t Anchor, bool SeekWithoutEnd);
  std::unique_ptr<TKorHRedoBlock> BuildRedoBlock(const TKorHUndoHeader& Header);
  void UndoTopRecord();

  std::unique_ptr<TKorHUndoStorage> FUndoStorage = std::make_unique<TKorHUndoStorage>();
  // ---- end of undo fields ----

  // ---- rendering fields ----
  // Rebuilds CaretGlyph for the current cell size and CaretKind and shows the system caret.
  void CreateCaretGlyph();
  void DoEnter() override;
  void DoExit() override;
  // The CaretKind ckAuto would choose now.
  TKorHCaretKind EffectiveCaretKind() const;

  std::unique_ptr<TKorHColors> FColors = std::make_unique<TKorHColors>(this);
  TKorHCaretKind FCaretKind = ckAuto;
  bool FFocusFrame = true;
  bool FDrawGridLines = false;
  bool FDrawGutter3D = true;
  bool FShowPositionIfNotFocused = false;
  bool FHideSelection = false;
  bool FGraySelectionIfNotFocused = false;
  bool FActiveCharField = true;
  QImage FCaretGlyph;
  bool FDropMarkerVisible = false;
  TGridCoord FDropMarkerCell{-1, -1};
  // Paint's per-column layout of the visible scrolled columns, kept to avoid reallocating.
  struct TPaintColumn {
    int Col;
    int Left;
    int Width;
  };
  std::vector<TPaintColumn> FPaintColumns;
  QString FPaintText;
  // ---- end of rendering fields ----

  // ---- bookmark fields ----
  static QImage BuiltInBookmarkBitmap();
  static std::vector<QImage> CutBookmarkImages(const QImage& Strip);
  void BookmarkBitmapChanged();
  // Column 0 of the visible rows.
  void InvalidateBookmarkColumn();

  TKorHBookmark FBookmarks[BookmarkCount];
  QImage FBookmarkBitmap = BuiltInBookmarkBitmap();
  std::vector<QImage> FBookmarkImages = CutBookmarkImages(FBookmarkBitmap);
  bool FCustomBookmarkBitmap = false;
  // Set by a bookmark key so that the character the same key press delivers is not typed.
  bool FBookmarkKeyDown = false;
  // ---- end of bookmark fields ----

  TKorHTranslationKind FTranslation = tkAsIs;
  uint8_t FMaskChar = DefaultMaskChar;
  TKorHCharSet FMaskedChars = DefaultMaskedChars();
  int FSwapNibbles = 0;

  bool FInsertMode = false;
  bool FAllowInsertMode = true;
  bool FNoSizeChange = false;
  bool FNoSizeChangeSuspended = false;
  bool FReadOnlyView = false;
  bool FUndoSuspended = false;
};

}  // namespace vexa
