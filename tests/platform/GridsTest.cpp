#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QStyleHints>
#include <QGuiApplication>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <vector>

#include "TestSupport.h"
#include "platform/Grids.h"
#include "platform/SysUtils.h"

namespace vexa {
namespace {

// ---- the sparse axis ----------------------------------------------------------------------------

TEST(GridAxisTest, SpansAndLookupsWithHiddenAndWideCells) {
  TGridAxis a;
  a.SetCount(10);
  a.SetDefaultSize(10);
  a.SetLineWidth(1);
  a.SetSize(2, 0);   // hidden
  a.SetSize(4, 30);  // wide
  // Extents: 11 11 0 11 31 11 11 11 11 11
  EXPECT_EQ(a.Extent(2), 0);
  EXPECT_EQ(a.Extent(4), 31);
  EXPECT_EQ(a.StoredSizes(), 2);

  struct SpanCase { int from, to; int64_t span; };
  for (const SpanCase& c : {SpanCase{0, 0, 0}, {0, 1, 11}, {0, 3, 22}, {2, 3, 0}, {0, 5, 64}, {3, 10, 97}, {5, 3, 0}}) {
    SCOPED_TRACE(testing::Message() << c.from << ".." << c.to);
    EXPECT_EQ(a.Span(c.from, c.to), c.span);
  }

  struct AtCase { int from; int64_t px; int cell; };
  for (const AtCase& c : {AtCase{0, 0, 0}, {0, 10, 0}, {0, 11, 1}, {0, 21, 1}, {0, 22, 3}, {0, 33, 4},
                          {0, 63, 4}, {0, 64, 5}, {0, 118, 9}, {0, 119, -1}, {0, -1, -1}, {3, 0, 3}, {3, 11, 4}}) {
    SCOPED_TRACE(testing::Message() << "from " << c.from << " px " << c.px);
    EXPECT_EQ(a.CellAt(c.from, a.Count(), c.px), c.cell);
  }
  EXPECT_EQ(a.CellAt(0, 2, 22), -1) << "the range bound is honoured";

  // Cells [0, c] fitting into a room.
  EXPECT_EQ(a.LastFitting(0, 10, 10), -1);
  EXPECT_EQ(a.LastFitting(0, 10, 11), 0);
  EXPECT_EQ(a.LastFitting(0, 10, 22), 2) << "a hidden cell after a fitting one fits too";
  EXPECT_EQ(a.LastFitting(0, 10, 63), 3);
  EXPECT_EQ(a.LastFitting(0, 10, 1000), 9);

  // First start that shows the end of the range within the room.
  EXPECT_EQ(a.FirstFittingStart(0, 10, 55), 5);
  EXPECT_EQ(a.FirstFittingStart(0, 10, 54), 6);
  EXPECT_EQ(a.FirstFittingStart(0, 5, 31), 4);
  EXPECT_EQ(a.FirstFittingStart(0, 5, 20), 4) << "a cell larger than the room still starts the view";
  EXPECT_EQ(a.FirstFittingStart(0, 10, 1000), 0);
}

TEST(GridAxisTest, DefaultSizeAndCountChangesDropIndividualSizes) {
  TGridAxis a;
  a.SetCount(100);
  a.SetDefaultSize(5);
  a.SetSize(10, 7);
  a.SetSize(90, 9);
  a.SetSize(11, 5);  // equal to the default: not stored
  EXPECT_EQ(a.StoredSizes(), 2);
  a.SetCount(50);
  EXPECT_EQ(a.StoredSizes(), 1);
  EXPECT_EQ(a.Span(0, 50), 50 * 5 + 2);
  a.SetCount(100);
  EXPECT_EQ(a.Size(90), 5) << "a dropped size does not come back";
  a.SetDefaultSize(6);
  EXPECT_EQ(a.StoredSizes(), 0);
  EXPECT_EQ(a.Size(10), 6);
}

TEST(GridAxisTest, HundredMillionCellsNeedNoStorage) {
  TGridAxis a;
  a.SetCount(100'000'000);
  a.SetDefaultSize(17);
  a.SetSize(0, 20);
  a.SetSize(1, 0);
  EXPECT_EQ(a.Span(0, a.Count()), int64_t{99'999'998} * 17 + 20);
  EXPECT_EQ(a.CellAt(0, a.Count(), a.Span(0, a.Count()) - 1), 99'999'999);
  EXPECT_EQ(a.FirstFittingStart(2, a.Count(), 17 * 30), 100'000'000 - 30);
  EXPECT_EQ(a.StoredSizes(), 2);
}

// ---- a grid on screen ------------------------------------------------------------------------------

class TestGrid : public TCustomGrid {
public:
  using TCustomGrid::Canvas;
  using TCustomGrid::TimerScroll;

  std::function<bool(int, int)> Accept;
  std::vector<TGridCoord> Asked;
  int TopLeftChanges = 0;
  std::vector<std::pair<uint16_t, TShiftState>> Keys;
  std::vector<uint8_t> Chars;
  std::vector<TMessage> Messages;
  std::vector<std::pair<bool, bool>> ShiftAndLeftDuringSelect;
  int Enters = 0, Exits = 0, Paints = 0, Resizes = 0;
  QRect LastUpdateRect;
  bool ShiftSeenInKeyDown = false;
  // Entry points that throw when set.
  bool ThrowInKeyDown = false, ThrowInPaint = false, ThrowInMouseDown = false, ThrowInWndProc = false,
       ThrowInSelectCell = false;
  bool WantTabs = false;

protected:
  bool SelectCell(int ACol, int ARow) override {
    if (ThrowInSelectCell) throw std::runtime_error("select failed");
    Asked.push_back({ACol, ARow});
    ShiftAndLeftDuringSelect.push_back({IsKeyDown(VK_SHIFT), IsMouseButtonDown(mbLeft)});
    return Accept ? Accept(ACol, ARow) : true;
  }
  void TopLeftChanged() override {
    ++TopLeftChanges;
    TCustomGrid::TopLeftChanged();
  }
  void KeyDown(uint16_t& Key, TShiftState Shift) override {
    if (ThrowInKeyDown) throw Exception(QStringLiteral("key failed"));
    Keys.push_back({Key, Shift});
    ShiftSeenInKeyDown = IsKeyDown(VK_SHIFT);
    TCustomGrid::KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override {
    Chars.push_back(static_cast<uint8_t>(Key));
    TCustomGrid::KeyPress(Key);
  }
  void Paint() override {
    ++Paints;
    LastUpdateRect = UpdateRect();
    if (ThrowInPaint) throw Exception(QStringLiteral("paint failed"));
    TCustomGrid::Paint();
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    if (ThrowInMouseDown) throw std::runtime_error("mouse failed");
    TCustomGrid::MouseDown(Button, Shift, X, Y);
  }
  void WndProc(TMessage& Message) override {
    if (Message.Msg >= 0xB000) {
      if (ThrowInWndProc) throw Exception(QStringLiteral("message failed"));
      Messages.push_back(Message);
      return;
    }
    TCustomGrid::WndProc(Message);
    if (Message.Msg == WM_GETDLGCODE && WantTabs) Message.Result |= DLGC_WANTTAB;
  }
  void DoEnter() override {
    ++Enters;
    TCustomGrid::DoEnter();
  }
  void DoExit() override {
    ++Exits;
    TCustomGrid::DoExit();
  }
  void Resize() override { ++Resizes; }
};

// A shown, active window holding a grid (and a second focusable widget for Tab tests).
class GridTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::TakeShownExceptions();
    FWindow = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(FWindow.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    G = new TestGrid;
    G->setFrameShape(QFrame::NoFrame);
    layout->addWidget(G);
    FOther = new QWidget;
    FOther->setFocusPolicy(Qt::StrongFocus);
    FOther->setFixedHeight(0);
    layout->addWidget(FOther);
    G->SetScrollBars(ssNone);
    FWindow->resize(400, 300);
    FWindow->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(FWindow.get()));
    QApplication::setActiveWindow(FWindow.get());
    G->setFocus();
    QCoreApplication::processEvents();
  }
  void TearDown() override {
    FWindow.reset();
    EXPECT_TRUE(test::TakeShownExceptions().isEmpty());
  }
  QWidget* VP() const { return G->viewport(); }
  // Sets an even layout: cols x rows cells of w x h, with fixed counts.
  void Layout(int cols, int rows, int w, int h, int fixedCols, int fixedRows, TGridOptions options = {}) {
    G->SetOptions(options);
    G->SetColCount(cols);
    G->SetRowCount(rows);
    G->SetFixedCols(fixedCols);
    G->SetFixedRows(fixedRows);
    G->SetDefaultColWidth(w);
    G->SetDefaultRowHeight(h);
  }
  QPoint Center(int c, int r) const { return G->CellRect(c, r).center(); }

  std::unique_ptr<QWidget> FWindow;
  TestGrid* G = nullptr;
  QWidget* FOther = nullptr;
};

// ---- geometry ----

struct GeometryCase {
  const char* name;
  TGridOptions options;
  int leftCol, topRow;
};

class GridGeometryTest : public GridTest, public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(GridGeometryTest, CellRectAndMouseCoordAgree) {
  const GeometryCase& p = GetParam();
  Layout(24, 60, 20, 10, 2, 2, p.options);
  G->SetColWidths(0, 35);
  G->SetColWidths(1, 6);
  G->SetColWidths(4, 0);   // hidden scrolled column
  G->SetColWidths(6, 41);
  G->SetRowHeights(0, 0);  // hidden fixed row
  G->SetRowHeights(1, 13);
  G->SetRowHeights(5, 0);  // hidden scrolled row
  G->SetRowHeights(7, 25);
  G->SetLeftCol(p.leftCol);
  G->SetTopRow(p.topRow);
  ASSERT_EQ(G->LeftCol(), p.leftCol);
  ASSERT_EQ(G->TopRow(), p.topRow);
  const int line = p.options & (goVertLine | goFixedVertLine) ? 1 : 0;

  int shown = 0;
  for (int r = 0; r < G->RowCount(); ++r) {
    for (int c = 0; c < G->ColCount(); ++c) {
      SCOPED_TRACE(testing::Message() << "cell " << c << "," << r);
      const QRect rect = G->CellRect(c, r);
      const bool scrolledOut = (c >= 2 && c < G->LeftCol()) || (r >= 2 && r < G->TopRow());
      const bool hidden = c == 4 || r == 0 || r == 5;
      if (scrolledOut || hidden) {
        EXPECT_TRUE(rect.isEmpty());
        continue;
      }
      if (rect.isEmpty()) continue;  // beyond the client area
      ++shown;
      EXPECT_EQ(rect.width(), G->ColWidths(c));
      EXPECT_EQ(rect.height(), G->RowHeights(r));
      for (QPoint pt : {rect.topLeft(), rect.bottomRight(), rect.center()}) {
        if (pt.x() >= VP()->width() || pt.y() >= VP()->height()) continue;
        EXPECT_EQ(G->MouseCoord(pt.x(), pt.y()), (TGridCoord{c, r})) << pt.x() << "," << pt.y();
      }
      // Neighbouring cells follow without gaps or overlap.
      const QRect right = G->CellRect(c + 1, r);
      if (c + 1 < G->ColCount() && !right.isEmpty() && c + 1 != G->FixedCols()) {
        EXPECT_EQ(right.left(), rect.right() + 1 + line);
      }
    }
  }
  EXPECT_GT(shown, 20);
  // The first scrolled column starts right after the fixed ones.
  EXPECT_EQ(G->CellRect(G->LeftCol(), 2 < G->TopRow() ? G->TopRow() : 2).left(), 35 + 6 + 2 * line);
  // Outside every cell.
  EXPECT_EQ(G->MouseCoord(-1, 5), (TGridCoord{-1, -1}));
  EXPECT_EQ(G->MouseCoord(5, VP()->height()), (TGridCoord{-1, -1}));
  G->SetColCount(3);
  EXPECT_EQ(G->MouseCoord(VP()->width() - 1, 20), (TGridCoord{-1, -1})) << "right of the last column";
}

INSTANTIATE_TEST_SUITE_P(Layouts, GridGeometryTest,
                         ::testing::Values(GeometryCase{"NoLines", TGridOptions(goThumbTracking), 2, 2},
                                           GeometryCase{"Lines", TGridOptions(goVertLine) | goHorzLine |
                                                                     goFixedVertLine | goFixedHorzLine, 2, 2},
                                           GeometryCase{"ScrolledNoLines", TGridOptions(goThumbTracking), 5, 6},
                                           GeometryCase{"ScrolledLines", TGridOptions(goVertLine) | goHorzLine |
                                                                             goFixedVertLine | goFixedHorzLine, 5, 6}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GridTest, DrawInfoDescribesTheVisibleExtent) {
  Layout(6, 100, 50, 10, 1, 2);
  G->SetRowHeights(0, 14);
  G->SetRowHeights(1, 0);
  TGridDrawInfo di;
  G->CalcDrawInfo(di);
  EXPECT_EQ(di.Horz.FixedBoundary, 50);
  EXPECT_EQ(di.Horz.GridExtent, VP()->width());
  EXPECT_EQ(di.Horz.GridBoundary, std::min(VP()->width(), 300)) << "six columns of 50";
  EXPECT_EQ(di.Vert.FixedBoundary, 14);
  EXPECT_EQ(di.Vert.FirstGridCell, 2);
  EXPECT_EQ(di.Vert.GridBoundary, VP()->height());
  const int fullRows = (VP()->height() - 14) / 10;
  EXPECT_EQ(di.Vert.LastFullVisibleCell, 2 + fullRows - 1);
  EXPECT_EQ(di.Vert.FullVisBoundary, 14 + fullRows * 10);
  EXPECT_EQ(G->VisibleRowCount(), fullRows);
  EXPECT_EQ(G->VisibleColCount(), 5);
  // BoxRect spans fixed and scrolled cells and is clipped to the client area.
  EXPECT_EQ(G->BoxRect(0, 0, 2, 2), QRect(0, 0, 150, 24));
  EXPECT_EQ(G->BoxRect(3, 2, 5, 99), QRect(150, 14, 150, VP()->height() - 14));
  G->SetTopRow(10);
  EXPECT_TRUE(G->BoxRect(0, 2, 5, 9).isEmpty()) << "rows scrolled out";
}

// ---- the current cell ----

TEST_F(GridTest, SelectCellRefusesOrRedirects) {
  Layout(10, 50, 20, 10, 2, 2);
  G->MoveColRow(3, 4, true, true);
  ASSERT_EQ(G->Col(), 3);
  G->Accept = [](int c, int) { return c != 7; };
  G->MoveColRow(7, 9, true, true);
  EXPECT_EQ(G->Col(), 3);
  EXPECT_EQ(G->Row(), 4);
  EXPECT_EQ(G->Asked.back(), (TGridCoord{7, 9}));
  // A hook that moves the cell elsewhere and refuses the original target.
  G->Accept = [this](int c, int r) {
    if (c == 7) {
      G->MoveColRow(6, r, true, true);
      return false;
    }
    return true;
  };
  G->MoveColRow(7, 9, true, true);
  EXPECT_EQ(G->Col(), 6);
  EXPECT_EQ(G->Row(), 9);
  // Out of the grid: raises and asks nobody.
  const size_t asked = G->Asked.size();
  EXPECT_THROW(G->MoveColRow(10, 0, true, true), Exception);
  EXPECT_THROW(G->MoveColRow(0, -1, true, true), Exception);
  EXPECT_EQ(G->Asked.size(), asked);
}

TEST_F(GridTest, AnchorFollowsOnlyWhenAsked) {
  Layout(10, 50, 20, 10, 1, 1, goRangeSelect);
  G->MoveColRow(2, 2, true, false);
  G->MoveColRow(5, 6, false, false);
  EXPECT_EQ(G->Anchor(), (TGridCoord{2, 2}));
  EXPECT_EQ(G->Selection(), (TGridRect{2, 2, 5, 6}));
  G->SetOptions({});
  G->MoveColRow(4, 4, false, false);
  EXPECT_EQ(G->Anchor(), (TGridCoord{4, 4})) << "without range selection the anchor always follows";
}

TEST_F(GridTest, ShowScrollsTheCellIntoViewMinimally) {
  Layout(40, 200, 30, 10, 2, 2);
  const int rows = G->VisibleRowCount();
  const int cols = G->VisibleColCount();
  ASSERT_GT(rows, 3);
  ASSERT_GT(cols, 3);
  G->MoveColRow(2, 2 + rows - 1, true, true);
  EXPECT_EQ(G->TopRow(), 2) << "already fully visible";
  G->MoveColRow(2, 2 + rows, true, true);
  EXPECT_EQ(G->TopRow(), 3) << "one row down";
  G->MoveColRow(2, 150, true, true);
  EXPECT_EQ(G->TopRow(), 150 - rows + 1) << "the cell becomes the last fully visible row";
  EXPECT_EQ(G->CellRect(2, 150).bottom(), G->CellRect(2, 150 - rows + 1).top() + rows * 10 - 1);
  G->MoveColRow(2, 100, true, true);
  EXPECT_EQ(G->TopRow(), 100) << "up: the cell becomes the top row";
  G->MoveColRow(30, 100, true, true);
  EXPECT_EQ(G->LeftCol(), 30 - cols + 1);
  G->MoveColRow(2, 100, true, true);
  EXPECT_EQ(G->LeftCol(), 2);
  const int changes = G->TopLeftChanges;
  G->MoveColRow(2, 199, true, false);
  EXPECT_EQ(G->TopRow(), 100) << "Show false does not scroll";
  EXPECT_EQ(G->TopLeftChanges, changes);
}

TEST_F(GridTest, CountChangesKeepTheCurrentCellInside) {
  Layout(10, 50, 20, 10, 2, 2);
  G->MoveColRow(9, 40, true, true);
  G->SetRowCount(20);
  G->SetColCount(5);
  EXPECT_EQ(G->Row(), 19);
  EXPECT_EQ(G->Col(), 4);
  EXPECT_LE(G->TopRow(), G->MaxTopRow());
  EXPECT_THROW(G->SetFixedRows(20), Exception);
  EXPECT_THROW(G->SetFixedCols(-1), Exception);
  EXPECT_EQ(G->FixedRows(), 2);
  EXPECT_THROW(G->SetColWidths(5, 10), Exception);
  EXPECT_THROW(G->RowHeights(20), Exception);
}

// ---- scrolling ----

TEST_F(GridTest, ScrollBarScrollsByWholeRows) {
  G->SetScrollBars(ssBoth);
  Layout(5, 1000, 30, 10, 1, 2, goThumbTracking);
  QCoreApplication::processEvents();
  QScrollBar* vb = G->verticalScrollBar();
  EXPECT_EQ(vb->minimum(), 0);
  EXPECT_EQ(vb->maximum(), G->MaxTopRow() - 2);
  EXPECT_EQ(G->MaxTopRow(), 1000 - G->VisibleRowCount());
  EXPECT_EQ(vb->pageStep(), G->VisibleRowCount());
  const int changes = G->TopLeftChanges;
  vb->setValue(37);
  EXPECT_EQ(G->TopRow(), 39);
  EXPECT_EQ(G->TopLeftChanges, changes + 1);
  vb->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(G->TopRow(), 40);
  vb->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(G->TopRow(), 40 + G->VisibleRowCount());
  vb->setValue(vb->maximum());
  EXPECT_EQ(G->TopRow(), G->MaxTopRow());
  // Scrolling from the code moves the bar.
  G->SetTopRow(500);
  EXPECT_EQ(vb->value(), 498);
}

TEST_F(GridTest, ThumbTrackingDecidesWhenDraggingScrolls) {
  G->SetScrollBars(ssBoth);
  for (bool tracking : {true, false}) {
    SCOPED_TRACE(tracking);
    Layout(5, 1000, 30, 10, 1, 1, tracking ? TGridOptions(goThumbTracking) : TGridOptions());
    G->SetTopRow(1);
    QScrollBar* vb = G->verticalScrollBar();
    vb->setSliderDown(true);
    vb->setSliderPosition(100);
    EXPECT_EQ(G->TopRow(), tracking ? 101 : 1);
    vb->setSliderDown(false);
    EXPECT_EQ(G->TopRow(), 101);
  }
}

TEST_F(GridTest, WheelScrollsByWholeRowsPerNotch) {
  Layout(5, 1000, 30, 10, 1, 2);
  const int lines = QApplication::wheelScrollLines();
  auto wheel = [&](int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWheelEvent e(QPointF(20, 20), QPointF(VP()->mapToGlobal(QPoint(20, 20))), QPoint(), QPoint(0, delta),
                  Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(VP(), &e);
  };
  wheel(-120);
  EXPECT_EQ(G->TopRow(), 2 + lines);
  wheel(-60);
  EXPECT_EQ(G->TopRow(), 2 + lines) << "half a notch waits for the other half";
  wheel(-60);
  EXPECT_EQ(G->TopRow(), 2 + 2 * lines);
  wheel(-240, Qt::ControlModifier);
  EXPECT_EQ(G->TopRow(), 2 + 4 * lines) << "modified wheel scrolls the same";
  wheel(120);
  wheel(120);
  wheel(120);
  wheel(120);
  wheel(120);
  EXPECT_EQ(G->TopRow(), 2) << "stops at the first scrolled row";
  EXPECT_EQ(G->Row(), G->FixedRows()) << "the current cell does not move";
}

TEST_F(GridTest, HundredMillionRows) {
  G->SetScrollBars(ssBoth);
  Layout(20, 3, 20, 17, 2, 2, goThumbTracking);
  constexpr int kRows = 100'000'000;
  G->SetRowCount(kRows);
  QCoreApplication::processEvents();
  const int visible = G->VisibleRowCount();
  ASSERT_GT(visible, 5);
  EXPECT_EQ(G->Rows().StoredSizes(), 0);
  G->MoveColRow(5, kRows - 1, true, true);
  EXPECT_EQ(G->Row(), kRows - 1);
  EXPECT_EQ(G->TopRow(), kRows - visible);
  const QRect last = G->CellRect(5, kRows - 1);
  ASSERT_FALSE(last.isEmpty());
  EXPECT_LE(last.bottom(), VP()->height() - 1);
  EXPECT_EQ(G->MouseCoord(last.center().x(), last.center().y()), (TGridCoord{5, kRows - 1}));
  QScrollBar* vb = G->verticalScrollBar();
  EXPECT_EQ(vb->maximum(), kRows - visible - 2);
  EXPECT_EQ(vb->value(), vb->maximum());
  G->SetTopRow(2);
  vb->setValue(vb->maximum());
  EXPECT_EQ(G->TopRow(), kRows - visible);
  G->SetTopRow(kRows + 5);
  EXPECT_EQ(G->TopRow(), kRows - visible) << "no scrolling past the last full page";
  G->MoveColRow(5, 2, true, true);
  EXPECT_EQ(G->TopRow(), 2);
}

// ---- mouse ----

TEST_F(GridTest, DragMovesTheCurrentCellThroughSelectCell) {
  Layout(10, 100, 30, 12, 1, 1, goRangeSelect);
  QTest::mousePress(VP(), Qt::LeftButton, Qt::NoModifier, Center(2, 3));
  EXPECT_EQ(G->Col(), 2);
  EXPECT_EQ(G->Row(), 3);
  EXPECT_EQ(G->GridState(), gsSelecting);
  EXPECT_TRUE(G->AutoScrollActive());
  EXPECT_TRUE(G->ShiftAndLeftDuringSelect.back().second) << "the left button is down during the cell check";
  QTest::mouseMove(VP(), Center(4, 6));
  EXPECT_EQ(G->Col(), 4);
  EXPECT_EQ(G->Row(), 6);
  EXPECT_EQ(G->Anchor(), (TGridCoord{2, 3}));
  G->Accept = [](int c, int) { return c != 5; };
  QTest::mouseMove(VP(), Center(5, 7));
  EXPECT_EQ(G->Col(), 4) << "refused by SelectCell";
  QTest::mouseRelease(VP(), Qt::LeftButton, Qt::NoModifier, Center(6, 8));
  EXPECT_EQ(G->Col(), 6) << "the release point is tracked too";
  EXPECT_EQ(G->Row(), 8);
  EXPECT_EQ(G->GridState(), gsNormal);
  EXPECT_FALSE(G->AutoScrollActive());
  EXPECT_FALSE(IsMouseButtonDown(mbLeft));
  // Without the button, moving changes nothing.
  QTest::mouseMove(VP(), Center(3, 3));
  EXPECT_EQ(G->Col(), 6);
  // Pressing on a fixed cell does not move the cell.
  QTest::mouseClick(VP(), Qt::LeftButton, Qt::NoModifier, Center(0, 5));
  EXPECT_EQ(G->Col(), 6);
  EXPECT_EQ(G->Row(), 8);
}

TEST_F(GridTest, AutoscrollFollowsThePointerOutsideTheClientArea) {
  Layout(10, 100, 30, 12, 1, 1);
  const int visible = G->VisibleRowCount();
  QTest::mousePress(VP(), Qt::LeftButton, Qt::NoModifier, Center(2, 3));
  QTest::mouseMove(VP(), QPoint(Center(2, 3).x(), VP()->height() + 20));
  G->TimerScroll();
  EXPECT_EQ(G->TopRow(), 2);
  EXPECT_EQ(G->Row(), 2 + visible - 1) << "the last fully visible row";
  G->TimerScroll();
  G->TimerScroll();
  EXPECT_EQ(G->TopRow(), 4);
  EXPECT_EQ(G->Row(), 4 + visible - 1);
  // The real timer keeps going while the pointer stays outside.
  QElapsedTimer t;
  t.start();
  while (G->TopRow() < 8 && t.elapsed() < 3000) QTest::qWait(20);
  EXPECT_GE(G->TopRow(), 8);
  QTest::mouseMove(VP(), QPoint(Center(2, 3).x(), -30));
  const int top = G->TopRow();
  G->TimerScroll();
  EXPECT_EQ(G->TopRow(), top - 1);
  EXPECT_EQ(G->Row(), top - 1);
  QTest::mouseRelease(VP(), Qt::LeftButton, Qt::NoModifier, QPoint(Center(2, 3).x(), -30));
  EXPECT_FALSE(G->AutoScrollActive());
  const int after = G->TopRow();
  G->TimerScroll();
  EXPECT_EQ(G->TopRow(), after) << "no scrolling once the drag ended";
}

// ---- keyboard ----

struct KeyCase {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers mods;
  QString text;
  uint16_t vk;
  TShiftState shift;
  int ch;  // -1: no character
};

class GridKeyTest : public GridTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(GridKeyTest, KeyEventsReachKeyDownAndKeyPress) {
  const KeyCase& k = GetParam();
  Layout(10, 100, 30, 12, 1, 1);
  QTest::sendKeyEvent(QTest::Press, G, k.key, k.text, k.mods);
  QTest::sendKeyEvent(QTest::Release, G, k.key, k.text, k.mods);
  // Qt Test presses the modifier keys first; those are keys of their own.
  std::erase_if(G->Keys, [](const auto& e) { return e.first == VK_SHIFT || e.first == VK_CONTROL || e.first == VK_MENU; });
  if (k.vk) {
    ASSERT_EQ(G->Keys.size(), 1u);
    EXPECT_EQ(G->Keys[0].first, k.vk);
    EXPECT_EQ(G->Keys[0].second, k.shift);
  } else {
    EXPECT_TRUE(G->Keys.empty());
  }
  if (k.ch >= 0) {
    ASSERT_EQ(G->Chars.size(), 1u);
    EXPECT_EQ(G->Chars[0], k.ch);
  } else {
    EXPECT_TRUE(G->Chars.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, GridKeyTest,
    ::testing::Values(
        KeyCase{"Left", Qt::Key_Left, Qt::NoModifier, QString(), VK_LEFT, {}, -1},
        KeyCase{"ShiftDown", Qt::Key_Down, Qt::ShiftModifier, QString(), VK_DOWN, ssShift, -1},
        KeyCase{"CtrlHome", Qt::Key_Home, Qt::ControlModifier, QString(), VK_HOME, ssCtrl, -1},
        KeyCase{"PageDown", Qt::Key_PageDown, Qt::NoModifier, QString(), VK_NEXT, {}, -1},
        KeyCase{"F5", Qt::Key_F5, Qt::NoModifier, QString(), VK_F5, {}, -1},
        KeyCase{"Insert", Qt::Key_Insert, Qt::NoModifier, QString(), VK_INSERT, {}, -1},
        KeyCase{"Delete", Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"), VK_DELETE, {}, -1},
        KeyCase{"Backspace", Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"), VK_BACK, {}, 8},
        KeyCase{"Return", Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), VK_RETURN, {}, 13},
        KeyCase{"Escape", Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"), VK_ESCAPE, {}, 27},
        KeyCase{"LetterA", Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), 'A', {}, 'a'},
        KeyCase{"ShiftA", Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"), 'A', ssShift, 'A'},
        KeyCase{"CtrlZ", Qt::Key_Z, Qt::ControlModifier, QStringLiteral("\x1a"), 'Z', ssCtrl, 0x1A},
        KeyCase{"AltX", Qt::Key_X, Qt::AltModifier, QStringLiteral("x"), 'X', ssAlt, -1},
        KeyCase{"Digit7", Qt::Key_7, Qt::NoModifier, QStringLiteral("7"), '7', {}, '7'},
        KeyCase{"Keypad7", Qt::Key_7, Qt::KeypadModifier, QStringLiteral("7"), VK_NUMPAD0 + 7, {}, '7'},
        KeyCase{"Minus", Qt::Key_Minus, Qt::NoModifier, QStringLiteral("-"), VK_OEM_MINUS, {}, '-'},
        KeyCase{"EAcute", Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)), 0, {}, 0xE9},
        KeyCase{"Euro", Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x20AC)), 0, {}, 0x80},
        KeyCase{"SCaron", Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x0160)), 0, {}, 0x8A},
        KeyCase{"CyrillicZhe", Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x0416)), 0, {}, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GridTest, ShiftStateIsKnownWhileTheKeyIsHeld) {
  Layout(10, 100, 30, 12, 1, 1);
  QTest::keyPress(G, Qt::Key_Shift);
  EXPECT_TRUE(IsKeyDown(VK_SHIFT));
  QTest::keyClick(G, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_TRUE(G->ShiftSeenInKeyDown);
  QTest::keyRelease(G, Qt::Key_Shift);
  EXPECT_FALSE(IsKeyDown(VK_SHIFT));
  QTest::keyClick(G, Qt::Key_Right);
  EXPECT_FALSE(G->ShiftSeenInKeyDown);
  // Keys and buttons that went to another widget count too.
  QTest::keyPress(FOther, Qt::Key_Control);
  EXPECT_TRUE(IsKeyDown(VK_CONTROL));
  QTest::keyRelease(FOther, Qt::Key_Control);
  EXPECT_FALSE(IsKeyDown(VK_CONTROL));
  QTest::mousePress(FWindow.get(), Qt::RightButton, Qt::NoModifier, QPoint(1, 1));
  EXPECT_TRUE(IsMouseButtonDown(mbRight));
  EXPECT_FALSE(IsMouseButtonDown(mbLeft));
  QTest::mouseRelease(FWindow.get(), Qt::RightButton, Qt::NoModifier, QPoint(1, 1));
  EXPECT_FALSE(IsMouseButtonDown(mbRight));
}

TEST_F(GridTest, DefaultKeysMoveTheCurrentCell) {
  Layout(10, 100, 30, 12, 1, 1);
  QTest::keyClick(G, Qt::Key_Down);
  QTest::keyClick(G, Qt::Key_Right);
  EXPECT_EQ(G->Col(), 2);
  EXPECT_EQ(G->Row(), 2);
  QTest::keyClick(G, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(G->Row(), 99);
  EXPECT_EQ(G->TopRow(), G->MaxTopRow());
  QTest::keyClick(G, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(G->Row(), 1);
  EXPECT_EQ(G->TopRow(), 1);
  G->OnKeyDown = [](QObject*, uint16_t& key, TShiftState) { key = 0; };
  QTest::keyClick(G, Qt::Key_Down);
  EXPECT_EQ(G->Row(), 1) << "a handler that clears the key stops the grid's own handling";
}

TEST_F(GridTest, TabReachesTheGridOnlyWhenItAsksForIt) {
  Layout(10, 100, 30, 12, 1, 1);
  G->WantTabs = true;
  QTest::keyClick(G, Qt::Key_Tab);
  ASSERT_EQ(G->Keys.size(), 1u);
  EXPECT_EQ(G->Keys[0].first, VK_TAB);
  EXPECT_TRUE(G->hasFocus());
  QTest::keyClick(G, Qt::Key_Backtab, Qt::ShiftModifier);  // Shift, then Shift+Tab
  ASSERT_EQ(G->Keys.size(), 3u);
  EXPECT_EQ(G->Keys[2].first, VK_TAB);
  EXPECT_EQ(G->Keys[2].second, TShiftState(ssShift));
  G->WantTabs = false;
  QTest::keyClick(G, Qt::Key_Tab);
  EXPECT_EQ(G->Keys.size(), 3u);
  EXPECT_FALSE(G->hasFocus()) << "Tab moves the focus on";
}

// ---- focus, messages and errors ----

TEST_F(GridTest, FocusRunsDoEnterAndDoExit) {
  ASSERT_TRUE(G->hasFocus());
  EXPECT_TRUE(G->Focused());
  const int enters = G->Enters;
  FOther->setFocus();
  EXPECT_EQ(G->Exits, 1);
  EXPECT_FALSE(G->Focused());
  QTest::mouseClick(VP(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_TRUE(G->Focused()) << "a click focuses the grid";
  EXPECT_EQ(G->Enters, enters + 1);
}

TEST_F(GridTest, PostedMessagesReachWndProcOnTheNextTurn) {
  PostMessage(G, 0xB100, 7, -3);
  PostMessage(G, 0xB101, 0, 0);
  EXPECT_TRUE(G->Messages.empty());
  QCoreApplication::sendPostedEvents(G);
  ASSERT_EQ(G->Messages.size(), 2u);
  EXPECT_EQ(G->Messages[0].Msg, 0xB100u);
  EXPECT_EQ(G->Messages[0].WParam, 7u);
  EXPECT_EQ(G->Messages[0].LParam, -3);
  EXPECT_EQ(G->Messages[1].Msg, 0xB101u);
}

TEST_F(GridTest, ExceptionsInOverridesReachTheExceptionDisplay) {
  Layout(10, 100, 30, 12, 1, 1);
  struct Case {
    const char* name;
    bool TestGrid::*flag;
    std::function<void()> trigger;
    QString message;
  };
  const Case cases[] = {
      {"KeyDown", &TestGrid::ThrowInKeyDown, [&] { QTest::keyClick(G, Qt::Key_Left); }, QStringLiteral("key failed")},
      {"Paint", &TestGrid::ThrowInPaint, [&] { VP()->repaint(); }, QStringLiteral("paint failed")},
      {"MouseDown", &TestGrid::ThrowInMouseDown,
       [&] { QTest::mouseClick(VP(), Qt::LeftButton, Qt::NoModifier, Center(3, 3)); }, QStringLiteral("mouse failed")},
      {"WndProc", &TestGrid::ThrowInWndProc,
       [&] {
         PostMessage(G, 0xB100, 7, 0);
         QCoreApplication::sendPostedEvents(G);
       },
       QStringLiteral("message failed")},
      {"SelectCellFromClick", &TestGrid::ThrowInSelectCell,
       [&] { QTest::mouseClick(VP(), Qt::LeftButton, Qt::NoModifier, Center(4, 4)); }, QStringLiteral("select failed")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    G->*(c.flag) = true;
    c.trigger();
    G->*(c.flag) = false;
    EXPECT_EQ(test::TakeShownExceptions(), QStringList{c.message});
  }
  EXPECT_FALSE(G->AutoScrollActive());
}

// ---- painting and the caret ----

TEST_F(GridTest, PaintSeesTheUpdateRectOfAnInvalidatedCell) {
  Layout(10, 100, 30, 12, 1, 1, goThumbTracking);
  VP()->repaint();
  const QRect cell = G->CellRect(3, 4);
  G->InvalidateCell(3, 4);
  const int paints = G->Paints;
  VP()->repaint(cell);
  EXPECT_EQ(G->Paints, paints + 1);
  EXPECT_EQ(G->LastUpdateRect, cell);
  EXPECT_FALSE(G->Canvas()->Painting()) << "the canvas is released after the paint";
}

TEST_F(GridTest, CaretInvertsItsRectangleWhileShown) {
  Layout(10, 100, 30, 12, 1, 1, goThumbTracking);
  G->SetDefaultDrawing(false);
  G->SetColor(clWhite);
  auto pixel = [&](int x, int y) { return VP()->grab().toImage().pixelColor(x, y); };
  ASSERT_EQ(pixel(52, 52), QColor(Qt::white));

  QImage glyph(6, 8, QImage::Format_RGB32);
  glyph.fill(Qt::black);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 2; ++x) glyph.setPixelColor(x, y, Qt::white);  // a 2-pixel bar on the left
  ASSERT_TRUE(CreateCaret(G, glyph, 0, 0));
  ASSERT_TRUE(SetCaretPos(50, 50));
  EXPECT_FALSE(CaretVisible()) << "a new caret is hidden";
  EXPECT_EQ(pixel(50, 50), QColor(Qt::white));
  ASSERT_TRUE(ShowCaret(G));
  EXPECT_TRUE(CaretVisible());
  EXPECT_EQ(CaretRect(), QRect(50, 50, 6, 8));
  const QImage shown = VP()->grab().toImage();
  EXPECT_EQ(shown.pixelColor(50, 50), QColor(Qt::black));
  EXPECT_EQ(shown.pixelColor(51, 57), QColor(Qt::black));
  EXPECT_EQ(shown.pixelColor(52, 50), QColor(Qt::white)) << "black glyph pixels leave the picture";
  EXPECT_EQ(shown.pixelColor(50, 58), QColor(Qt::white));

  HideCaret(G);
  HideCaret(G);
  ShowCaret(G);
  EXPECT_FALSE(CaretVisible()) << "hiding nests";
  EXPECT_EQ(pixel(50, 50), QColor(Qt::white));
  ShowCaret(G);
  SetCaretPos(100, 60);
  const QImage moved = VP()->grab().toImage();
  EXPECT_EQ(moved.pixelColor(50, 50), QColor(Qt::white));
  EXPECT_EQ(moved.pixelColor(100, 60), QColor(Qt::black));

  // A caret without a glyph inverts its whole block; destroying it leaves the picture clean.
  ASSERT_TRUE(CreateCaret(G, QImage(), 3, 4));
  SetCaretPos(10, 10);
  ShowCaret(G);
  EXPECT_EQ(pixel(12, 13), QColor(Qt::black));
  EXPECT_EQ(pixel(13, 13), QColor(Qt::white));
  EXPECT_TRUE(DestroyCaret());
  EXPECT_EQ(pixel(12, 13), QColor(Qt::white));
  EXPECT_FALSE(ShowCaret(G));
  EXPECT_FALSE(SetCaretPos(1, 1));
}

TEST_F(GridTest, CaretBlinks) {
  const int flash = QGuiApplication::styleHints()->cursorFlashTime();
  if (flash <= 0) GTEST_SKIP() << "the platform does not blink";
  G->SetDefaultDrawing(false);
  G->SetColor(clWhite);
  ASSERT_TRUE(CreateCaret(G, QImage(), 4, 4));
  SetCaretPos(20, 20);
  ShowCaret(G);
  auto on = [&] { return VP()->grab().toImage().pixelColor(21, 21) == QColor(Qt::black); };
  EXPECT_TRUE(on());
  auto waitFor = [&](bool state) {
    QElapsedTimer t;
    t.start();
    while (on() != state && t.elapsed() < 2 * flash) QTest::qWait(20);
    return on() == state;
  };
  EXPECT_TRUE(waitFor(false));
  EXPECT_TRUE(waitFor(true));
  DestroyCaret();
}

TEST_F(GridTest, ResizingCallsResizeAndKeepsTheLastPageFull) {
  Layout(5, 100, 30, 10, 1, 1);
  G->SetTopRow(1000);
  const int oldMax = G->MaxTopRow();
  EXPECT_EQ(G->TopRow(), oldMax);
  const int resizes = G->Resizes;
  const int changes = G->TopLeftChanges;
  FWindow->resize(400, 500);
  QCoreApplication::processEvents();
  EXPECT_EQ(G->Resizes, resizes + 1);
  EXPECT_LT(G->MaxTopRow(), oldMax);
  EXPECT_EQ(G->TopRow(), G->MaxTopRow()) << "no empty space below the last row";
  EXPECT_EQ(G->TopLeftChanges, changes + 1);
}

TEST_F(GridTest, CaretDiesWithItsOwner) {
  ASSERT_TRUE(CreateCaret(G, QImage(), 2, 10));
  ShowCaret(G);
  EXPECT_EQ(CaretOwner(), G);
  FWindow.reset();
  EXPECT_EQ(CaretOwner(), nullptr);
  EXPECT_FALSE(CaretVisible());
}

}  // namespace
}  // namespace vexa
