// The mouse: presses, drags and releases, clicks on the selection, the autoscroll filter, the
// wheel (scrolling by pages, zooming with Ctrl) and the drop marker.
//
// The grid does the basic tracking: while the left button is held after a press on a data
// cell, it moves the current cell under the pointer, and every move passes the cell check,
// which extends the selection while a gesture runs. A press outside the selection starts such
// a gesture; a press on the selection leaves the caret alone and waits: released without
// moving, it is a click that replaces the selection by the caret.

#include <QApplication>
#include <algorithm>
#include <cstdlib>

#include "hexeditor/KorHexEditor.h"

namespace vexa {

namespace {

// The keyboard part of a shift state, without the mouse buttons.
TShiftState KeysOf(TShiftState Shift) { return Shift & (TShiftState(ssShift) | ssCtrl | ssAlt); }

bool IsDataCell(const TGridCoord& c) { return c.X >= 2 && c.Y >= 2; }

}  // namespace

// ---- points and cells -----------------------------------------------------------------------

bool TCustomKorHexEditor::DataPosAt(int X, int Y, int32_t& Pos) {
  const TGridCoord cell = MouseCoord(X, Y);
  // The gap between the fields holds no byte.
  if (!IsDataCell(cell) || cell.X == FHexColumnCount + 2) return false;
  const bool field = FCaretInCharField;
  Pos = GetPosAtCell(cell.X, cell.Y);
  FCaretInCharField = field;
  return Pos < DataSize();
}

TGridCoord TCustomKorHexEditor::AdjustMouseCell(int& X, int& Y) {
  TGridCoord cell = MouseCoord(X, Y);
  if (!FInsertMode || cell.X < 0) return cell;
  const int half = FCharWidth / 2;
  const int lastCol = ColCount() - 1;
  QRect r = CellRect(cell.X, cell.Y);
  if (X >= r.left() + half && cell.X != FLastHexCol && cell.X != lastCol) {
    // The right half of a cell: the boundary after it.
    ++cell.X;
    const QRect next = CellRect(cell.X, cell.Y);
    X = next.isEmpty() ? r.right() + 1 : next.left();
    r = next.isEmpty() ? QRect(X, r.top(), 1, r.height()) : next;
  }
  // The right half of a row's last cell in a field: the start of the next row in that field.
  auto wrap = [&](int toCol) {
    if (cell.Y + 1 >= RowCount()) return;
    Y += DefaultRowHeight();
    ++cell.Y;
    cell.X = toCol;
    const QRect target = CellRect(toCol, cell.Y);
    if (!target.isEmpty()) X = target.left();
  };
  if (cell.X == lastCol && X - r.left() > half)
    wrap(FHexColumnCount + 3);
  else if (cell.X == FLastHexCol && X - r.left() > half)
    wrap(2);
  return cell;
}

// ---- press, move, release -------------------------------------------------------------------

void TCustomKorHexEditor::ExtendSelectionByPress(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // The gesture goes on from the selection's anchor: in insert mode from the boundary the
  // selection was started at, in overwrite mode from the anchor byte. Without a selection it
  // starts at the caret.
  int32_t origin = -1;
  if (SelectionLength() > 0) {
    if (!InsertMode())
      origin = FSelectionAnchor;
    else if (FSelectionOrigin == FSelectionStart || FSelectionOrigin == FSelectionEnd + 1)
      origin = FSelectionOrigin;
    else
      origin = FSelectionAnchor == FSelectionEnd && FSelectionStart != FSelectionEnd ? FSelectionEnd + 1
                                                                                   : FSelectionStart;
  }
  FSelectionOrigin = origin;
  FSelecting = true;
  TCustomGrid::MouseDown(Button, Shift, X, Y);
  FSelecting = true;
}

void TCustomKorHexEditor::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // Every press ends the gesture, not the selection.
  FSelecting = false;
  FPendingClick = false;
  FDragPending = false;
  FDoubleClicked = Shift.testFlag(ssDouble) && FDoubleClicked;
  const int rawX = X, rawY = Y;
  const TGridCoord cell = Button == mbLeft ? AdjustMouseCell(X, Y) : MouseCoord(X, Y);
  int32_t pos;
  const bool onSelection = DataPosAt(rawX, rawY, pos) && IsSelected(pos);
  const bool isDouble = Shift.testFlag(ssDouble);

  if (Button == mbLeft && KeysOf(Shift) == ssShift && IsDataCell(cell) && !isDouble) {
    ExtendSelectionByPress(Button, Shift, X, Y);
    return;
  }

  const bool skipGrid = onSelection || !IsDataCell(cell);
  if (skipGrid) {
    // The caret stays; the control still takes the focus.
    QWidget* form = window();
    if ((form == this || (form->isEnabled() && form->isVisible())) && (focusPolicy() & Qt::ClickFocus))
      setFocus(Qt::MouseFocusReason);
  } else {
    TCustomGrid::MouseDown(Button, Shift, X, Y);
  }

  if (Button == mbLeft && !onSelection && IsDataCell(cell)) {
    ResetSelection(true);
    if (!isDouble) FSelecting = true;
  }
  if (Button == mbLeft && onSelection) {
    FPressPoint = QPoint(rawX, rawY);
    FPendingClick = true;
    if (FOleDragDrop && !FSelecting) FDragPending = true;
  }
  // The grid's press handling, which fires the event, did not run.
  if (skipGrid && Focused() && OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomKorHexEditor::MouseMove(TShiftState Shift, int X, int Y) {
  const int rawX = X, rawY = Y;
  const bool left = Shift.testFlag(ssLeft);
  if (left && !Shift.testFlag(ssRight) && !Shift.testFlag(ssMiddle) && !(KeysOf(Shift) & ~TShiftState(ssShift)))
    AdjustMouseCell(X, Y);
  TCustomGrid::MouseMove(Shift, X, Y);
  if (FPendingClick && left && QPoint(rawX, rawY) != FPressPoint) FPendingClick = false;
  UpdateMouseCursor(Shift, rawX, rawY);

  if (FOleDragDrop && left && !FDragRunning && FDragPending && !FSelecting) {
    int32_t pos;
    const int threshold = QApplication::startDragDistance();
    const bool far = std::abs(rawX - FPressPoint.x()) >= threshold || std::abs(rawY - FPressPoint.y()) >= threshold;
    if (far && DataPosAt(rawX, rawY, pos) && IsSelected(pos)) {
      FDragPending = false;
      StartOleDrag();
    }
  }
}

void TCustomKorHexEditor::UpdateMouseCursor(TShiftState Shift, int X, int Y) {
  TCursor cursor = crIBeam;
  if (Shift == TShiftState()) {
    int32_t pos;
    const TGridCoord cell = MouseCoord(X, Y);
    if ((cell.X >= 0 && !IsDataCell(cell)) || (DataPosAt(X, Y, pos) && IsSelected(pos))) cursor = crArrow;
  }
  const Qt::CursorShape shape = CursorShape(cursor);
  if (viewport()->cursor().shape() != shape) viewport()->setCursor(QCursor(shape));
}

void TCustomKorHexEditor::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // The release that ends a double click keeps the unit it selected.
  if (FDoubleClicked) {
    FDoubleClicked = false;
    FPendingClick = false;
  }
  const TGridCoord cell = AdjustMouseCell(X, Y);
  TCustomGrid::MouseUp(Button, Shift, X, Y);
  if (FPendingClick) {
    FPendingClick = false;
    ResetSelection(true);
    if (IsDataCell(cell) && cell.X < ColCount() && cell.Y < RowCount()) MoveColRow(cell.X, cell.Y, true, true);
  }
  if (FDropMarkerVisible) HideDropMarker();
  FDragRunning = false;
  FDragPending = false;
}

void TCustomKorHexEditor::SelectUnitAtPointer() {
  const QPoint at = MousePos();
  int x = at.x(), y = at.y();
  const TGridCoord cell = AdjustMouseCell(x, y);
  if (!IsDataCell(cell) || cell.X == FHexColumnCount + 2 || cell.Y >= RowCount()) return;
  const bool field = FCaretInCharField;
  const int32_t pos = GetPosAtCell(cell.X, cell.Y);
  FCaretInCharField = field;
  if (pos < 0 || pos >= DataSize()) return;
  SetSelection(pos, pos);
  FDoubleClicked = true;
  FPendingClick = false;
}

// The grid scrolls toward the pointer while a drag tracks the current cell. A tick goes on
// only while there is a cell to reach: the pointer is taken into the view for that question,
// since the grid scrolls exactly when the pointer has left the view.
void TCustomKorHexEditor::TimerScroll() {
  if (GridState() != gsSelecting) {
    TCustomGrid::TimerScroll();
    return;
  }
  const QPoint at = MousePos();
  int x = std::clamp(at.x(), 0, std::max(0, viewport()->width() - 1));
  int y = std::clamp(at.y(), 0, std::max(0, viewport()->height() - 1));
  const TGridCoord cell = AdjustMouseCell(x, y);
  if (cell.X != -1 && cell.Y != -1) TCustomGrid::TimerScroll();
}

// ---- wheel ------------------------------------------------------------------------------------

bool TCustomKorHexEditor::ZoomByWheel(bool Down, TShiftState Shift) {
  if (!FZoomOnWheel) return false;
  if (Shift == ssCtrl) {
    // Unicode mode keeps an even row length.
    const int step = FUnicodeChars ? 2 : 1;
    const int value = Down ? FBytesPerRow - step : FBytesPerRow + step;
    if (value < 1 || value > 256) return false;
    SetBytesPerRow(value);
    viewport()->update();
    return true;
  }
  if (Shift == (TShiftState(ssShift) | ssCtrl)) {
    const int size = FFont->Size();
    if (Down && size <= 2) return false;
    FFont->SetSize(Down ? size - 1 : size + 1);
    return true;
  }
  return false;
}

// One notch scrolls by a page less one row; the caret cell stays.
bool TCustomKorHexEditor::DoMouseWheelDown(TShiftState Shift, QPoint MousePos) {
  if (ZoomByWheel(true, Shift)) return true;
  if (Shift != TShiftState()) return TCustomGrid::DoMouseWheelDown(Shift, MousePos);
  const int step = std::max(1, VisibleRowCount() - 1);
  SetTopRow(std::min(std::max(2, RowCount() - VisibleRowCount()), TopRow() + step));
  UpdateCaretPos();
  return true;
}

bool TCustomKorHexEditor::DoMouseWheelUp(TShiftState Shift, QPoint MousePos) {
  if (ZoomByWheel(false, Shift)) return true;
  if (Shift != TShiftState()) return TCustomGrid::DoMouseWheelUp(Shift, MousePos);
  const int step = std::max(1, VisibleRowCount() - 1);
  SetTopRow(std::max(2, TopRow() - step));
  UpdateCaretPos();
  return true;
}

// ---- drop marker --------------------------------------------------------------------------------

int32_t TCustomKorHexEditor::MoveDropMarker(int X, int Y) {
  // A point beyond the drawn cells (below a short document, right of the last column) counts
  // as the nearest cell, so that the marker goes to the end rather than to the start.
  TGridDrawInfo di;
  CalcDrawInfo(di);
  const TGridCoord raw = MouseCoord(std::clamp(X, 0, std::max(0, di.Horz.GridBoundary - 1)),
                                    std::clamp(Y, 0, std::max(0, di.Vert.GridBoundary - 1)));
  const int col = std::max(2, raw.X);
  const int row = std::max(2, std::min(raw.Y, RowCount() - 1));
  const bool field = FCaretInCharField;
  int32_t pos = std::clamp(GetPosAtCell(col, row), 0, DataSize());
  FCaretInCharField = field;
  if (IsSelected(pos)) pos = FSelectionStart;
  pos = pos / FBytesPerUnit * FBytesPerUnit;

  // One line toward the edge the pointer is at.
  if (raw.Y != -1) {
    if (raw.Y <= TopRow() && TopRow() > 2)
      SetTopRow(TopRow() - 1);
    else if (raw.Y >= TopRow() + VisibleRowCount() - 1 && raw.Y < RowCount() - 1)
      SetTopRow(TopRow() + 1);
  }
  if (raw.X != -1) {
    if (raw.X <= LeftCol() && LeftCol() > 2)
      SetLeftCol(LeftCol() - 1);
    else if (raw.X >= LeftCol() + VisibleColCount() - 1 && raw.X < ColCount() - 1)
      SetLeftCol(LeftCol() + 1);
  }

  int c, r;
  GetCellAtPos(pos, CaretInCharField(), c, r);
  SetDropMarker(true, c, r);
  return pos;
}

void TCustomKorHexEditor::HideDropMarker() {
  SetDropMarker(false, FDropMarkerCell.X, FDropMarkerCell.Y);
  viewport()->update();
}

int32_t TCustomKorHexEditor::DropPosition() const {
  if (!FDropMarkerVisible) return -1;
  auto* self = const_cast<TCustomKorHexEditor*>(this);
  const bool field = FCaretInCharField;
  const int32_t pos = self->GetPosAtCell(FDropMarkerCell.X, FDropMarkerCell.Y);
  self->FCaretInCharField = field;
  return pos / FBytesPerUnit * FBytesPerUnit;
}

}  // namespace vexa
