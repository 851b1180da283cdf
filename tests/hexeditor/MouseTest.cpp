// The control's mouse, driven with real mouse and wheel events: presses, drags and clicks on
// the selection in overwrite and insert mode, Shift+click, double click, presses on the fixed
// area, the wheel with and without zoom, autoscroll, the drop marker and loss of focus.

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "EditorFixture.h"
#include "TestSupport.h"
#include "hexeditor/KorHexEditorEx.h"

namespace vexa {
namespace {

// Lets the tests deliver one tick of the autoscroll timer, and counts the OLE drags the mouse
// starts.
class ProbedEditor : public TKorHexEditorEx {
public:
  int Drags = 0;
  void StartOleDrag() override { ++Drags; }
  void AutoScrollTick() {
    TMessage m;
    m.Msg = WM_TIMER;
    m.WParam = 1;
    WndProc(m);
  }
};

class MouseTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::TakeShownExceptions();
    ASSERT_TRUE(Dir.isValid());
    E = new ProbedEditor;
    E->SetScrollBars(ssNone);
    ASSERT_NO_FATAL_FAILURE(test::BuildEditorWindow(E, Window, Other, /*focusEditor=*/true));
    Load(256);
  }
  void TearDown() override {
    Window.reset();
    EXPECT_TRUE(test::TakeShownExceptions().isEmpty());
  }

  void Load(int count) {
    test::WriteFile(Dir.filePath("d.bin"), test::Pattern(count));
    E->LoadFromFile(Dir.filePath("d.bin"));
  }

  // Cells of a position: the high (or low) hex digit and the character cell.
  QPoint Hex(int32_t pos, int nibble = 0) const {
    int c, r;
    E->GetCellAtPos(pos, false, c, r);
    return E->CellRect(c + nibble, r).center();
  }
  QPoint Char(int32_t pos) const {
    int c, r;
    E->GetCellAtPos(pos, true, c, r);
    return E->CellRect(c, r).center();
  }
  // A point in the left part of a byte's high digit: in insert mode the boundary before it.
  QPoint Boundary(int32_t pos) const {
    int c, r;
    E->GetCellAtPos(pos, false, c, r);
    const QRect rect = E->CellRect(c, r);
    return QPoint(rect.left() + 1, rect.center().y());
  }

  QWidget* View() const { return E->viewport(); }
  void Press(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mousePress(View(), Qt::LeftButton, mods, at);
  }
  void Move(QPoint at) { QTest::mouseMove(View(), at); }
  void Release(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mouseRelease(View(), Qt::LeftButton, mods, at);
  }
  void Click(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Press(at, mods);
    Release(at, mods);
  }
  // A double click as the system delivers it: press, release, double-click press, release.
  void DoubleClick(QPoint at) {
    Click(at);
    QTest::mouseDClick(View(), Qt::LeftButton, Qt::NoModifier, at);
    Release(at);
  }
  void Drag(QPoint from, QPoint to) {
    Press(from);
    Move(to);
    Release(to);
  }
  // One wheel notch: down toward the user, up away from them.
  void Wheel(bool down, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const QPoint at = Hex(0);
    QWheelEvent ev(at, View()->mapToGlobal(at), QPoint(), QPoint(0, down ? -120 : 120), Qt::NoButton, mods,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(View(), &ev);
  }

  std::pair<int32_t, int32_t> Sel() const { return {E->SelectionStart(), E->SelectionEnd()}; }
  static std::pair<int32_t, int32_t> None() { return {-1, -1}; }

  QTemporaryDir Dir;
  std::unique_ptr<QWidget> Window;
  ProbedEditor* E = nullptr;
  QWidget* Other = nullptr;
};

// ---- press and drag ---------------------------------------------------------------------------

TEST_F(MouseTest, PressPlacesTheCaretAndEndsTheSelection) {
  E->SetSelection(10, 20);
  Press(Hex(40, 1));
  EXPECT_EQ(E->CaretPosition(), 40);
  EXPECT_EQ(E->Col(), 2 + 2 * (40 % 16) + 1) << "the pressed digit";
  EXPECT_EQ(Sel(), None());
  EXPECT_TRUE(E->Selecting()) << "a press outside the selection starts a gesture";
  Release(Hex(40, 1));
  EXPECT_EQ(Sel(), None()) << "a click without a drag selects nothing";

  Click(Char(7));
  EXPECT_EQ(E->CaretPosition(), 7);
  EXPECT_TRUE(E->CaretInCharField());
}

struct DragCase {
  const char* name;
  int unit;
  int32_t from, to;
  int32_t start, end, anchor;
};

class MouseDragTest : public MouseTest, public ::testing::WithParamInterface<DragCase> {};

// Overwrite mode: the pressed and the reached byte are both selected, in whole units.
TEST_P(MouseDragTest, SelectsFromThePressedToTheReachedUnit) {
  const DragCase& c = GetParam();
  E->SetBytesPerUnit(c.unit);
  Drag(Hex(c.from), Hex(c.to));
  EXPECT_EQ(Sel(), std::make_pair(c.start, c.end));
  EXPECT_EQ(E->SelectionAnchor(), c.anchor);
  EXPECT_EQ(E->CaretPosition(), c.to);
}

INSTANTIATE_TEST_SUITE_P(Overwrite, MouseDragTest,
                         ::testing::Values(DragCase{"forward", 1, 3, 9, 3, 9, 3},
                                           DragCase{"backward", 1, 20, 12, 12, 20, 20},
                                           DragCase{"acrossRows", 1, 5, 37, 5, 37, 5},
                                           DragCase{"unit4", 4, 5, 9, 4, 11, 4},
                                           DragCase{"unit4Backward", 4, 9, 5, 4, 11, 11},
                                           DragCase{"unit2", 2, 177, 190, 176, 191, 176}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MouseTest, InsertModeDragExcludesTheUnitAtTheUpperBoundary) {
  E->SetInsertMode(true);
  ASSERT_TRUE(E->InsertMode());
  Drag(Boundary(4), Boundary(10));
  EXPECT_EQ(Sel(), std::make_pair(4, 9));
  Drag(Boundary(10), Boundary(4));
  EXPECT_EQ(Sel(), std::make_pair(4, 9)) << "backward, the same bytes";

  // Back to the boundary the gesture began at: nothing selected, the gesture goes on.
  Click(Boundary(100));
  Press(Boundary(6));
  Move(Boundary(8));
  EXPECT_EQ(Sel(), std::make_pair(6, 7));
  Move(Boundary(6));
  EXPECT_EQ(Sel(), None());
  EXPECT_TRUE(E->Selecting());
  Move(Boundary(3));
  EXPECT_EQ(Sel(), std::make_pair(3, 5));
  Release(Boundary(3));
}

TEST_F(MouseTest, InsertModePressSnapsToTheNearestBoundary) {
  E->SetInsertMode(true);
  // The right half of a byte's low digit is the boundary after the byte.
  Click(Hex(5, 1));
  EXPECT_EQ(E->CaretPosition(), 6);
  // At the end of a row it wraps to the start of the next row, in the same field.
  Click(Hex(15, 1));
  EXPECT_EQ(E->CaretPosition(), 16);
  EXPECT_FALSE(E->CaretInCharField());
  Click(Char(31));
  EXPECT_EQ(E->CaretPosition(), 32);
  EXPECT_TRUE(E->CaretInCharField());
  // Overwrite mode does not snap.
  E->SetInsertMode(false);
  Click(Hex(5, 1));
  EXPECT_EQ(E->CaretPosition(), 5);
}

TEST_F(MouseTest, ShiftClickExtendsFromTheAnchor) {
  Click(Hex(5));
  Click(Hex(12), Qt::ShiftModifier);
  EXPECT_EQ(Sel(), std::make_pair(5, 12));
  Click(Hex(2), Qt::ShiftModifier);
  EXPECT_EQ(Sel(), std::make_pair(2, 5)) << "the anchor stays where the selection began";
  EXPECT_EQ(E->SelectionAnchor(), 5);

  // From a selection made otherwise, its anchor.
  E->SetSelection(40, 30);
  Click(Hex(50), Qt::ShiftModifier);
  EXPECT_EQ(Sel(), std::make_pair(40, 50));

  // Insert mode: from the caret's boundary, the byte after the pressed boundary excluded.
  E->SetInsertMode(true);
  Click(Boundary(20));
  Click(Boundary(24), Qt::ShiftModifier);
  EXPECT_EQ(Sel(), std::make_pair(20, 23));
}

// ---- clicks on the selection --------------------------------------------------------------

TEST_F(MouseTest, ClickOnTheSelectionReplacesItByTheCaretOnRelease) {
  E->SetSelection(10, 30);
  const int32_t caret = E->CaretPosition();
  Press(Hex(20));
  EXPECT_TRUE(E->PendingClick());
  EXPECT_FALSE(E->Selecting());
  EXPECT_EQ(Sel(), std::make_pair(10, 30)) << "the press keeps the selection";
  EXPECT_EQ(E->CaretPosition(), caret) << "and the caret";
  Release(Hex(20));
  EXPECT_FALSE(E->PendingClick());
  EXPECT_EQ(Sel(), None());
  EXPECT_EQ(E->CaretPosition(), 20);
}

TEST_F(MouseTest, MovingAfterAPressOnTheSelectionCancelsTheClick) {
  E->SetSelection(10, 30);
  Press(Hex(20));
  Move(Hex(22));
  EXPECT_FALSE(E->PendingClick());
  Release(Hex(22));
  EXPECT_EQ(Sel(), std::make_pair(10, 30));
}

TEST_F(MouseTest, DraggingTheSelectionStartsAnOleDragAtTheThresholdWhenEnabled) {
  E->SetSelection(10, 60);
  const int threshold = QApplication::startDragDistance();
  const QPoint from = Hex(20);
  const QPoint near = from + QPoint(threshold - 1, 0);
  const QPoint far = from + QPoint(0, threshold);
  const TGridCoord farCell = E->MouseCoord(far.x(), far.y());
  ASSERT_TRUE(E->IsSelected(E->GetPosAtCell(farCell.X, farCell.Y))) << "the threshold must stay on the selection";

  Press(from);
  Move(far);
  Release(far);
  EXPECT_EQ(E->Drags, 0) << "OleDragDrop is off by default";

  E->SetOleDragDrop(true);
  Press(from);
  Move(near);
  EXPECT_EQ(E->Drags, 0) << "below the threshold";
  Move(far);
  EXPECT_EQ(E->Drags, 1);
  Move(far + QPoint(1, 0));
  EXPECT_EQ(E->Drags, 1) << "one drag per press";
  Release(far);
  EXPECT_EQ(Sel(), std::make_pair(10, 60)) << "the drag keeps the selection";
}

TEST_F(MouseTest, CursorIsAnArrowOverTheSelectionAndTheFixedAreaOnly) {
  E->SetSelection(10, 30);
  const std::pair<QPoint, Qt::CursorShape> places[] = {
      {Hex(20), Qt::ArrowCursor}, {Hex(40), Qt::IBeamCursor}, {E->CellRect(0, 4).center(), Qt::ArrowCursor}};
  for (const auto& [at, shape] : places) {
    QMouseEvent move(QEvent::MouseMove, at, View()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(View(), &move);
    EXPECT_EQ(View()->cursor().shape(), shape) << at.x() << "," << at.y();
  }
  // With a button held, the I-beam everywhere.
  Press(Hex(20));
  Move(Hex(21));
  EXPECT_EQ(View()->cursor().shape(), Qt::IBeamCursor);
  Release(Hex(21));
}

// ---- double click -------------------------------------------------------------------------

TEST_F(MouseTest, DoubleClickSelectsOneUnitAndItsReleaseKeepsIt) {
  int doubleClicks = 0;
  E->OnDblClick = [&](QObject*) { ++doubleClicks; };
  struct {
    int unit;
    int32_t pos, start, end;
  } cases[] = {{1, 6, 6, 6}, {4, 6, 4, 7}, {8, 170, 168, 175}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.unit);
    E->SetBytesPerUnit(c.unit);
    DoubleClick(Hex(c.pos));
    EXPECT_EQ(Sel(), std::make_pair(c.start, c.end));
    EXPECT_FALSE(E->Selecting());
    EXPECT_FALSE(E->PendingClick());
  }
  EXPECT_EQ(doubleClicks, 3);

  // The offset column holds no byte: nothing is selected there.
  E->SetBytesPerUnit(1);
  Click(Hex(100));
  DoubleClick(E->CellRect(0, 5).center());
  EXPECT_EQ(Sel(), None());
  EXPECT_EQ(doubleClicks, 4);
}

// ---- the fixed area -----------------------------------------------------------------------

TEST_F(MouseTest, PressOnTheFixedAreaKeepsTheCaretButFocusesAndReports) {
  E->SetShowRuler(true);
  int downs = 0;
  E->OnMouseDown = [&](QObject*, TMouseButton b, TShiftState, int, int) {
    EXPECT_EQ(b, mbLeft);
    ++downs;
  };
  int c, r;
  E->GetCellAtPos(5, false, c, r);
  const std::pair<const char*, QPoint> places[] = {
      {"offset column", E->CellRect(0, 4).center()},
      {"gap column", E->CellRect(1, 4).center()},
      {"ruler", E->CellRect(c, 0).center()},
  };
  Click(Hex(33));
  E->SetSelection(40, 47);
  for (const auto& [name, at] : places) {
    SCOPED_TRACE(name);
    Other->setFocus();
    QCoreApplication::processEvents();
    ASSERT_FALSE(E->Focused());
    const int before = downs;
    Click(at);
    EXPECT_TRUE(E->Focused());
    EXPECT_EQ(E->CaretPosition(), 33);
    EXPECT_EQ(downs, before + 1);
    EXPECT_EQ(Sel(), std::make_pair(40, 47)) << "a press ends only the gesture";
  }
}

// ---- wheel --------------------------------------------------------------------------------

TEST_F(MouseTest, WheelScrollsByAPageAndReplacesTheCaret) {
  Load(4096);
  const int page = E->VisibleRowCount();
  ASSERT_GT(page, 3);
  const QPoint caretCell = E->CellRect(E->Col(), E->Row()).topLeft();
  ASSERT_EQ(GetCaretPos(), caretCell);

  Wheel(true);
  EXPECT_EQ(E->TopRow(), 2 + page - 1);
  EXPECT_EQ(E->CaretPosition(), 0) << "the caret cell stays";
  EXPECT_EQ(GetCaretPos(), QPoint(-50, -50)) << "out of view, the caret is put aside";
  Wheel(false);
  EXPECT_EQ(E->TopRow(), 2);
  EXPECT_EQ(GetCaretPos(), caretCell);

  // The last page does not scroll further.
  for (int i = 0; i < 4096 / 16 / (page - 1) + 2; ++i) Wheel(true);
  EXPECT_EQ(E->TopRow(), E->MaxTopRow());
  Wheel(true);
  EXPECT_EQ(E->TopRow(), E->MaxTopRow());
  EXPECT_EQ(E->CaretPosition(), 0);
}

TEST_F(MouseTest, CtrlWheelChangesBytesPerRowAndShiftCtrlWheelTheFontSize) {
  Load(4096);
  Wheel(true, Qt::ControlModifier);
  EXPECT_EQ(E->BytesPerRow(), 15);
  Wheel(false, Qt::ControlModifier);
  Wheel(false, Qt::ControlModifier);
  EXPECT_EQ(E->BytesPerRow(), 17);
  EXPECT_EQ(E->TopRow(), 2) << "a zoom does not scroll";

  const int size = E->Font()->Size();
  Wheel(false, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(E->Font()->Size(), size + 1);
  Wheel(true, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(E->Font()->Size(), size);
  E->Font()->SetSize(2);
  Wheel(true, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(E->Font()->Size(), 2) << "the font stops at size 2";

  // Unicode mode keeps the row length even.
  E->SetBytesPerRow(16);
  E->SetUnicodeChars(true);
  Wheel(true, Qt::ControlModifier);
  EXPECT_EQ(E->BytesPerRow(), 14);
  EXPECT_TRUE(test::TakeShownExceptions().isEmpty());
}

TEST_F(MouseTest, CtrlWheelScrollsWhenZoomIsOffOrAtItsLimit) {
  Load(4096);
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, shiftCtrl = Qt::ShiftModifier | Qt::ControlModifier;
  struct {
    const char* name;
    bool zoom;
    int bytesPerRow;
    bool down;
    Qt::KeyboardModifiers mods;
  } cases[] = {{"zoom off", false, 16, true, ctrl},
               {"zoom off, font", false, 16, true, shiftCtrl},
               {"at 256", true, 256, false, ctrl},
               {"at 1", true, 1, true, ctrl}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    E->SetZoomOnWheel(c.zoom);
    E->SetBytesPerRow(c.bytesPerRow);
    E->SetTopRow(c.down ? 2 : E->MaxTopRow());
    const int top = E->TopRow();
    const int size = E->Font()->Size();
    Wheel(c.down, c.mods);
    EXPECT_EQ(E->BytesPerRow(), c.bytesPerRow);
    EXPECT_EQ(E->Font()->Size(), size);
    EXPECT_NE(E->TopRow(), top) << "the grid's own wheel handling scrolls instead";
  }
}

// ---- autoscroll -----------------------------------------------------------------------------

TEST_F(MouseTest, DragBelowTheViewAutoscrollsAndExtendsTheSelection) {
  Load(4096);
  Press(Hex(0));
  const QPoint below(Hex(3).x(), View()->height() + 20);
  Move(below);
  const int top = E->TopRow();
  E->AutoScrollTick();
  E->AutoScrollTick();
  EXPECT_EQ(E->TopRow(), top + 2);
  EXPECT_GT(E->SelectionEnd(), 16 * (E->VisibleRowCount() - 1));
  EXPECT_EQ(E->SelectionStart(), 0);
  Release(below);
  const int after = E->TopRow();
  E->AutoScrollTick();
  EXPECT_EQ(E->TopRow(), after) << "the release ends the autoscroll";
}

// ---- drop marker --------------------------------------------------------------------------

TEST_F(MouseTest, DropMarkerStandsOnTheUnitUnderThePoint) {
  EXPECT_EQ(E->DropPosition(), -1);
  E->SetBytesPerUnit(4);
  EXPECT_EQ(E->MoveDropMarker(Hex(6).x(), Hex(6).y()), 4);
  EXPECT_TRUE(E->DropMarkerVisible());
  EXPECT_EQ(E->DropPosition(), 4);
  int c, r;
  E->GetCellAtPos(4, false, c, r);
  EXPECT_EQ(E->DropMarkerCell(), (TGridCoord{c, r})) << "in the caret's field";

  // In the other field the caret's field does not change.
  const QPoint inChar = Char(22);
  EXPECT_EQ(E->MoveDropMarker(inChar.x(), inChar.y()), 20);
  EXPECT_FALSE(E->CaretInCharFieldRaw());

  // On the selection: its lower end.
  E->SetSelection(40, 55);
  EXPECT_EQ(E->MoveDropMarker(Hex(50).x(), Hex(50).y()), 40);

  E->HideDropMarker();
  EXPECT_FALSE(E->DropMarkerVisible());
  EXPECT_EQ(E->DropPosition(), -1);

  // A release hides a visible marker.
  E->MoveDropMarker(Hex(8).x(), Hex(8).y());
  Click(Hex(100));
  EXPECT_EQ(E->DropPosition(), -1);
}

TEST_F(MouseTest, DropMarkerBelowAShortDocumentGoesToItsLastRow) {
  Load(40);
  const QPoint below(Hex(6).x(), E->CellRect(2, 4).bottom() + 30);
  ASSERT_LT(below.y(), View()->height());
  EXPECT_EQ(E->MoveDropMarker(below.x(), below.y()), 32 + 6);
  EXPECT_EQ(E->MoveDropMarker(View()->width() - 1, below.y()), 40) << "right of everything: the end";
}

// ---- selection setters ----------------------------------------------------------------------

TEST_F(MouseTest, SetSelectionCoversWholeUnitsWithinTheData) {
  struct {
    int unit;
    int32_t anchor, other;
    int32_t start, end, storedAnchor;
  } cases[] = {
      {1, 9, 3, 3, 9, 9},        {4, 5, 9, 4, 11, 4},        {4, 9, 5, 4, 11, 11},
      {8, 250, 1000, 248, 255, 248}, {2, 255, 255, 254, 255, 254},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.unit << ": " << c.anchor << ", " << c.other);
    E->ResetSelection(false);
    E->SetBytesPerUnit(c.unit);
    E->SetSelection(c.anchor, c.other);
    EXPECT_EQ(Sel(), std::make_pair(c.start, c.end));
    EXPECT_EQ(E->SelectionAnchor(), c.storedAnchor);
    EXPECT_EQ(E->SelectionLength(), c.end - c.start + 1);
  }
}

TEST_F(MouseTest, SelEndSelectsFromTheCaretAndMinusOneEndsSilently) {
  int notified = 0;
  E->OnSelectionChanged = [&](TCustomKorHexEditor*) { ++notified; };
  E->SetSelStart(20);
  E->SetSelEnd(10);
  EXPECT_EQ(Sel(), std::make_pair(10, 20));
  EXPECT_EQ(E->SelStart(), 20) << "the anchor";
  EXPECT_EQ(E->SelEnd(), 10) << "the other end";
  EXPECT_EQ(E->CaretPosition(), 20);
  QCoreApplication::processEvents();
  notified = 0;
  E->SetSelEnd(-1);
  QCoreApplication::processEvents();
  EXPECT_EQ(Sel(), None());
  EXPECT_EQ(notified, 0);
  EXPECT_EQ(E->SelStart(), 20) << "without a selection, the caret";
  EXPECT_EQ(E->SelEnd(), 20);
}

// ---- focus ----------------------------------------------------------------------------------

TEST_F(MouseTest, LosingTheFocusEndsTheGestureButKeepsTheSelection) {
  Press(Hex(3));
  Move(Hex(9));
  ASSERT_EQ(Sel(), std::make_pair(3, 9));
  Other->setFocus();
  QCoreApplication::processEvents();
  EXPECT_FALSE(E->Selecting());
  EXPECT_EQ(E->GridState(), gsNormal);
  Move(Hex(20));
  EXPECT_EQ(Sel(), std::make_pair(3, 9)) << "no more tracking";
  Release(Hex(20));
  EXPECT_EQ(Sel(), std::make_pair(3, 9));
}

}  // namespace
}  // namespace vexa
