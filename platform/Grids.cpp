#include "platform/Grids.h"

#include <QApplication>
#include <QBitmap>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyleHints>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <bitset>
#include <climits>
#include <iconv.h>

#include "platform/SysUtils.h"

namespace vexa {

namespace {

const QString kIndexOutOfRange = QStringLiteral("Grid index out of range");

int ClampInt64(int64_t v) {
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

// ---- input state -----------------------------------------------------------------------------

Qt::KeyboardModifiers gModifiers;
Qt::MouseButtons gButtons;
std::bitset<256> gKeysDown;

void NoteKey(const QKeyEvent& e, bool down) {
  Qt::KeyboardModifiers mods = e.modifiers();
  // The event of a modifier key itself carries the state before it; the key is down after a
  // press and up after a release.
  auto adjust = [&](int key, Qt::KeyboardModifier flag) {
    if (e.key() == key) mods = down ? (mods | flag) : (mods & ~Qt::KeyboardModifiers(flag));
  };
  adjust(Qt::Key_Shift, Qt::ShiftModifier);
  adjust(Qt::Key_Control, Qt::ControlModifier);
  adjust(Qt::Key_Alt, Qt::AltModifier);
  gModifiers = mods;
  const uint16_t vk = KeyEventToVirtualKey(e);
  if (vk) gKeysDown[vk] = down;
}

void NoteMouse(const QMouseEvent& e) {
  gModifiers = e.modifiers();
  gButtons = e.buttons();
}

// Follows key and mouse state through every event of the application, so that IsKeyDown and
// IsMouseButtonDown also know about presses and releases that went to other widgets.
class InputTracker : public QObject {
public:
  bool eventFilter(QObject*, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* k = static_cast<QKeyEvent*>(e);
        if (!(e->type() == QEvent::KeyRelease && k->isAutoRepeat())) NoteKey(*k, e->type() == QEvent::KeyPress);
        break;
      }
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
        NoteMouse(*static_cast<QMouseEvent*>(e));
        break;
      case QEvent::ApplicationDeactivate:
        // Whatever is pressed from now on goes to another program.
        gModifiers = Qt::NoModifier;
        gButtons = Qt::NoButton;
        gKeysDown.reset();
        break;
      default:
        break;
    }
    return false;
  }
};

void InstallInputTracker() {
  static QPointer<InputTracker> tracker;
  if (tracker || !QCoreApplication::instance()) return;
  tracker = new InputTracker;
  tracker->setParent(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(tracker);
}

// ---- CP1252 -----------------------------------------------------------------------------------

// CP1252 byte -> UTF-16 unit, built once from iconv; 0xFFFF for bytes iconv leaves undefined.
const std::array<char16_t, 256>& AnsiToUnicodeTable() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = i < 0x80 ? static_cast<char16_t>(i) : 0xFFFF;
    iconv_t cd = iconv_open("UTF-16LE", "CP1252");
    if (cd == reinterpret_cast<iconv_t>(-1)) return t;
    for (int i = 0x80; i < 256; ++i) {
      char in = static_cast<char>(i);
      char out[4] = {};
      char* inp = &in;
      char* outp = out;
      size_t inLeft = 1, outLeft = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1) && outLeft == 2)
        t[i] = static_cast<char16_t>(static_cast<uint8_t>(out[0]) | (static_cast<uint8_t>(out[1]) << 8));
    }
    iconv_close(cd);
    return t;
  }();
  return table;
}

// ---- the system caret ---------------------------------------------------------------------------

struct CaretData {
  QPointer<QWidget> owner;
  QRegion shape;  // inverted pixels, relative to the caret's top-left corner
  QSize size;
  QPoint pos;
  int hideCount = 1;
  bool phaseOn = true;
  QPointer<QTimer> timer;
  QMetaObject::Connection ownerGone;
};

CaretData& Caret() {
  static CaretData data;
  return data;
}

QWidget* CaretSurface(QWidget* owner) {
  if (auto* area = qobject_cast<QAbstractScrollArea*>(owner)) return area->viewport();
  return owner;
}

void InvalidateCaret() {
  CaretData& c = Caret();
  if (!c.owner) return;
  if (QWidget* s = CaretSurface(c.owner)) s->update(QRect(c.pos, c.size));
}

void RestartBlink() {
  CaretData& c = Caret();
  c.phaseOn = true;
  if (!c.timer) return;
  const int flash = QGuiApplication::styleHints()->cursorFlashTime();
  if (c.owner && c.hideCount == 0 && flash > 0) {
    c.timer->start(flash / 2);
  } else {
    c.timer->stop();
  }
}

QTimer* CaretTimer() {
  CaretData& c = Caret();
  if (!c.timer && QCoreApplication::instance()) {
    c.timer = new QTimer(QCoreApplication::instance());
    QObject::connect(c.timer, &QTimer::timeout, [] {
      CaretData& d = Caret();
      d.phaseOn = !d.phaseOn;
      InvalidateCaret();
    });
  }
  return c.timer;
}

}  // namespace

bool UnicodeToAnsiChar(char16_t ch, uint8_t& out) {
  if (ch < 0x80) {
    out = static_cast<uint8_t>(ch);
    return true;
  }
  const auto& t = AnsiToUnicodeTable();
  for (int i = 0x80; i < 256; ++i) {
    if (t[i] == ch) {
      out = static_cast<uint8_t>(i);
      return true;
    }
  }
  return false;
}

bool IsKeyDown(int vk) {
  switch (vk) {
    case VK_SHIFT: return gModifiers.testFlag(Qt::ShiftModifier);
    case VK_CONTROL: return gModifiers.testFlag(Qt::ControlModifier);
    case VK_MENU: return gModifiers.testFlag(Qt::AltModifier);
    default: return vk >= 0 && vk < 256 && gKeysDown[vk];
  }
}

bool IsMouseButtonDown(TMouseButton button) {
  switch (button) {
    case mbLeft: return gButtons.testFlag(Qt::LeftButton);
    case mbRight: return gButtons.testFlag(Qt::RightButton);
    case mbMiddle: return gButtons.testFlag(Qt::MiddleButton);
  }
  return false;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers m, Qt::MouseButtons b) {
  TShiftState s;
  if (m & Qt::ShiftModifier) s |= ssShift;
  if (m & Qt::ControlModifier) s |= ssCtrl;
  if (m & Qt::AltModifier) s |= ssAlt;
  if (b & Qt::LeftButton) s |= ssLeft;
  if (b & Qt::RightButton) s |= ssRight;
  if (b & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

uint16_t QtKeyToVirtualKey(int k, bool keypad) {
  if (keypad) {
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<uint16_t>(VK_NUMPAD0 + (k - Qt::Key_0));
    switch (k) {
      case Qt::Key_Asterisk: return VK_MULTIPLY;
      case Qt::Key_Plus: return VK_ADD;
      case Qt::Key_Minus: return VK_SUBTRACT;
      case Qt::Key_Period:
      case Qt::Key_Comma: return VK_DECIMAL;
      case Qt::Key_Slash: return VK_DIVIDE;
      default: break;
    }
  }
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<uint16_t>('A' + (k - Qt::Key_A));
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<uint16_t>('0' + (k - Qt::Key_0));
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return static_cast<uint16_t>(VK_F1 + (k - Qt::Key_F1));
  switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Clear: return VK_CLEAR;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Print: return VK_SNAPSHOT;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Meta:
    case Qt::Key_Super_L: return VK_LWIN;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    // Punctuation keys of the US layout, shifted or not.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Slash:
    case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return VK_OEM_7;
    // Shifted digits of the US layout.
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    default: return 0;
  }
}

uint16_t KeyEventToVirtualKey(const QKeyEvent& e) {
  return QtKeyToVirtualKey(e.key(), e.modifiers().testFlag(Qt::KeypadModifier));
}

// ---- caret API --------------------------------------------------------------------------------------

bool CreateCaret(QWidget* owner, const QImage& glyph, int width, int height) {
  if (!owner) return false;
  DestroyCaret();
  CaretData& c = Caret();
  if (!glyph.isNull()) {
    width = glyph.width();
    height = glyph.height();
    // White pixels of the glyph invert; black ones leave the picture alone.
    const QImage mono = glyph.convertToFormat(QImage::Format_RGB32);
    QRegion shape;
    for (int y = 0; y < mono.height(); ++y) {
      const QRgb* line = reinterpret_cast<const QRgb*>(mono.constScanLine(y));
      int runStart = -1;
      for (int x = 0; x <= mono.width(); ++x) {
        const bool on = x < mono.width() && qGray(line[x]) >= 128;
        if (on && runStart < 0) runStart = x;
        if (!on && runStart >= 0) {
          shape += QRect(runStart, y, x - runStart, 1);
          runStart = -1;
        }
      }
    }
    c.shape = shape;
  } else {
    c.shape = QRegion(0, 0, std::max(0, width), std::max(0, height));
  }
  c.size = QSize(std::max(0, width), std::max(0, height));
  c.owner = owner;
  c.hideCount = 1;
  c.phaseOn = true;
  if (QTimer* t = CaretTimer()) {
    c.ownerGone = QObject::connect(owner, &QObject::destroyed, t, [] {
      CaretData& d = Caret();
      d.owner = nullptr;
      if (d.timer) d.timer->stop();
    });
  }
  return true;
}

bool DestroyCaret() {
  CaretData& c = Caret();
  if (!c.owner) return false;
  InvalidateCaret();
  QObject::disconnect(c.ownerGone);
  c.owner = nullptr;
  c.shape = QRegion();
  c.size = QSize();
  c.hideCount = 1;
  if (c.timer) c.timer->stop();
  return true;
}

bool SetCaretPos(int x, int y) {
  CaretData& c = Caret();
  if (!c.owner) return false;
  if (c.pos == QPoint(x, y)) return true;
  InvalidateCaret();
  c.pos = QPoint(x, y);
  RestartBlink();
  InvalidateCaret();
  return true;
}

QPoint GetCaretPos() { return Caret().pos; }

bool ShowCaret(QWidget* owner) {
  CaretData& c = Caret();
  if (!c.owner || (owner && owner != c.owner)) return false;
  if (c.hideCount == 0) return true;
  if (--c.hideCount == 0) {
    RestartBlink();
    InvalidateCaret();
  }
  return true;
}

bool HideCaret(QWidget* owner) {
  CaretData& c = Caret();
  if (!c.owner || (owner && owner != c.owner)) return false;
  if (c.hideCount++ == 0) {
    if (c.timer) c.timer->stop();
    InvalidateCaret();
  }
  return true;
}

QWidget* CaretOwner() { return Caret().owner; }
QRect CaretRect() { return Caret().owner ? QRect(Caret().pos, Caret().size) : QRect(); }
bool CaretVisible() { return Caret().owner && Caret().hideCount == 0; }

void PaintCaret(QWidget* owner, QPainter& painter) {
  CaretData& c = Caret();
  if (!c.owner || c.owner != owner || c.hideCount != 0 || !c.phaseOn || c.shape.isEmpty()) return;
  painter.save();
  painter.setClipRegion(c.shape.translated(c.pos), Qt::IntersectClip);
  painter.setCompositionMode(QPainter::RasterOp_NotDestination);
  painter.fillRect(QRect(c.pos, c.size), Qt::black);
  painter.restore();
}

// ---- TGridAxis ------------------------------------------------------------------------------------------

void TGridAxis::SetCount(int count) {
  count = std::max(0, count);
  if (count == FCount) return;
  if (count < FCount) {
    FSizes.erase(FSizes.lower_bound(count), FSizes.end());
    FValid = false;
  }
  FCount = count;
}

void TGridAxis::SetDefaultSize(int size) {
  size = std::max(0, size);
  FDefault = size;
  FSizes.clear();
  FValid = false;
}

int TGridAxis::Size(int index) const {
  auto it = FSizes.find(index);
  return it == FSizes.end() ? FDefault : it->second;
}

void TGridAxis::SetSize(int index, int size) {
  size = std::max(0, size);
  if (index < 0 || index >= FCount) return;
  if (size == FDefault) {
    if (FSizes.erase(index)) FValid = false;
    return;
  }
  auto [it, inserted] = FSizes.try_emplace(index, size);
  if (!inserted) {
    if (it->second == size) return;
    it->second = size;
  }
  FValid = false;
}

void TGridAxis::SetLineWidth(int width) {
  width = std::max(0, width);
  if (width == FLineWidth) return;
  FLineWidth = width;
  FValid = false;
}

int TGridAxis::Extent(int index) const {
  const int s = Size(index);
  return s > 0 ? s + FLineWidth : 0;
}

void TGridAxis::Rebuild() const {
  FKeys.clear();
  FDeltaBefore.assign(1, 0);
  const int64_t defExtent = FDefault > 0 ? FDefault + FLineWidth : 0;
  for (const auto& [index, size] : FSizes) {
    const int64_t ext = size > 0 ? size + FLineWidth : 0;
    FKeys.push_back(index);
    FDeltaBefore.push_back(FDeltaBefore.back() + (ext - defExtent));
  }
  FValid = true;
}

int64_t TGridAxis::Position(int index) const {
  if (!FValid) Rebuild();
  index = std::clamp(index, 0, FCount);
  const int64_t defExtent = FDefault > 0 ? FDefault + FLineWidth : 0;
  const auto n = std::lower_bound(FKeys.begin(), FKeys.end(), index) - FKeys.begin();
  return static_cast<int64_t>(index) * defExtent + FDeltaBefore[static_cast<size_t>(n)];
}

int64_t TGridAxis::Span(int from, int to) const {
  if (to <= from) return 0;
  return Position(to) - Position(from);
}

int TGridAxis::CellAt(int from, int to, int64_t px) const {
  from = std::max(0, from);
  to = std::min(to, FCount);
  if (px < 0 || from >= to) return -1;
  const int64_t base = Position(from);
  if (px >= Position(to) - base) return -1;
  // Largest c in [from, to) whose start lies at or before px.
  int lo = from, hi = to - 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo + 1) / 2;
    if (Position(mid) - base <= px) lo = mid; else hi = mid - 1;
  }
  return lo;
}

int TGridAxis::LastFitting(int from, int to, int64_t room) const {
  from = std::max(0, from);
  to = std::min(to, FCount);
  if (from >= to) return from - 1;
  const int64_t base = Position(from);
  // Largest c in [from - 1, to - 1] with cells [from, c] inside room.
  int lo = from - 1, hi = to - 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo + 1) / 2;
    if (Position(mid + 1) - base <= room) lo = mid; else hi = mid - 1;
  }
  return lo;
}

int TGridAxis::FirstFittingStart(int lo, int end, int64_t room) const {
  end = std::min(end, FCount);
  if (end <= lo) return lo;
  const int64_t endPos = Position(end);
  // Smallest t in [lo, end] with cells [t, end) inside room.
  int a = lo, b = end;
  while (a < b) {
    const int mid = a + (b - a) / 2;
    if (endPos - Position(mid) <= room) b = mid; else a = mid + 1;
  }
  return a == end ? end - 1 : a;
}

// ---- TCustomGrid ------------------------------------------------------------------------------------------

TCustomGrid::TCustomGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  InstallInputTracker();
  FHorz.SetCount(5);
  FVert.SetCount(5);
  FHorz.SetDefaultSize(64);
  FVert.SetDefaultSize(24);
  UpdateLineWidths();
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  SetColor(clWindow);
  FAutoScrollTimer.setInterval(AutoScrollInterval);
  connect(&FAutoScrollTimer, &QTimer::timeout, this, [this] {
    Guarded([this] {
      TMessage m;
      m.Msg = WM_TIMER;
      m.WParam = 1;
      WndProc(m);
    });
  });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
          [this](int v) { Guarded([&] { OnScrollBarValue(Qt::Vertical, v); }); });
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
          [this](int v) { Guarded([&] { OnScrollBarValue(Qt::Horizontal, v); }); });
  UpdateScrollBars();
}

TCustomGrid::~TCustomGrid() {
  if (CaretOwner() == this) DestroyCaret();
}

// ---- layout ----

void TCustomGrid::UpdateLineWidths() {
  FHorz.SetLineWidth(FOptions & (goFixedVertLine | goVertLine) ? FGridLineWidth : 0);
  FVert.SetLineWidth(FOptions & (goFixedHorzLine | goHorzLine) ? FGridLineWidth : 0);
}

void TCustomGrid::SetColCount(int value) {
  value = std::max(1, value);
  if (value == ColCount()) return;
  if (FFixedCols >= value) FFixedCols = value - 1;
  FHorz.SetCount(value);
  LayoutChanged();
}

void TCustomGrid::SetRowCount(int value) {
  value = std::max(1, value);
  if (value == RowCount()) return;
  if (FFixedRows >= value) FFixedRows = value - 1;
  FVert.SetCount(value);
  LayoutChanged();
}

void TCustomGrid::SetFixedCols(int value) {
  if (value < 0) throw Exception(kIndexOutOfRange);
  if (value >= ColCount()) throw Exception(QStringLiteral("Fixed column count must be less than column count"));
  if (value == FFixedCols) return;
  FFixedCols = value;
  LayoutChanged();
}

void TCustomGrid::SetFixedRows(int value) {
  if (value < 0) throw Exception(kIndexOutOfRange);
  if (value >= RowCount()) throw Exception(QStringLiteral("Fixed row count must be less than row count"));
  if (value == FFixedRows) return;
  FFixedRows = value;
  LayoutChanged();
}

int TCustomGrid::ColWidths(int col) const {
  if (col < 0 || col >= ColCount()) throw Exception(kIndexOutOfRange);
  return FHorz.Size(col);
}

void TCustomGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= ColCount()) throw Exception(kIndexOutOfRange);
  width = std::max(0, width);
  if (FHorz.Size(col) == width) return;
  FHorz.SetSize(col, width);
  LayoutChanged();
}

int TCustomGrid::RowHeights(int row) const {
  if (row < 0 || row >= RowCount()) throw Exception(kIndexOutOfRange);
  return FVert.Size(row);
}

void TCustomGrid::SetRowHeights(int row, int height) {
  if (row < 0 || row >= RowCount()) throw Exception(kIndexOutOfRange);
  height = std::max(0, height);
  if (FVert.Size(row) == height) return;
  FVert.SetSize(row, height);
  LayoutChanged();
}

void TCustomGrid::SetDefaultColWidth(int value) {
  value = std::max(0, value);
  if (value == DefaultColWidth() && FHorz.StoredSizes() == 0) return;
  FHorz.SetDefaultSize(value);
  LayoutChanged();
}

void TCustomGrid::SetDefaultRowHeight(int value) {
  value = std::max(0, value);
  if (value == DefaultRowHeight() && FVert.StoredSizes() == 0) return;
  FVert.SetDefaultSize(value);
  LayoutChanged();
}

void TCustomGrid::SetGridLineWidth(int value) {
  value = std::max(0, value);
  if (value == FGridLineWidth) return;
  FGridLineWidth = value;
  UpdateLineWidths();
  LayoutChanged();
}

void TCustomGrid::SetOptions(TGridOptions value) {
  if (value == FOptions) return;
  FOptions = value;
  UpdateLineWidths();
  LayoutChanged();
}

void TCustomGrid::SetDefaultDrawing(bool value) {
  if (value == FDefaultDrawing) return;
  FDefaultDrawing = value;
  InvalidateGrid();
}

void TCustomGrid::SetColor(TColor value) {
  FColor = value;
  QPalette pal = viewport()->palette();
  pal.setColor(QPalette::Base, ColorToQColor(value));
  pal.setColor(QPalette::Window, ColorToQColor(value));
  viewport()->setPalette(pal);
  InvalidateGrid();
}

void TCustomGrid::SetFixedColor(TColor value) {
  if (value == FFixedColor) return;
  FFixedColor = value;
  InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollStyle value) {
  if (value == FScrollBars) return;
  FScrollBars = value;
  UpdateScrollBars();
}

bool TCustomGrid::Focused() const { return hasFocus(); }

void TCustomGrid::ClampCurrent() {
  auto clampCoord = [&](TGridCoord& c) {
    c.X = std::clamp(c.X, FFixedCols, ColCount() - 1);
    c.Y = std::clamp(c.Y, FFixedRows, RowCount() - 1);
  };
  clampCoord(FCurrent);
  clampCoord(FAnchor);
}

void TCustomGrid::LayoutChanged() {
  ClampCurrent();
  MoveTopLeft(FTopLeft.X, FTopLeft.Y);
  UpdateScrollBars();
  InvalidateGrid();
}

// ---- geometry ----

int TCustomGrid::ScrolledRoomX() const {
  return ClampInt64(viewport()->width() - FHorz.Span(0, FFixedCols));
}

int TCustomGrid::ScrolledRoomY() const {
  return ClampInt64(viewport()->height() - FVert.Span(0, FFixedRows));
}

void TCustomGrid::CalcAxis(const TGridAxis& axis, int fixed, int first, int extent, TGridAxisDrawInfo& out) const {
  const int count = axis.Count();
  out.EffectiveLineWidth = axis.LineWidth();
  out.FixedCellCount = fixed;
  out.FirstGridCell = first;
  out.GridCellCount = count;
  out.GridExtent = extent;
  const int64_t fb = axis.Span(0, fixed);
  out.FixedBoundary = ClampInt64(fb);
  const int64_t room = extent - fb;
  if (room <= 0 || first >= count) {
    out.LastVisibleCell = first - 1;
    out.LastFullVisibleCell = first - 1;
    out.GridBoundary = ClampInt64(std::min<int64_t>(fb, extent));
    out.FullVisBoundary = out.GridBoundary;
    return;
  }
  const int64_t total = axis.Span(first, count);
  out.LastVisibleCell = total <= room ? count - 1 : axis.CellAt(first, count, room - 1);
  out.LastFullVisibleCell = axis.LastFitting(first, count, room);
  out.GridBoundary = ClampInt64(std::min<int64_t>(extent, fb + total));
  out.FullVisBoundary = ClampInt64(fb + axis.Span(first, out.LastFullVisibleCell + 1));
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& info) const {
  CalcAxis(FHorz, FFixedCols, FTopLeft.X, viewport()->width(), info.Horz);
  CalcAxis(FVert, FFixedRows, FTopLeft.Y, viewport()->height(), info.Vert);
}

bool TCustomGrid::AxisCell(const TGridAxis& axis, int fixed, int first, int extent, int index, int& start,
                           int& size) const {
  if (index < 0 || index >= axis.Count()) return false;
  int64_t pos;
  if (index < fixed) {
    pos = axis.Span(0, index);
  } else if (index >= first) {
    pos = axis.Span(0, fixed) + axis.Span(first, index);
  } else {
    return false;
  }
  size = axis.Size(index);
  if (size <= 0 || pos >= extent) return false;
  start = static_cast<int>(pos);
  return true;
}

bool TCustomGrid::AxisBox(const TGridAxis& axis, int fixed, int first, int extent, int lo, int hi, int& start,
                          int& end) const {
  if (lo > hi) std::swap(lo, hi);
  lo = std::max(lo, 0);
  hi = std::min(hi, axis.Count() - 1);
  if (lo > hi) return false;
  bool any = false;
  int64_t s = 0, e = 0;
  // Part among the fixed cells.
  const int flo = lo, fhi = std::min(hi, fixed - 1);
  if (flo <= fhi) {
    s = axis.Span(0, flo);
    e = axis.Span(0, fhi) + axis.Size(fhi);
    any = true;
  }
  // Part among the scrolled cells.
  const int slo = std::max(lo, first), shi = hi;
  if (slo <= shi) {
    const int64_t fb = axis.Span(0, fixed);
    const int64_t ss = fb + axis.Span(first, slo);
    if (ss < extent) {
      if (!any) s = ss;
      e = fb + axis.Span(first, shi) + axis.Size(shi);
      any = true;
    }
  }
  if (!any) return false;
  e = std::min<int64_t>(e, extent);
  if (e <= s) return false;
  start = static_cast<int>(s);
  end = static_cast<int>(e);
  return true;
}

int TCustomGrid::AxisCoord(const TGridAxis& axis, int fixed, int first, int extent, int px) const {
  if (px < 0 || px >= extent) return -1;
  const int64_t fb = axis.Span(0, fixed);
  if (px < fb) return axis.CellAt(0, fixed, px);
  return axis.CellAt(first, axis.Count(), px - fb);
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
  TGridCoord c{AxisCoord(FHorz, FFixedCols, FTopLeft.X, viewport()->width(), X),
               AxisCoord(FVert, FFixedRows, FTopLeft.Y, viewport()->height(), Y)};
  if (c.X < 0 || c.Y < 0) return {-1, -1};
  return c;
}

QRect TCustomGrid::CellRect(int ACol, int ARow) const {
  int x, w, y, h;
  if (!AxisCell(FHorz, FFixedCols, FTopLeft.X, viewport()->width(), ACol, x, w)) return {};
  if (!AxisCell(FVert, FFixedRows, FTopLeft.Y, viewport()->height(), ARow, y, h)) return {};
  return QRect(x, y, w, h);
}

QRect TCustomGrid::BoxRect(int ALeft, int ATop, int ARight, int ABottom) const {
  int x0, x1, y0, y1;
  if (!AxisBox(FHorz, FFixedCols, FTopLeft.X, viewport()->width(), ALeft, ARight, x0, x1)) return {};
  if (!AxisBox(FVert, FFixedRows, FTopLeft.Y, viewport()->height(), ATop, ABottom, y0, y1)) return {};
  return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

TGridRect TCustomGrid::Selection() const {
  return {std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y), std::max(FAnchor.X, FCurrent.X),
          std::max(FAnchor.Y, FCurrent.Y)};
}

// ---- current cell ----

void TCustomGrid::CheckCell(int ACol, int ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) throw Exception(kIndexOutOfRange);
}

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) {
  CheckCell(ACol, ARow);
  if (!SelectCell(ACol, ARow)) return;
  const TGridCoord old = FCurrent;
  FCurrent = {ACol, ARow};
  if (MoveAnchor || !(FOptions & goRangeSelect)) FAnchor = FCurrent;
  if (!(old == FCurrent)) {
    InvalidateCell(old.X, old.Y);
    InvalidateCell(ACol, ARow);
  }
  if (Show) ClampInView(ACol, ARow);
}

void TCustomGrid::SetCol(int value) {
  if (value != Col()) MoveColRow(value, Row(), true, true);
}

void TCustomGrid::SetRow(int value) {
  if (value != Row()) MoveColRow(Col(), value, true, true);
}

bool TCustomGrid::SelectCell(int, int) { return true; }

// ---- scrolling ----

int TCustomGrid::MaxTopRow() const {
  const int room = ScrolledRoomY();
  if (room <= 0) return std::max(FFixedRows, RowCount() - 1);
  return std::max(FFixedRows, FVert.FirstFittingStart(FFixedRows, RowCount(), room));
}

int TCustomGrid::MaxLeftCol() const {
  const int room = ScrolledRoomX();
  if (room <= 0) return std::max(FFixedCols, ColCount() - 1);
  return std::max(FFixedCols, FHorz.FirstFittingStart(FFixedCols, ColCount(), room));
}

int TCustomGrid::VisibleRowCount() const {
  TGridAxisDrawInfo v;
  CalcAxis(FVert, FFixedRows, FTopLeft.Y, viewport()->height(), v);
  return std::max(0, v.LastFullVisibleCell - FTopLeft.Y + 1);
}

int TCustomGrid::VisibleColCount() const {
  TGridAxisDrawInfo h;
  CalcAxis(FHorz, FFixedCols, FTopLeft.X, viewport()->width(), h);
  return std::max(0, h.LastFullVisibleCell - FTopLeft.X + 1);
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
  ALeft = std::clamp(ALeft, FFixedCols, MaxLeftCol());
  ATop = std::clamp(ATop, FFixedRows, MaxTopRow());
  if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
  FTopLeft = {ALeft, ATop};
  UpdateScrollBars();
  InvalidateGrid();
  TopLeftChanged();
}

void TCustomGrid::SetTopRow(int value) { MoveTopLeft(FTopLeft.X, value); }
void TCustomGrid::SetLeftCol(int value) { MoveTopLeft(value, FTopLeft.Y); }

void TCustomGrid::ClampInView(int ACol, int ARow) {
  int left = FTopLeft.X, top = FTopLeft.Y;
  if (ACol >= FFixedCols && ACol < ColCount()) {
    if (ACol < left) {
      left = ACol;
    } else if (ACol > FHorz.LastFitting(left, ColCount(), ScrolledRoomX())) {
      left = FHorz.FirstFittingStart(FFixedCols, ACol + 1, std::max(0, ScrolledRoomX()));
    }
  }
  if (ARow >= FFixedRows && ARow < RowCount()) {
    if (ARow < top) {
      top = ARow;
    } else if (ARow > FVert.LastFitting(top, RowCount(), ScrolledRoomY())) {
      top = FVert.FirstFittingStart(FFixedRows, ARow + 1, std::max(0, ScrolledRoomY()));
    }
  }
  MoveTopLeft(left, top);
}

void TCustomGrid::UpdateScrollBars() {
  const bool saved = FUpdatingScrollBars;
  FUpdatingScrollBars = true;
  const bool vert = FScrollBars == ssVertical || FScrollBars == ssBoth;
  const bool horz = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
  setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(horz ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  const bool tracking = FOptions.testFlag(goThumbTracking);
  QScrollBar* vb = verticalScrollBar();
  vb->setTracking(tracking);
  vb->setSingleStep(1);
  vb->setRange(0, std::max(0, MaxTopRow() - FFixedRows));
  vb->setPageStep(std::max(1, VisibleRowCount()));
  vb->setValue(FTopLeft.Y - FFixedRows);
  QScrollBar* hb = horizontalScrollBar();
  hb->setTracking(tracking);
  hb->setSingleStep(1);
  hb->setRange(0, std::max(0, MaxLeftCol() - FFixedCols));
  hb->setPageStep(std::max(1, VisibleColCount()));
  hb->setValue(FTopLeft.X - FFixedCols);
  FUpdatingScrollBars = saved;
}

void TCustomGrid::OnScrollBarValue(Qt::Orientation o, int value) {
  if (FUpdatingScrollBars) return;
  if (o == Qt::Vertical) {
    MoveTopLeft(FTopLeft.X, FFixedRows + value);
  } else {
    MoveTopLeft(FFixedCols + value, FTopLeft.Y);
  }
  // A value the grid could not take (past the end) snaps back.
  UpdateScrollBars();
}

void TCustomGrid::scrollContentsBy(int, int) {
  // The grid repaints itself on every scroll; nothing to move here.
}

void TCustomGrid::TopLeftChanged() {
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

int TCustomGrid::WheelScrollLines() const {
  const int lines = QApplication::wheelScrollLines();
  return lines > 0 ? lines : 3;
}

// ---- invalidation ----

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
  const QRect r = CellRect(ACol, ARow);
  if (!r.isEmpty()) viewport()->update(r.adjusted(0, 0, FHorz.LineWidth(), FVert.LineWidth()));
}

void TCustomGrid::InvalidateRow(int ARow) {
  int y, h;
  if (AxisCell(FVert, FFixedRows, FTopLeft.Y, viewport()->height(), ARow, y, h))
    viewport()->update(QRect(0, y, viewport()->width(), h + FVert.LineWidth()));
}

void TCustomGrid::InvalidateCol(int ACol) {
  int x, w;
  if (AxisCell(FHorz, FFixedCols, FTopLeft.X, viewport()->width(), ACol, x, w))
    viewport()->update(QRect(x, 0, w + FHorz.LineWidth(), viewport()->height()));
}

void TCustomGrid::InvalidateGrid() { viewport()->update(); }

// ---- painting ----

void TCustomGrid::Paint() {
  TGridDrawInfo di;
  CalcDrawInfo(di);
  const QRect upd = FUpdateRect.isNull() ? viewport()->rect() : FUpdateRect;
  const TGridRect sel = Selection();
  auto visit = [&](int c, int r) {
    const QRect rect = CellRect(c, r);
    if (rect.isEmpty()) return;
    const QRect withLines = rect.adjusted(0, 0, di.Horz.EffectiveLineWidth, di.Vert.EffectiveLineWidth);
    if (!withLines.intersects(upd)) return;
    TGridDrawState state;
    const bool fixed = c < FFixedCols || r < FFixedRows;
    if (fixed) state |= gdFixed;
    if (c == FCurrent.X && r == FCurrent.Y && Focused()) state |= gdFocused;
    if (!fixed && c >= sel.Left && c <= sel.Right && r >= sel.Top && r <= sel.Bottom &&
        (FOptions.testFlag(goRangeSelect) || (c == FCurrent.X && r == FCurrent.Y)))
      state |= gdSelected;
    if (FDefaultDrawing) {
      TColor brush = fixed ? FFixedColor : FColor;
      if (state.testFlag(gdSelected) && !state.testFlag(gdFocused)) brush = clHighlight;
      FCanvas.SetBrushColor(brush);
      FCanvas.SetBrushStyle(bsSolid);
      FCanvas.FillRect(rect);
    }
    DrawCell(c, r, rect, state);
    if (FDefaultDrawing && state.testFlag(gdFocused)) FCanvas.DrawFocusRect(rect);
    // Grid lines after the cell: right and bottom.
    const bool vline = fixed ? FOptions.testFlag(goFixedVertLine) : FOptions.testFlag(goVertLine);
    const bool hline = fixed ? FOptions.testFlag(goFixedHorzLine) : FOptions.testFlag(goHorzLine);
    FCanvas.SetBrushColor(fixed ? clBlack : clSilver);
    if (vline && di.Horz.EffectiveLineWidth > 0)
      FCanvas.FillRect(QRect(rect.right() + 1, rect.top(), di.Horz.EffectiveLineWidth, withLines.height()));
    if (hline && di.Vert.EffectiveLineWidth > 0)
      FCanvas.FillRect(QRect(rect.left(), rect.bottom() + 1, withLines.width(), di.Vert.EffectiveLineWidth));
  };
  auto rowsDo = [&](auto&& perRow) {
    for (int r = 0; r < FFixedRows; ++r) perRow(r);
    for (int r = FTopLeft.Y; r <= di.Vert.LastVisibleCell; ++r) perRow(r);
  };
  rowsDo([&](int r) {
    for (int c = 0; c < FFixedCols; ++c) visit(c, r);
    for (int c = FTopLeft.X; c <= di.Horz.LastVisibleCell; ++c) visit(c, r);
  });
  // The client area beyond the grid.
  FCanvas.SetBrushColor(FColor);
  FCanvas.SetBrushStyle(bsSolid);
  if (di.Horz.GridBoundary < di.Horz.GridExtent)
    FCanvas.FillRect(QRect(di.Horz.GridBoundary, 0, di.Horz.GridExtent - di.Horz.GridBoundary, di.Vert.GridExtent));
  if (di.Vert.GridBoundary < di.Vert.GridExtent)
    FCanvas.FillRect(QRect(0, di.Vert.GridBoundary, di.Horz.GridBoundary, di.Vert.GridExtent - di.Vert.GridBoundary));
}

void TCustomGrid::DrawCell(int, int, const QRect&, TGridDrawState) {}

void TCustomGrid::paintEvent(QPaintEvent* e) {
  QPainter painter(viewport());
  FUpdateRect = e->rect();
  painter.save();
  FCanvas.BeginPaint(&painter, e->rect());
  Guarded([this] { Paint(); });
  FCanvas.EndPaint();
  painter.restore();
  painter.setClipRect(e->rect());
  PaintCaret(CaretOwner() == viewport() ? viewport() : this, painter);
  FUpdateRect = QRect();
}

// ---- messages ----

bool TCustomGrid::event(QEvent* e) {
  if (e->type() == TMessageEvent::EventType()) {
    auto* me = static_cast<TMessageEvent*>(e);
    Guarded([&] { WndProc(me->Message); });
    return true;
  }
  return QAbstractScrollArea::event(e);
}

void TCustomGrid::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam == 1) TimerScroll();
      break;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | (FOptions.testFlag(goTabs) ? DLGC_WANTTAB : 0) |
                       (FOptions.testFlag(goEditing) ? DLGC_WANTCHARS : 0);
      break;
    default:
      break;
  }
}

bool TCustomGrid::focusNextPrevChild(bool next) {
  if (hasFocus()) {
    TMessage m;
    m.Msg = WM_GETDLGCODE;
    bool ok = false;
    Guarded([&] {
      WndProc(m);
      ok = true;
    });
    // Tab and Shift+Tab reach KeyDown when the grid asks for them.
    if (ok && (m.Result & DLGC_WANTTAB)) return false;
  }
  return QAbstractScrollArea::focusNextPrevChild(next);
}

void TCustomGrid::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  const QSize size = viewport()->size();
  if (size == FLastViewportSize) return;
  FLastViewportSize = size;
  Guarded([this] {
    LayoutChanged();
    Resize();
  });
}

void TCustomGrid::Resize() {}

// ---- keyboard ----

void TCustomGrid::keyPressEvent(QKeyEvent* e) {
  NoteKey(*e, true);
  e->accept();
  uint16_t key = KeyEventToVirtualKey(*e);
  TShiftState shift = ShiftStateOf(gModifiers);
  if (key != 0) Guarded([&] { KeyDown(key, shift); });
  Guarded([&] { DeliverKeyPress(e); });
}

void TCustomGrid::DeliverKeyPress(QKeyEvent* e) {
  const QString text = e->text();
  if (text.isEmpty()) return;
  // Alt combinations are menu keys, not typing; Delete is a key, not a character.
  if (e->modifiers().testFlag(Qt::AltModifier) && !e->modifiers().testFlag(Qt::ControlModifier)) return;
  if (e->key() == Qt::Key_Delete) return;
  for (const QChar ch : text) {
    uint8_t b;
    if (!UnicodeToAnsiChar(ch.unicode(), b)) continue;
    char c = static_cast<char>(b);
    KeyPress(c);
  }
}

void TCustomGrid::keyReleaseEvent(QKeyEvent* e) {
  e->accept();
  if (e->isAutoRepeat()) return;
  NoteKey(*e, false);
  uint16_t key = KeyEventToVirtualKey(*e);
  if (key == 0) return;
  TShiftState shift = ShiftStateOf(gModifiers);
  Guarded([&] { KeyUp(key, shift); });
}

void TCustomGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
  if (Key == 0) return;
  int col = Col(), row = Row(), top = TopRow();
  const int page = std::max(1, VisibleRowCount());
  const bool ctrl = Shift.testFlag(ssCtrl);
  switch (Key) {
    case VK_UP: --row; break;
    case VK_DOWN: ++row; break;
    case VK_LEFT: --col; break;
    case VK_RIGHT: ++col; break;
    case VK_PRIOR: row -= page; top -= page; break;
    case VK_NEXT: row += page; top += page; break;
    case VK_HOME: if (ctrl) row = FFixedRows; else col = FFixedCols; break;
    case VK_END: if (ctrl) row = RowCount() - 1; else col = ColCount() - 1; break;
    case VK_TAB:
      if (!FOptions.testFlag(goTabs)) return;
      col += Shift.testFlag(ssShift) ? -1 : 1;
      break;
    default: return;
  }
  col = std::clamp(col, FFixedCols, ColCount() - 1);
  row = std::clamp(row, FFixedRows, RowCount() - 1);
  if (top != TopRow()) SetTopRow(top);
  if (col != Col() || row != Row())
    MoveColRow(col, row, !(Shift.testFlag(ssShift) && FOptions.testFlag(goRangeSelect)), true);
}

void TCustomGrid::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TCustomGrid::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

// ---- mouse ----

namespace {
bool ButtonOf(Qt::MouseButton b, TMouseButton& out) {
  switch (b) {
    case Qt::LeftButton: out = mbLeft; return true;
    case Qt::RightButton: out = mbRight; return true;
    case Qt::MiddleButton: out = mbMiddle; return true;
    default: return false;
  }
}
}  // namespace

void TCustomGrid::mousePressEvent(QMouseEvent* e) {
  NoteMouse(*e);
  FMousePos = e->position().toPoint();
  e->accept();
  TMouseButton button;
  if (!ButtonOf(e->button(), button)) return;
  const TShiftState shift = ShiftStateOf(e->modifiers(), e->buttons());
  Guarded([&] { MouseDown(button, shift, FMousePos.x(), FMousePos.y()); });
}

void TCustomGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  NoteMouse(*e);
  FMousePos = e->position().toPoint();
  e->accept();
  TMouseButton button;
  if (!ButtonOf(e->button(), button)) return;
  const TShiftState shift = ShiftStateOf(e->modifiers(), e->buttons()) | ssDouble;
  if (button == mbLeft) Guarded([&] { DblClick(); });
  Guarded([&] { MouseDown(button, shift, FMousePos.x(), FMousePos.y()); });
}

void TCustomGrid::mouseMoveEvent(QMouseEvent* e) {
  NoteMouse(*e);
  FMousePos = e->position().toPoint();
  e->accept();
  const TShiftState shift = ShiftStateOf(e->modifiers(), e->buttons());
  Guarded([&] { MouseMove(shift, FMousePos.x(), FMousePos.y()); });
}

void TCustomGrid::mouseReleaseEvent(QMouseEvent* e) {
  NoteMouse(*e);
  FMousePos = e->position().toPoint();
  e->accept();
  TMouseButton button;
  if (!ButtonOf(e->button(), button)) return;
  const TShiftState shift = ShiftStateOf(e->modifiers(), e->buttons());
  Guarded([&] { MouseUp(button, shift, FMousePos.x(), FMousePos.y()); });
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if ((focusPolicy() & Qt::ClickFocus) && !hasFocus()) setFocus(Qt::MouseFocusReason);
  if (Button == mbLeft) {
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X >= FFixedCols && cell.Y >= FFixedRows) {
      FGridState = gsSelecting;
      FAutoScrollTimer.start();
      try {
        MoveColRow(cell.X, cell.Y, !(Shift.testFlag(ssShift) && FOptions.testFlag(goRangeSelect)), true);
      } catch (...) {
        // A press that failed starts no drag.
        StopTracking();
        throw;
      }
    }
  }
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomGrid::TrackTo(int X, int Y) {
  if (FGridState != gsSelecting) return;
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.X >= FFixedCols && cell.Y >= FFixedRows && !(cell == FCurrent)) MoveColRow(cell.X, cell.Y, false, false);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  TrackTo(X, Y);
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FGridState == gsSelecting && Button == mbLeft) {
    TrackTo(X, Y);
    StopTracking();
  }
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TCustomGrid::StopTracking() {
  FGridState = gsNormal;
  FAutoScrollTimer.stop();
}

void TCustomGrid::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TCustomGrid::TimerScroll() {
  if (FGridState != gsSelecting) {
    FAutoScrollTimer.stop();
    return;
  }
  const QPoint pt = FMousePos;
  TGridDrawInfo di;
  CalcDrawInfo(di);
  int dc = 0, dr = 0;
  if (pt.x() < di.Horz.FixedBoundary) dc = -1;
  else if (pt.x() >= di.Horz.GridExtent) dc = 1;
  if (pt.y() < di.Vert.FixedBoundary) dr = -1;
  else if (pt.y() >= di.Vert.GridExtent) dr = 1;
  if (dc == 0 && dr == 0) return;
  MoveTopLeft(FTopLeft.X + dc, FTopLeft.Y + dr);
  CalcDrawInfo(di);
  const TGridCoord under = MouseCoord(std::clamp(pt.x(), 0, std::max(0, di.Horz.GridExtent - 1)),
                                      std::clamp(pt.y(), 0, std::max(0, di.Vert.GridExtent - 1)));
  auto target = [](int d, int first, int lastFull, int lastVisible, int underCell, int current) {
    if (d < 0) return first;
    if (d > 0) return std::max(first, lastFull);
    if (underCell >= first && underCell <= lastVisible) return underCell;
    return current;
  };
  const int col = std::clamp(target(dc, FTopLeft.X, di.Horz.LastFullVisibleCell, di.Horz.LastVisibleCell, under.X, FCurrent.X),
                             FFixedCols, ColCount() - 1);
  const int row = std::clamp(target(dr, FTopLeft.Y, di.Vert.LastFullVisibleCell, di.Vert.LastVisibleCell, under.Y, FCurrent.Y),
                             FFixedRows, RowCount() - 1);
  if (col != FCurrent.X || row != FCurrent.Y) MoveColRow(col, row, false, false);
}

// ---- wheel ----

void TCustomGrid::wheelEvent(QWheelEvent* e) {
  e->accept();
  gModifiers = e->modifiers();
  FMousePos = e->position().toPoint();
  const TShiftState shift = ShiftStateOf(e->modifiers(), e->buttons());
  const QPoint delta = e->angleDelta();
  Guarded([&] {
    if (delta.y() != 0) {
      DoMouseWheel(shift, delta.y(), FMousePos);
    } else if (delta.x() != 0) {
      FWheelAccumulatorX += delta.x();
      while (std::abs(FWheelAccumulatorX) >= 120) {
        const int step = FWheelAccumulatorX < 0 ? 1 : -1;
        FWheelAccumulatorX += step * 120;
        SetLeftCol(LeftCol() + step * WheelScrollLines());
      }
    }
  });
}

bool TCustomGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, QPoint MousePos) {
  bool handled = false;
  FWheelAccumulator += WheelDelta;
  while (std::abs(FWheelAccumulator) >= 120) {
    if (FWheelAccumulator < 0) {
      FWheelAccumulator += 120;
      handled = DoMouseWheelDown(Shift, MousePos) || handled;
    } else {
      FWheelAccumulator -= 120;
      handled = DoMouseWheelUp(Shift, MousePos) || handled;
    }
  }
  return handled;
}

bool TCustomGrid::DoMouseWheelDown(TShiftState, QPoint) {
  SetTopRow(TopRow() + WheelScrollLines());
  return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState, QPoint) {
  SetTopRow(TopRow() - WheelScrollLines());
  return true;
}

// ---- focus ----

void TCustomGrid::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  InvalidateCell(FCurrent.X, FCurrent.Y);
  Guarded([this] { DoEnter(); });
}

void TCustomGrid::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  StopTracking();
  InvalidateCell(FCurrent.X, FCurrent.Y);
  Guarded([this] { DoExit(); });
}

void TCustomGrid::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TCustomGrid::DoExit() {
  if (OnExit) OnExit(this);
}

}  // namespace vexa
