// Construction, lifecycle, private messages and the two change notifications.

#include "hexeditor/KorHexEditor.h"

#include <QShowEvent>

namespace vexa {

TCustomKorHexEditor::TCustomKorHexEditor(QWidget* parent)
    : TCustomGrid(parent), FDataStorage(std::make_unique<TKorHMemoryStream>()), FFont(new TFont(this)) {
  FFont->SetName(QStringLiteral("Courier New"));
  FFont->SetSize(11);
  FFont->OnChange = [this] {
    if (FWindowCreated) UpdateColumnWidths();
  };
  SetOptions(TGridOptions{goThumbTracking});
  SetDefaultDrawing(false);
  SetDefaultColWidth(0);
  SetDefaultRowHeight(0);
  SetColCount(3 * FBytesPerRow + 3);
  SetRowCount(3);
  SetFixedCols(2);
  SetFixedRows(2);
  SetRowHeights(0, 0);
  SetRowHeights(1, 0);
  setCursor(QCursor(CursorShape(crIBeam)));
}

TCustomKorHexEditor::~TCustomKorHexEditor() {
  ClearUndoStorage();
  FDataStorage->SetSize(0);
}

QString TCustomKorHexEditor::Version() const {
  return QStringLiteral("Vexa hex editor control, release of 11 December 2026, by the Vexa Hex Editor team");
}

void TCustomKorHexEditor::Loaded() { NewDocument(QStringLiteral("Untitled")); }

void TCustomKorHexEditor::CreateWnd() {
  if (FFileName == QStringLiteral("---")) NewDocument(QStringLiteral("Untitled"));
}

void TCustomKorHexEditor::showEvent(QShowEvent* event) {
  TCustomGrid::showEvent(event);
  if (FWindowCreated) return;
  FWindowCreated = true;
  Guarded([this] { CreateWnd(); });
}

void TCustomKorHexEditor::Changed() {
  if (OnChange) OnChange(this);
  SelectionChanged();
}

void TCustomKorHexEditor::SelectionChanged() {
  if (FSelectionChangedCount == 0) PostMessage(this, WM_KORH_SELECTIONCHANGED);
  ++FSelectionChangedCount;
}

void TCustomKorHexEditor::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KORH_SELECTIONCHANGED: {
      // The counter is reset before the handler runs, also when no handler is assigned, so
      // that the next change posts a new message.
      const int32_t pending = FSelectionChangedCount;
      FSelectionChangedCount = 0;
      if (pending > 0 && OnSelectionChanged) OnSelectionChanged(this);
      return;
    }
    case WM_KORH_CARETPOS:
      if (Message.WParam == 7) UpdateCaretPos();
      return;
    case WM_GETDLGCODE: AnswerDialogCode(Message); return;
    default: TCustomGrid::WndProc(Message);
  }
}

void TCustomKorHexEditor::Resize() {
  PostMessage(this, WM_KORH_CARETPOS, 7);
  TCustomGrid::Resize();
}

}  // namespace vexa
