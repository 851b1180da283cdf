#pragma once
// TCustomGrid: a grid of columns and rows on a QAbstractScrollArea, with fixed (non-scrolling)
// leading columns and rows, a current cell, mouse tracking with autoscroll, wheel and scroll
// bar scrolling by whole rows and columns, and paint through a TCanvas. Also the key and
// mouse vocabulary the grid hands to its subclasses (virtual-key codes, shift states) and the
// process-wide system caret that the grid draws.
//
// Rectangles: CellRect and BoxRect return QRects in viewport (client) coordinates with Qt's
// convention, right() = left + width - 1. A cell's rectangle covers the cell only, not the
// grid line after it. A cell that is not visible at all gives an empty QRect (isEmpty()).
//
// Sizes are stored sparsely: only widths and heights that differ from the default are kept,
// and every offset is computed arithmetically from them, so 100,000,000 rows cost nothing.

#include <QAbstractScrollArea>
#include <QFlags>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "platform/Forms.h"
#include "platform/Graphics.h"

class QKeyEvent;

namespace vexa {

// ---- keys and mouse ------------------------------------------------------------------------

// Virtual-key codes, the values Windows uses. Letters and digits are their ASCII codes
// ('A'..'Z', '0'..'9').
constexpr uint16_t VK_BACK = 0x08;
constexpr uint16_t VK_TAB = 0x09;
constexpr uint16_t VK_CLEAR = 0x0C;
constexpr uint16_t VK_RETURN = 0x0D;
constexpr uint16_t VK_SHIFT = 0x10;
constexpr uint16_t VK_CONTROL = 0x11;
constexpr uint16_t VK_MENU = 0x12;
constexpr uint16_t VK_PAUSE = 0x13;
constexpr uint16_t VK_CAPITAL = 0x14;
constexpr uint16_t VK_ESCAPE = 0x1B;
constexpr uint16_t VK_SPACE = 0x20;
constexpr uint16_t VK_PRIOR = 0x21;
constexpr uint16_t VK_NEXT = 0x22;
constexpr uint16_t VK_END = 0x23;
constexpr uint16_t VK_HOME = 0x24;
constexpr uint16_t VK_LEFT = 0x25;
constexpr uint16_t VK_UP = 0x26;
constexpr uint16_t VK_RIGHT = 0x27;
constexpr uint16_t VK_DOWN = 0x28;
constexpr uint16_t VK_SNAPSHOT = 0x2C;
constexpr uint16_t VK_INSERT = 0x2D;
constexpr uint16_t VK_DELETE = 0x2E;
constexpr uint16_t VK_LWIN = 0x5B;
constexpr uint16_t VK_APPS = 0x5D;
constexpr uint16_t VK_NUMPAD0 = 0x60;  // ..VK_NUMPAD9 = 0x69
constexpr uint16_t VK_MULTIPLY = 0x6A;
constexpr uint16_t VK_ADD = 0x6B;
constexpr uint16_t VK_SUBTRACT = 0x6D;
constexpr uint16_t VK_DECIMAL = 0x6E;
constexpr uint16_t VK_DIVIDE = 0x6F;
constexpr uint16_t VK_F1 = 0x70;
constexpr uint16_t VK_F2 = 0x71;
constexpr uint16_t VK_F3 = 0x72;
constexpr uint16_t VK_F4 = 0x73;
constexpr uint16_t VK_F5 = 0x74;
constexpr uint16_t VK_F6 = 0x75;
constexpr uint16_t VK_F7 = 0x76;
constexpr uint16_t VK_F8 = 0x77;
constexpr uint16_t VK_F9 = 0x78;
constexpr uint16_t VK_F10 = 0x79;
constexpr uint16_t VK_F11 = 0x7A;
constexpr uint16_t VK_F12 = 0x7B;
constexpr uint16_t VK_NUMLOCK = 0x90;
constexpr uint16_t VK_SCROLL = 0x91;
constexpr uint16_t VK_OEM_1 = 0xBA;       // ;:
constexpr uint16_t VK_OEM_PLUS = 0xBB;    // =+
constexpr uint16_t VK_OEM_COMMA = 0xBC;   // ,<
constexpr uint16_t VK_OEM_MINUS = 0xBD;   // -_
constexpr uint16_t VK_OEM_PERIOD = 0xBE;  // .>
constexpr uint16_t VK_OEM_2 = 0xBF;       // /?
constexpr uint16_t VK_OEM_3 = 0xC0;       // `~
constexpr uint16_t VK_OEM_4 = 0xDB;       // [{
constexpr uint16_t VK_OEM_5 = 0xDC;       // \|
constexpr uint16_t VK_OEM_6 = 0xDD;       // ]}
constexpr uint16_t VK_OEM_7 = 0xDE;       // '"

enum TShiftStateFlag {
  ssShift = 0x01,
  ssAlt = 0x02,
  ssCtrl = 0x04,
  ssLeft = 0x08,
  ssRight = 0x10,
  ssMiddle = 0x20,
  ssDouble = 0x40,
};
using TShiftState = QFlags<TShiftStateFlag>;
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// The virtual-key code of a Qt key event (0 when the key has none).
uint16_t KeyEventToVirtualKey(const QKeyEvent& event);
// The virtual-key code of a Qt key; keypad keys when keypad is true.
uint16_t QtKeyToVirtualKey(int qtKey, bool keypad);
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
// The CP1252 byte of a UTF-16 unit; false when CP1252 has no such character.
bool UnicodeToAnsiChar(char16_t ch, uint8_t& out);

// Whether a key (VK_SHIFT, VK_CONTROL, VK_MENU) or a mouse button is down now, as far as the
// input events seen by the program tell.
bool IsKeyDown(int vk);
bool IsMouseButtonDown(TMouseButton button);

// Window message numbers the grid itself handles in WndProc.
constexpr uint32_t WM_GETDLGCODE = 0x0087;
constexpr uint32_t WM_TIMER = 0x0113;
// WM_GETDLGCODE answers: the keys a control wants for itself.
constexpr intptr_t DLGC_WANTARROWS = 0x0001;
constexpr intptr_t DLGC_WANTTAB = 0x0002;
constexpr intptr_t DLGC_WANTALLKEYS = 0x0004;
constexpr intptr_t DLGC_WANTCHARS = 0x0080;

// ---- the system caret ------------------------------------------------------------------------
// One caret per process. Its owner is the widget it is drawn on: a TCustomGrid (the caret is
// drawn on its viewport, in viewport coordinates) draws it itself after Paint. The caret
// inverts what lies under it: with a glyph, the glyph's white pixels invert and its black
// pixels leave the picture alone; without one (a null image), the whole w x h block inverts.
// A new caret is hidden; ShowCaret and HideCaret nest like the Windows calls (shown when every
// HideCaret has been matched). It blinks at the platform's cursor flash time.

bool CreateCaret(QWidget* owner, const QImage& glyph, int width, int height);
bool DestroyCaret();
bool SetCaretPos(int x, int y);
QPoint GetCaretPos();
bool ShowCaret(QWidget* owner);
bool HideCaret(QWidget* owner);
// The caret as it stands: owner (null when none), rectangle, whether it is shown (ignoring the
// blink phase).
QWidget* CaretOwner();
QRect CaretRect();
bool CaretVisible();
// Draws the caret on a painter of its owner, when it is shown and in its "on" blink phase.
// TCustomGrid calls it itself; other owners call it at the end of their paint.
void PaintCaret(QWidget* owner, QPainter& painter);

// ---- grid types -------------------------------------------------------------------------------

enum TGridOption {
  goFixedVertLine = 0x0001,
  goFixedHorzLine = 0x0002,
  goVertLine = 0x0004,
  goHorzLine = 0x0008,
  goRangeSelect = 0x0010,
  goDrawFocusSelected = 0x0020,
  goRowSizing = 0x0040,
  goColSizing = 0x0080,
  goRowMoving = 0x0100,
  goColMoving = 0x0200,
  goEditing = 0x0400,
  goTabs = 0x0800,
  goRowSelect = 0x1000,
  goAlwaysShowEditor = 0x2000,
  goThumbTracking = 0x4000,
};
using TGridOptions = QFlags<TGridOption>;
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

enum TGridDrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
using TGridDrawState = QFlags<TGridDrawStateFlag>;
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

enum TGridState { gsNormal, gsSelecting };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

struct TGridCoord {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// Drawing information along one axis (Horz: columns and x, Vert: rows and y). Boundaries are
// pixel coordinates one past the last pixel (exclusive).
struct TGridAxisDrawInfo {
  int EffectiveLineWidth = 0;   // width of the grid line after each shown cell (0 without lines)
  int FixedBoundary = 0;        // end of the fixed cells
  int GridBoundary = 0;         // end of the last visible cell, at most GridExtent
  int GridExtent = 0;           // client width or height
  int LastVisibleCell = -1;     // last cell at least partly visible
  int LastFullVisibleCell = -1; // last cell entirely visible (FirstGridCell - 1 when none)
  int FullVisBoundary = 0;      // end of LastFullVisibleCell
  int FixedCellCount = 0;
  int FirstGridCell = 0;        // LeftCol or TopRow
  int GridCellCount = 0;        // ColCount or RowCount
};

struct TGridDrawInfo {
  TGridAxisDrawInfo Horz;
  TGridAxisDrawInfo Vert;
};

// One axis of the grid: a count of cells with a default size and a sparse set of sizes that
// differ from it, plus the width of the grid line after each shown cell. A cell of size 0 is
// hidden and takes no room, not even for its line. Every query costs O(log n) at most.
class TGridAxis {
public:
  int Count() const { return FCount; }
  void SetCount(int count);
  int DefaultSize() const { return FDefault; }
  // Setting the default discards every individual size.
  void SetDefaultSize(int size);
  int Size(int index) const;
  void SetSize(int index, int size);
  int LineWidth() const { return FLineWidth; }
  void SetLineWidth(int width);
  // Room taken by a cell: its size plus the line after it (0 for a hidden cell).
  int Extent(int index) const;
  // Total room of cells [from, to).
  int64_t Span(int from, int to) const;
  // The cell in [from, to) under pixel offset px measured from the start of cell `from`
  // (the line after a cell belongs to that cell); -1 when there is none.
  int CellAt(int from, int to, int64_t px) const;
  // The last cell c in [from - 1, to - 1] such that cells [from, c] fit into `room` pixels.
  int LastFitting(int from, int to, int64_t room) const;
  // The first cell t in [lo, end] such that cells [t, end) fit into `room`; when even the
  // last cell does not fit, end - 1 (and lo when the range is empty).
  int FirstFittingStart(int lo, int end, int64_t room) const;
  // Number of individually sized cells kept.
  int StoredSizes() const { return static_cast<int>(FSizes.size()); }

private:
  int64_t Position(int index) const;  // Span(0, index)
  void Rebuild() const;

  int FCount = 0;
  int FDefault = 0;
  int FLineWidth = 0;
  std::map<int, int> FSizes;
  // Sorted individual sizes with the running sum of (extent - default extent) before each.
  mutable std::vector<int> FKeys;
  mutable std::vector<int64_t> FDeltaBefore;
  mutable bool FValid = true;
};

// Platform events of the grid (Sender is the grid).
using TKeyEvent = std::function<void(QObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(QObject* Sender, char& Key)>;
using TMouseEvent = std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;
using TSenderEvent = std::function<void(QObject* Sender)>;

class TCustomGrid : public QAbstractScrollArea {
  Q_OBJECT

public:
  explicit TCustomGrid(QWidget* parent = nullptr);
  ~TCustomGrid() override;

  // ---- layout ----
  int ColCount() const { return FHorz.Count(); }
  void SetColCount(int value);
  int RowCount() const { return FVert.Count(); }
  void SetRowCount(int value);
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int value);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int value);
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int RowHeights(int row) const;
  void SetRowHeights(int row, int height);
  int DefaultColWidth() const { return FHorz.DefaultSize(); }
  void SetDefaultColWidth(int value);
  int DefaultRowHeight() const { return FVert.DefaultSize(); }
  void SetDefaultRowHeight(int value);
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int value);
  const TGridAxis& Columns() const { return FHorz; }
  const TGridAxis& Rows() const { return FVert; }

  // ---- current cell ----
  int Col() const { return FCurrent.X; }
  int Row() const { return FCurrent.Y; }
  void SetCol(int value);
  void SetRow(int value);
  // Makes (ACol, ARow) the current cell once SelectCell agrees; with MoveAnchor the
  // selection anchor follows it, with Show the cell is scrolled into view.
  // Raises Exception "Grid index out of range" for a cell outside the grid.
  void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
  TGridCoord Anchor() const { return FAnchor; }
  TGridRect Selection() const;

  // ---- geometry ----
  TGridCoord MouseCoord(int X, int Y) const;
  QRect CellRect(int ACol, int ARow) const;
  QRect BoxRect(int ALeft, int ATop, int ARight, int ABottom) const;
  void CalcDrawInfo(TGridDrawInfo& info) const;

  // ---- scrolling ----
  int TopRow() const { return FTopLeft.Y; }
  void SetTopRow(int value);
  int LeftCol() const { return FTopLeft.X; }
  void SetLeftCol(int value);
  int VisibleRowCount() const;
  int VisibleColCount() const;
  // Largest TopRow / LeftCol: the one that shows the last row / column entirely.
  int MaxTopRow() const;
  int MaxLeftCol() const;
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);

  // ---- invalidation ----
  void InvalidateCell(int ACol, int ARow);
  void InvalidateRow(int ARow);
  void InvalidateCol(int ACol);
  void InvalidateGrid();

  // ---- options and look ----
  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions value);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor value);
  bool Focused() const;
  TGridState GridState() const { return FGridState; }
  // The last pointer position seen, in viewport coordinates.
  QPoint MousePos() const { return FMousePos; }
  // The autoscroll timer (running while a drag tracks the current cell).
  bool AutoScrollActive() const { return FAutoScrollTimer.isActive(); }
  // Interval of the autoscroll timer in milliseconds.
  static constexpr int AutoScrollInterval = 60;

  // ---- platform events ----
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TSenderEvent OnDblClick;
  TSenderEvent OnEnter;
  TSenderEvent OnExit;
  TSenderEvent OnTopLeftChanged;

protected:
  // Asked before the current cell moves; false refuses the move.
  virtual bool SelectCell(int ACol, int ARow);
  // After TopRow or LeftCol changed. The default fires OnTopLeftChanged.
  virtual void TopLeftChanged();
  // Draws the grid with Canvas() active on the viewport; UpdateRect() is the part to redraw.
  // The default fills cells and calls DrawCell for each visible cell in the update rect.
  virtual void Paint();
  virtual void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState);
  // Keys: virtual-key code and shift state. The default fires OnKeyDown and then moves the
  // current cell with the arrow, page, Home and End keys.
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  // A typed character as its CP1252 byte, after KeyDown of the same key (also when KeyDown
  // cleared the key, as character messages follow key messages). Control characters
  // (Backspace 8, Return 13, Ctrl+letter 1..26) come too; Delete and Alt combinations bring
  // none, and a character CP1252 cannot hold is not delivered. The default fires OnKeyPress.
  virtual void KeyPress(char& Key);
  // Mouse, in viewport coordinates. The default press handling focuses the grid and, for the
  // left button on a scrolled cell, moves the current cell there and starts tracking; move
  // and release follow the pointer while tracking. Each then fires its event.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void DblClick();
  // Wheel: WheelDelta in 1/120 notches as Qt reports them, MousePos in viewport coordinates.
  // DoMouseWheel calls DoMouseWheelDown / DoMouseWheelUp once per notch; the grid's own
  // versions scroll by the platform's wheel scroll lines and return true.
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, QPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, QPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, QPoint MousePos);
  virtual void DoEnter();
  virtual void DoExit();
  virtual void Resize();
  // Private messages and the grid's own messages (WM_TIMER for autoscroll, WM_GETDLGCODE).
  virtual void WndProc(TMessage& Message);
  // One autoscroll step toward the pointer when it is outside the scrolled area.
  virtual void TimerScroll();

  TCanvas* Canvas() { return &FCanvas; }
  // The rectangle being repainted during Paint (viewport coordinates).
  QRect UpdateRect() const { return FUpdateRect; }
  void SetGridState(TGridState s) { FGridState = s; }
  void StopTracking();
  // Scrolls minimally so that the cell is entirely shown (as far as it fits).
  void ClampInView(int ACol, int ARow);
  int WheelScrollLines() const;

  // Qt glue.
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  bool focusNextPrevChild(bool next) override;
  void scrollContentsBy(int dx, int dy) override;

private:
  void LayoutChanged();
  void UpdateScrollBars();
  void MoveTopLeft(int ALeft, int ATop);
  void CheckCell(int ACol, int ARow) const;
  void ClampCurrent();
  void UpdateLineWidths();
  int ScrolledRoomX() const;
  int ScrolledRoomY() const;
  void CalcAxis(const TGridAxis& axis, int fixed, int first, int extent, TGridAxisDrawInfo& out) const;
  void OnScrollBarValue(Qt::Orientation o, int value);
  void DeliverKeyPress(QKeyEvent* e);
  void TrackTo(int X, int Y);
  bool AxisCell(const TGridAxis& axis, int fixed, int first, int extent, int index, int& start, int& size) const;
  bool AxisBox(const TGridAxis& axis, int fixed, int first, int extent, int lo, int hi, int& start, int& end) const;
  int AxisCoord(const TGridAxis& axis, int fixed, int first, int extent, int px) const;

  TGridAxis FHorz;
  TGridAxis FVert;
  int FFixedCols = 1;
  int FFixedRows = 1;
  int FGridLineWidth = 1;
  TGridCoord FCurrent{1, 1};
  TGridCoord FAnchor{1, 1};
  TGridCoord FTopLeft{1, 1};
  TGridOptions FOptions = TGridOptions(goFixedVertLine) | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  bool FDefaultDrawing = true;
  TColor FColor = clWindow;
  TColor FFixedColor = clBtnFace;
  TScrollStyle FScrollBars = ssBoth;
  TGridState FGridState = gsNormal;
  TCanvas FCanvas;
  QRect FUpdateRect;
  QPoint FMousePos;
  QTimer FAutoScrollTimer;
  int FWheelAccumulator = 0;
  int FWheelAccumulatorX = 0;
  bool FUpdatingScrollBars = false;
  QSize FLastViewportSize;
};

}  // namespace vexa
