// The undo storage on its own (record layout, trimming, refusals) with a small host, and the
// control's undo and redo driven through its editing primitives and real key events.

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "EditorFixture.h"
#include "TestSupport.h"
#include "hexeditor/UndoStorage.h"

namespace vexa {
namespace {

// ---- the storage alone ----------------------------------------------------------------------

class FakeHost : public TKorHUndoHost {
public:
  QByteArray Data = test::Pattern(64);
  int32_t ClaimedSize = -1;  // a size larger than Data, to reach the limits without memory
  TKorHUndoViewState State;
  int32_t UndoDataSize() override { return ClaimedSize >= 0 ? ClaimedSize : int32_t(Data.size()); }
  void UndoReadData(void* Buffer, int32_t Pos, int32_t Count) override {
    std::memcpy(Buffer, Data.constData() + Pos, size_t(Count));
  }
  bool UndoByteChanged(int32_t Pos) override { return Pos == 4; }
  TKorHUndoViewState UndoViewState() override { return State; }
};

int32_t IntAt(const TKorHUndoStorage& s, int64_t offset) {
  int32_t v;
  std::memcpy(&v, s.Memory() + offset, 4);
  return v;
}

QByteArray Bytes(const TKorHUndoStorage& s) {
  return QByteArray(reinterpret_cast<const char*>(s.Memory()), int(const_cast<TKorHUndoStorage&>(s).Size()));
}

class UndoStorageTest : public ::testing::Test {
protected:
  bool Add(TKorHUndoRecordKind kind, int32_t pos, int32_t count, int32_t repl = 0, const QString& d = {}) {
    return S.AddRecord(Host, kind, pos, count, repl, d);
  }
  FakeHost Host;
  TKorHUndoStorage S;
};

TEST_F(UndoStorageTest, RecordCarriesHeaderOldBytesDescriptionSelectionAndBothLengths) {
  Host.State.CaretPosition = 7;
  Host.State.Flags = rfModified | rfCharField | rfUnicode;
  Host.State.Translation = 3;
  Host.State.BytesPerUnit = 2;
  Host.State.SelectionStart = 4;
  Host.State.SelectionEnd = 5;
  Host.State.SelectionAnchor = 5;
  ASSERT_TRUE(Add(rkChangeBytes, 4, 2, 0, QStringLiteral("Typed")));

  // 30 + N (1) + 4, plus the description (5 + 4) and the selection (12).
  const int32_t L = 30 + 1 + 4 + 9 + 12;
  ASSERT_EQ(S.Size(), L);
  EXPECT_EQ(IntAt(S, 0), L);
  EXPECT_EQ(IntAt(S, L - 4), L);
  EXPECT_EQ(uint32_t(IntAt(S, 4)), (1u << rkChangeBytes) | rfByteChanged | rfModified | rfCharField | rfUnicode |
                                       rfHasSelection | rfHasDescription)
      << "byte 4 is marked, byte 5 is not";
  EXPECT_EQ(IntAt(S, 8), 7);
  EXPECT_EQ(IntAt(S, 12), 4);
  EXPECT_EQ(IntAt(S, 16), 2);
  EXPECT_EQ(IntAt(S, 20), 0);
  EXPECT_EQ(S.Memory()[24], 3);
  EXPECT_EQ(IntAt(S, 25), 2);
  EXPECT_EQ(Bytes(S).mid(29, 2), Host.Data.mid(4, 2)) << "the bytes before the change";
  EXPECT_EQ(Bytes(S).mid(31, 5), QByteArray("Typed"));
  EXPECT_EQ(IntAt(S, 36), 5);
  EXPECT_EQ(IntAt(S, 40), 4);
  EXPECT_EQ(IntAt(S, 44), 5);
  EXPECT_EQ(IntAt(S, 48), 5);

  TKorHUndoHeader h;
  QString d;
  ASSERT_TRUE(S.ReadTopHeader(h, d));
  EXPECT_EQ(d, "Typed");
  EXPECT_EQ(h.Kind(), rkChangeBytes);
  EXPECT_EQ(S.Description(), "Typed");
  EXPECT_EQ(S.RecordCount(), 1);
}

TEST_F(UndoStorageTest, ReplaceKeepsTheReplacedBytesAndBothCounts) {
  ASSERT_TRUE(Add(rkReplace, 10, 3, 5));  // 3 bytes replaced by 5, as the primitives pass them
  EXPECT_EQ(IntAt(S, 16), 5) << "count: the new length";
  EXPECT_EQ(IntAt(S, 20), 3) << "replaced count: the old length";
  EXPECT_EQ(Bytes(S).mid(29, 3), Host.Data.mid(10, 3));
  EXPECT_EQ(S.Size(), 30 + 2 + 4);
  EXPECT_EQ(S.Description(), "Replace");
}

TEST_F(UndoStorageTest, GroupDescriptionIsCutTo255Characters) {
  ASSERT_TRUE(Add(rkChangeBytes, 0, 1));
  ASSERT_TRUE(Add(rkChangeBytes, 1, 1));
  EXPECT_FALSE(Add(rkGroup, 0, 3, 0, {})) << "more records than exist";
  const int64_t start = S.Size();
  ASSERT_TRUE(Add(rkGroup, 0, 2, 0, QString(300, QChar('m'))));
  EXPECT_EQ(S.Memory()[start + 29], 255);
  EXPECT_EQ(Bytes(S).mid(start + 30, 255), QByteArray(255, 'm'));
  EXPECT_EQ(IntAt(S, start + 16), 2);
}

TEST_F(UndoStorageTest, TrimmingKeepsTheNewestRecordAndDropsOlderOnesBeyondTheLimit) {
  struct Case {
    int32_t maxUndo;
    int records;
    int expected;
  } cases[] = {{0, 5, 5}, {-1, 5, 5}, {100, 5, 2}, {10, 3, 1}};
  for (const Case& c : cases) {
    TKorHUndoStorage s;
    s.SetMaxUndo(c.maxUndo);
    for (int i = 0; i < c.records; ++i) ASSERT_TRUE(s.AddRecord(Host, rkChangeBytes, i, 20, 0, {}));
    EXPECT_EQ(s.RecordCount(), c.expected) << "MaxUndo " << c.maxUndo;
    EXPECT_EQ(s.Size(), c.expected * (30 + 19 + 4)) << "MaxUndo " << c.maxUndo;
    TKorHUndoHeader h;
    QString d;
    ASSERT_TRUE(s.ReadTopHeader(h, d));
    EXPECT_EQ(h.Position, c.records - 1) << "the newest record stays";
    EXPECT_EQ(IntAt(s, 12), c.records - c.expected) << "the oldest kept record is first";
  }
}

TEST_F(UndoStorageTest, RecordLargerThanTheLimitStaysUntilTheNextOne) {
  S.SetMaxUndo(40);
  ASSERT_TRUE(Add(rkRemove, 0, 50));
  EXPECT_EQ(S.RecordCount(), 1);
  ASSERT_TRUE(Add(rkChangeBytes, 0, 1));
  EXPECT_EQ(S.RecordCount(), 1);
  EXPECT_EQ(S.Size(), 34);
}

TEST_F(UndoStorageTest, DamagedOldestRecordIsNotCutAsGarbage) {
  S.SetMaxUndo(60);
  ASSERT_TRUE(Add(rkChangeBytes, 0, 1));
  ASSERT_TRUE(Add(rkChangeBytes, 1, 1));
  std::memset(S.Memory(), 0, 4);  // the oldest record's length field
  ASSERT_TRUE(Add(rkChangeBytes, 2, 1));
  EXPECT_EQ(S.RecordCount(), 1);
  EXPECT_EQ(S.Size(), 34);
  EXPECT_EQ(IntAt(S, 12), 2);
}

TEST_F(UndoStorageTest, RefusedRecordChangesNothing) {
  ASSERT_TRUE(Add(rkChangeBytes, 0, 1));
  S.SetRedoBlock(std::make_unique<TKorHRedoBlock>());
  const QByteArray before = Bytes(S);
  struct Case {
    const char* name;
    TKorHUndoRecordKind kind;
    int32_t pos, count, repl, claimed;
  } cases[] = {
      {"bytes beyond the data", rkRemove, 60, 10, 0, -1},
      {"negative position", rkChangeBytes, -1, 1, 0, -1},
      {"negative count", rkInsert, 0, -5, 0, -1},
      {"record beyond 2 GiB", rkRemove, 0, INT32_MAX - 20, 0, INT32_MAX},
  };
  for (const Case& c : cases) {
    Host.ClaimedSize = c.claimed;
    EXPECT_FALSE(Add(c.kind, c.pos, c.count, c.repl)) << c.name;
    EXPECT_EQ(Bytes(S), before) << c.name;
    EXPECT_EQ(S.RecordCount(), 1) << c.name;
    EXPECT_TRUE(S.CanRedo()) << c.name << ": the redo step survives a refused record";
    EXPECT_EQ(S.Description(), "Change byte(s)") << c.name;
  }
}

TEST_F(UndoStorageTest, RecordWithoutMemoryIsRefused) {
  // A removal claimed larger than the memory the child process may have.
  ASSERT_TRUE(Add(rkChangeBytes, 0, 1));
  const QByteArray before = Bytes(S);
  Host.ClaimedSize = 1500 << 20;
  const int result = test::RunWithMemoryLimit(int64_t(1) << 30, [&] {
    if (Add(rkRemove, 0, 1400 << 20)) return 1;
    return Bytes(S) == before && S.RecordCount() == 1 ? 0 : 2;
  });
  EXPECT_EQ(result, 0);
}

TEST_F(UndoStorageTest, TopSelectionIsAddedToARecordWithoutOne) {
  ASSERT_TRUE(Add(rkReplace, 8, 4, 4));
  S.SetTopSelection(8, 4);
  const int32_t L = 30 + 3 + 4 + 12;
  ASSERT_EQ(S.Size(), L);
  EXPECT_EQ(IntAt(S, 0), L);
  EXPECT_EQ(IntAt(S, L - 4), L);
  EXPECT_TRUE(uint32_t(IntAt(S, 4)) & rfHasSelection);
  EXPECT_EQ(IntAt(S, 8), 8) << "caret position";
  int32_t start, end, anchor;
  ASSERT_TRUE(S.TopSelection(start, end, anchor));
  EXPECT_EQ(start, 8);
  EXPECT_EQ(end, 11);
  EXPECT_EQ(anchor, 8);
  S.SetTopSelection(3, 0);
  EXPECT_EQ(S.Size(), L) << "a second call reuses the triple";
  ASSERT_TRUE(S.TopSelection(start, end, anchor));
  EXPECT_EQ(end, -1);
}

TEST_F(UndoStorageTest, SuspendedStorageRecordsNothingAndCannotUndo) {
  ASSERT_TRUE(Add(rkChangeBytes, 0, 1));
  EXPECT_EQ(S.Suspend(), 1);
  EXPECT_FALSE(S.CanUndo());
  EXPECT_TRUE(Add(rkChangeBytes, 1, 1));
  EXPECT_EQ(S.RecordCount(), 1);
  EXPECT_EQ(S.Resume(), 0);
  EXPECT_EQ(S.Resume(), 0) << "never below 0";
  EXPECT_TRUE(S.CanUndo());
}

TEST_F(UndoStorageTest, RemovingTheTopRecordMakesTheNextDescriptionCurrentAndRestoresIt) {
  ASSERT_TRUE(Add(rkRemove, 0, 2, 0, QStringLiteral("Cut")));
  ASSERT_TRUE(Add(rkChangeBytes, 0, 1));
  const QByteArray full = Bytes(S);
  S.RemoveTopRecord();
  EXPECT_EQ(S.Description(), "Cut");
  EXPECT_EQ(S.RecordCount(), 1);
  EXPECT_EQ(S.LastUndoneDescription(), "Change byte(s)");
  S.RestoreLastUndone();
  EXPECT_EQ(Bytes(S), full);
  EXPECT_EQ(S.RecordCount(), 2);
  EXPECT_EQ(S.Description(), "Change byte(s)");
}

// ---- the control ----------------------------------------------------------------------------

class UndoTest : public test::EditorTest {
protected:
  void SetUp() override {
    test::TakeShownExceptions();
    test::EditorTest::SetUp();
    Editor->SetReadOnlyView(false);
    Editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Editor.get()));
    QApplication::setActiveWindow(Editor.get());
    Editor->setFocus();
    QCoreApplication::processEvents();
    Editor->OnChange = [this](TCustomKorHexEditor*) { ++Changes; };
  }
  void TearDown() override { EXPECT_TRUE(test::TakeShownExceptions().isEmpty()); }

  void Load(const QByteArray& bytes) {
    test::WriteFile(Path("d.bin"), bytes);
    Editor->LoadFromFile(Path("d.bin"));
    Changes = 0;
  }
  QByteArray Data() {
    QByteArray out(Editor->DataSize(), '\0');
    if (!out.isEmpty()) Editor->ReadBuffer(out.data(), 0, out.size());
    return out;
  }
  QByteArray Stream() { return Bytes(Editor->UndoStorage()); }
  void CtrlKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
    QTest::sendKeyEvent(QTest::Click, Editor.get(), key, QString(QChar(key - Qt::Key_A + 1)), mods);
  }
  std::pair<int, int> Cell() const { return {Editor->Col(), Editor->Row()}; }
  std::pair<int, int> HexCell(int32_t pos, int nibble = 0) const {
    int c, r;
    Editor->GetCellAtPos(pos, false, c, r);
    return {c + nibble, r};
  }

  int Changes = 0;
};

TEST_F(UndoTest, TypedDigitIsUndoneByCtrlZAndRedoneByCtrlShiftZ) {
  Load(QByteArray("\x3C\x10", 2));
  ASSERT_EQ(Cell(), HexCell(0));
  QTest::keyClick(Editor.get(), Qt::Key_A);
  ASSERT_EQ(uint8_t(Editor->ByteAt(0)), 0xAC);
  ASSERT_TRUE(Editor->IsByteChanged(0));
  ASSERT_EQ(Cell(), HexCell(0, 1));
  ASSERT_TRUE(Editor->CanUndo());
  const QByteArray recorded = Stream();

  Changes = 0;
  CtrlKey(Qt::Key_Z);
  EXPECT_EQ(uint8_t(Editor->ByteAt(0)), 0x3C);
  EXPECT_FALSE(Editor->IsByteChanged(0));
  EXPECT_EQ(Cell(), HexCell(0));
  EXPECT_FALSE(Editor->Modified());
  EXPECT_FALSE(Editor->CanUndo());
  EXPECT_TRUE(Editor->CanRedo());
  EXPECT_EQ(Editor->RedoDescription(), "Change byte(s)");
  EXPECT_GE(Changes, 1) << "undo reports the change";

  CtrlKey(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(uint8_t(Editor->ByteAt(0)), 0xAC);
  EXPECT_TRUE(Editor->IsByteChanged(0));
  EXPECT_EQ(Cell(), HexCell(0, 1)) << "on the second nibble, as after typing";
  EXPECT_TRUE(Editor->Modified());
  EXPECT_FALSE(Editor->CanRedo()) << "one redo step only";
  EXPECT_EQ(Stream(), recorded) << "the undone record is back on the stack unchanged";
  EXPECT_FALSE(Editor->Redo());
}

TEST_F(UndoTest, MarkCarriedBeforeTheChangeComesBack) {
  Load(QByteArray("\x00\x00", 2));
  QTest::keyClick(Editor.get(), Qt::Key_1);  // byte 0 becomes 10, marked
  Editor->MoveColRow(HexCell(0).first, HexCell(0).second, true, true);
  QTest::keyClick(Editor.get(), Qt::Key_2);  // and 20
  Editor->Undo();
  EXPECT_EQ(uint8_t(Editor->ByteAt(0)), 0x10);
  EXPECT_TRUE(Editor->IsByteChanged(0)) << "the first change's mark stays";
  EXPECT_TRUE(Editor->Modified());
  Editor->Undo();
  EXPECT_FALSE(Editor->IsByteChanged(0));
  EXPECT_FALSE(Editor->Modified());
}

TEST_F(UndoTest, EveryEditIsUndoneAndRedone) {
  struct Case {
    const char* name;
    std::function<void(TCustomKorHexEditor&)> edit;
    QByteArray after;
  } cases[] = {
      {"insert", [](TCustomKorHexEditor& e) { e.InsertBuffer("xy", 2, 3, {}, true); }, "012xy3456789"},
      {"delete selection",
       [](TCustomKorHexEditor& e) {
         e.SetSelection(2, 4);
         e.DeleteSelection({});
       },
       "0156789"},
      {"replace by more", [](TCustomKorHexEditor& e) { e.ReplaceRange("abcd", 1, 2, 4, {}, false); }, "0abcd3456789"},
      {"replace by fewer", [](TCustomKorHexEditor& e) { e.ReplaceRange("a", 1, 3, 1, {}, true); }, "0a456789"},
      {"replace selection",
       [](TCustomKorHexEditor& e) {
         e.SetSelection(8, 9);
         e.ReplaceSelection("Z", 1, {}, true);
       },
       "01234567Z"},
      {"append", [](TCustomKorHexEditor& e) { e.AppendBuffer("!!", 2, {}, true); }, "0123456789!!"},
      {"backspace", [](TCustomKorHexEditor& e) { e.DeleteAtCaret(true, {}); }, "012456789"},
  };
  const QByteArray original = "0123456789";
  for (const Case& c : cases) {
    Load(original);
    Editor->MoveColRow(HexCell(4).first, HexCell(4).second, true, true);
    c.edit(*Editor);
    ASSERT_EQ(Data(), c.after) << c.name;
    const auto editedCell = Cell();
    const QByteArray recorded = Stream();
    ASSERT_EQ(Editor->UndoStorage().RecordCount(), 1) << c.name;

    Editor->Undo();
    EXPECT_EQ(Data(), original) << c.name;
    EXPECT_FALSE(Editor->Modified()) << c.name;
    EXPECT_EQ(Editor->RowCount(), 3) << c.name << ": the grid follows the length";
    ASSERT_TRUE(Editor->CanRedo()) << c.name;

    EXPECT_TRUE(Editor->Redo()) << c.name;
    EXPECT_EQ(Data(), c.after) << c.name;
    EXPECT_TRUE(Editor->Modified()) << c.name;
    EXPECT_EQ(Cell(), editedCell) << c.name;
    EXPECT_EQ(Stream(), recorded) << c.name;
  }
}

TEST_F(UndoTest, UndoOfAnAppendPutsTheCaretBackOnTheAppendPoint) {
  Load("abc");
  Editor->SetInsertMode(true);
  Editor->MoveColRow(HexCell(3).first, HexCell(3).second, true, true);
  ASSERT_EQ(Cell(), HexCell(3));
  QTest::keyClick(Editor.get(), Qt::Key_7);
  ASSERT_EQ(Data(), QByteArray("abc\x70", 4));
  while (Editor->CanUndo()) Editor->Undo();
  EXPECT_EQ(Data(), "abc");
  EXPECT_EQ(Cell(), HexCell(3));
}

TEST_F(UndoTest, ReplaceWithoutMovingTheCaretReselectsTheReplacedRange) {
  Load("0123456789");
  Editor->ReplaceRange("ab", 5, 3, 2, {}, false);
  Editor->Undo();
  EXPECT_EQ(Data(), "0123456789");
  EXPECT_EQ(Editor->SelectionStart(), 5);
  EXPECT_EQ(Editor->SelectionEnd(), 7);
  EXPECT_EQ(Editor->CaretPosition(), 5);
}

TEST_F(UndoTest, UnicodeRecordBringsBackTheModeBothBytesAndBothMarks) {
  Load(QByteArray("\x41\x00\x42\x00", 4));
  Editor->SetUnicodeChars(true);
  Editor->SetUnicodeBigEndian(true);
  Editor->SetByteAt(3, 0x00);
  Editor->SetByteChanged(3, true);
  Editor->ChangeUnicodeChar(0x0042, 0x3142, {}, 0, 0, 2);
  ASSERT_EQ(Data(), QByteArray("\x41\x00\x42\x31", 4));
  Editor->SetUnicodeChars(false);
  Editor->SetUnicodeBigEndian(false);
  Editor->SetTranslation(tkDos8);

  Editor->Undo();
  EXPECT_TRUE(Editor->UnicodeChars());
  EXPECT_TRUE(Editor->UnicodeBigEndian());
  EXPECT_EQ(Editor->BytesPerUnit(), 2);
  EXPECT_EQ(Editor->Translation(), tkAsIs);
  EXPECT_EQ(Data(), QByteArray("\x41\x00\x42\x00", 4));
  EXPECT_FALSE(Editor->IsByteChanged(2));
  EXPECT_TRUE(Editor->IsByteChanged(3)) << "the second byte's earlier mark";
}

TEST_F(UndoTest, InsertModeRecordBringsBackInsertModeAndLeavesNoMark) {
  Load("abcd");
  Editor->SetInsertMode(true);
  Editor->ChangeByte('b', 'X', {}, 0, 0, 1);
  Editor->SetInsertMode(false);
  Editor->Undo();
  EXPECT_TRUE(Editor->StoredInsertMode());
  EXPECT_EQ(Data(), "abcd");
  Editor->SetInsertMode(false);
  EXPECT_FALSE(Editor->IsByteChanged(1));
}

TEST_F(UndoTest, GroupUndoesItsRecordsAndCannotBeRedone) {
  Load("0123456789");
  Editor->ChangeByte('0', 'a', QStringLiteral("First"), 0, 0, 0);
  Editor->SetSelection(2, 3);
  Editor->DeleteSelection({});
  Editor->AppendBuffer("23", 2, {}, false);
  Editor->RecordUndoGroup(2, QStringLiteral("Data moved"));
  EXPECT_EQ(Editor->UndoDescription(), "Data moved");
  ASSERT_EQ(Editor->UndoStorage().RecordCount(), 4);

  Editor->Undo();
  EXPECT_EQ(Data(), "a123456789");
  EXPECT_EQ(Editor->UndoStorage().RecordCount(), 1);
  EXPECT_EQ(Editor->UndoDescription(), "First");
  EXPECT_FALSE(Editor->CanRedo());
}

TEST_F(UndoTest, RefusedStepRaisesAndChangesNothing) {
  Load("0123456789");
  Editor->ChangeByte('0', 'a', {}, 0, 0, 0);
  Editor->SetModified(false);
  const QByteArray stream = Stream();
  struct Case {
    const char* name;
    std::function<void()> edit;
  } cases[] = {
      {"deletion under the size lock",
       [this] {
         Editor->SetNoSizeChange(true);
         Editor->SetSelection(1, 2);
         Editor->DeleteSelection({});
       }},
      {"storage refuses bytes beyond the data", [this] { Editor->RecordUndo(rkRemove, 5, 100, 0, {}); }},
      {"group over more records than exist", [this] { Editor->RecordUndoGroup(3, {}); }},
  };
  for (const Case& c : cases) {
    Editor->SetNoSizeChange(false);
    EXPECT_EQ(test::MessageOf([&] { c.edit(); }), "Cannot update undo storage") << c.name;
    EXPECT_EQ(Data(), "a123456789") << c.name;
    EXPECT_EQ(Stream(), stream) << c.name;
    EXPECT_FALSE(Editor->Modified()) << c.name;
  }
  Editor->SetNoSizeChange(true);
  EXPECT_EQ(Editor->ReplaceRange("xyz", 0, 3, 3, {}, true), 3) << "a same-size replacement passes the lock";
  EXPECT_EQ(Editor->UndoStorage().RecordCount(), 2);
}

TEST_F(UndoTest, EmptyBufferAcceptsOnlyGrowingSteps) {
  ASSERT_EQ(Editor->DataSize(), 0);
  for (auto kind : {rkRemove, rkChangeBytes, rkReplace})
    EXPECT_EQ(test::MessageOf([&] { Editor->RecordUndo(kind, 0, 1, 1, {}); }), "Cannot update undo storage") << kind;
  EXPECT_FALSE(Editor->Modified());
  Editor->AppendBuffer("ab", 2, {}, true);
  Editor->InsertBuffer("c", 1, 0, {}, true);
  EXPECT_EQ(Editor->UndoStorage().RecordCount(), 2);
  Editor->Undo();
  Editor->Undo();
  EXPECT_EQ(Editor->DataSize(), 0);
  EXPECT_FALSE(Editor->Modified());
}

TEST_F(UndoTest, LoadingAndSavingToTheOwnFileEmptyTheStorage) {
  Load("abcd");
  Editor->ChangeByte('a', 'b', {}, 0, 0, 0);
  Editor->SaveToFile(Path("d.bin"), true);
  EXPECT_FALSE(Editor->CanUndo());
  Editor->ChangeByte('b', 'c', {}, 0, 0, 0);
  Editor->Undo();
  ASSERT_TRUE(Editor->CanRedo());
  Editor->LoadFromFile(Path("d.bin"));
  EXPECT_FALSE(Editor->CanUndo());
  EXPECT_FALSE(Editor->CanRedo());
  EXPECT_EQ(Stream().size(), 0);
}

TEST_F(UndoTest, NewChangeDiscardsTheRedoStepAndReadOnlyViewHidesBoth) {
  Load("abcd");
  Editor->ChangeByte('a', 'b', {}, 0, 0, 0);
  Editor->ChangeByte('b', 'c', {}, 0, 0, 1);
  Editor->Undo();
  ASSERT_TRUE(Editor->CanRedo());
  Editor->SetReadOnlyView(true);
  EXPECT_FALSE(Editor->CanUndo());
  EXPECT_FALSE(Editor->CanRedo());
  CtrlKey(Qt::Key_Z);
  EXPECT_EQ(Data(), "bbcd") << "Ctrl+Z does nothing in a read-only view";
  Editor->SetReadOnlyView(false);
  Editor->ChangeByte('c', 'd', {}, 0, 0, 2);
  EXPECT_FALSE(Editor->CanRedo());
}

TEST_F(UndoTest, SuspendedRecordingStillMarksTheDocumentModified) {
  Load("abcd");
  Editor->ChangeByte('a', 'b', {}, 0, 0, 0);
  EXPECT_EQ(Editor->SuspendUndo(), 1);
  Editor->SetModified(false);
  Editor->ChangeByte('b', 'c', {}, 0, 0, 1);
  EXPECT_TRUE(Editor->Modified());
  EXPECT_FALSE(Editor->CanUndo());
  EXPECT_EQ(Editor->ResumeUndo(), 0);
  EXPECT_EQ(Editor->UndoStorage().RecordCount(), 1) << "the suspended change left no record";
  Editor->Undo();
  EXPECT_EQ(Data(), "accd") << "only the recorded change is reverted";
}

// A bookmark table of plain positions, enough to see where undo moves them.
class BookmarkedEditor : public TKorHexEditorEx {
public:
  std::vector<int32_t> Marks;
  void ShiftBookmarks(int32_t From, int32_t Delta) override {
    for (int32_t& m : Marks)
      if (m >= From) m += Delta;
  }
  std::vector<int32_t> BookmarkSnapshot() const override { return Marks; }
  void RestoreBookmarkSnapshot(const std::vector<int32_t>& Positions) override { Marks = Positions; }
};

TEST_F(UndoTest, BookmarksFollowTheChangeAndComeBackOnUndoAndRedo) {
  struct Case {
    const char* name;
    std::function<void(TCustomKorHexEditor&)> edit;
    std::vector<int32_t> after;
  } cases[] = {
      {"insert", [](TCustomKorHexEditor& e) { e.InsertBuffer("xy", 2, 3, {}, true); }, {1, 2, 10}},
      {"remove",
       [](TCustomKorHexEditor& e) {
         e.SetSelection(4, 5);
         e.DeleteSelection({});
       },
       {1, 2, 6}},
      {"replace by more", [](TCustomKorHexEditor& e) { e.ReplaceRange("abcd", 2, 1, 4, {}, false); }, {1, 2, 11}},
      {"replace by fewer", [](TCustomKorHexEditor& e) { e.ReplaceRange("a", 2, 2, 1, {}, false); }, {1, 2, 7}},
  };
  for (const Case& c : cases) {
    auto editor = std::make_unique<BookmarkedEditor>();
    editor->Loaded();
    test::WriteFile(Path("b.bin"), "0123456789");
    editor->LoadFromFile(Path("b.bin"));
    editor->Marks = {1, 2, 8};
    c.edit(*editor);
    EXPECT_EQ(editor->Marks, c.after) << c.name;
    editor->Undo();
    EXPECT_EQ(editor->Marks, (std::vector<int32_t>{1, 2, 8})) << c.name;
    editor->Marks = {0};
    ASSERT_TRUE(editor->Redo()) << c.name;
    EXPECT_EQ(editor->Marks, c.after) << c.name << ": as they were before the undo";
  }
}

TEST_F(UndoTest, NibbleStepsAreUndoneAndRedone) {
  struct Case {
    const char* name;
    TKorHUndoRecordKind kind;
    QByteArray after;  // the data once the step has moved it by half a byte from byte 1
  } cases[] = {
      {"insert nibble", rkInsertNibble, QByteArray("\x11\x7A\xBC\xD0", 4)},
      {"delete nibble", rkDeleteNibble, QByteArray("\x11\xBC\xD0", 3)},
  };
  const QByteArray original("\x11\xAB\xCD", 3);
  for (const Case& c : cases) {
    Load(original);
    Editor->RecordUndo(c.kind, 1, 1, 0, {});
    Editor->DataStorage().SetSize(c.after.size());
    Editor->WriteBuffer(c.after.constData(), 0, c.after.size());
    Editor->Undo();
    EXPECT_EQ(Data(), original) << c.name;
    EXPECT_FALSE(Editor->Modified()) << c.name;
    ASSERT_TRUE(Editor->Redo()) << c.name;
    EXPECT_EQ(Data(), c.after) << c.name;
  }
}

TEST_F(UndoTest, MegabyteReplacementIsOneRecordOfItsOldBytes) {
  const int size = 1 << 20;
  Load(test::Pattern(size + 16));
  const QByteArray fresh(size, 'z');
  Editor->ReplaceRange(fresh.constData(), 8, size, size, {}, false);
  EXPECT_EQ(Editor->UndoStorage().RecordCount(), 1);
  EXPECT_LT(Stream().size(), size + 64) << "the old bytes plus a header";
  Editor->Undo();
  EXPECT_EQ(Data(), test::Pattern(size + 16));
  EXPECT_TRUE(Editor->Redo());
  EXPECT_EQ(Data().mid(8, size), fresh);
}

}  // namespace
}  // namespace vexa
