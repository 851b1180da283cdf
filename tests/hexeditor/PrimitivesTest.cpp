// The editing primitives, the edit gate, the changed-byte marks and the notifications.

#include <QCoreApplication>
#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "hexeditor/Messages.h"

using namespace vexa;
using namespace vexa::test;

class PrimitivesTest : public EditorTest {
protected:
  void Load(const QByteArray& bytes) {
    WriteFile(Path("d.bin"), bytes);
    Editor->LoadFromFile(Path("d.bin"));
  }
  QByteArray Data() {
    QByteArray out(Editor->DataSize(), '\0');
    Editor->ReadBuffer(out.data(), 0, Editor->DataSize());
    return out;
  }
};

TEST_F(PrimitivesTest, InsertionMovesTheTailSelectsTheNewBytesAndDropsMarksBehindIt) {
  Load("abcdefgh");
  for (int i = 0; i < 8; ++i) Editor->SetByteChanged(i, true);
  int changes = 0;
  Editor->OnChange = [&](TCustomKorHexEditor*) { ++changes; };
  Editor->InsertBuffer("XY", 2, 3, "Insert", false);
  EXPECT_EQ(Data(), "abcXYdefgh");
  EXPECT_EQ(Editor->SelectionStart(), 3);
  EXPECT_EQ(Editor->SelectionEnd(), 4);
  EXPECT_TRUE(Editor->Modified());
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(Editor->IsByteChanged(2));
  EXPECT_FALSE(Editor->IsByteChanged(3));
  EXPECT_FALSE(Editor->IsByteChanged(7));
}

TEST_F(PrimitivesTest, InsertWithMoveCaretPutsTheCaretOnTheLastInsertedByte) {
  Load("abcdefgh");
  Editor->InsertBuffer("XYZ", 3, 1, "Insert", true);
  EXPECT_EQ(Editor->CaretPosition(), 3);
  EXPECT_EQ(Editor->SelectionStart(), 1);
  EXPECT_EQ(Editor->SelectionEnd(), 3);
}

TEST_F(PrimitivesTest, AppendAddsAtTheEndAndSelectsIt) {
  Load("abc");
  Editor->AppendBuffer("de", 2, "Append", true);
  EXPECT_EQ(Data(), "abcde");
  EXPECT_EQ(Editor->CaretPosition(), 3);
  EXPECT_EQ(Editor->SelectionStart(), 3);
  EXPECT_EQ(Editor->SelectionEnd(), 4);
  Editor->AppendBuffer(nullptr, 5, "Append", true);  // nothing to append
  EXPECT_EQ(Editor->DataSize(), 5);
}

TEST_F(PrimitivesTest, ReplaceRangeGrowsShrinksOrOverwrites) {
  struct Case {
    int pos, oldCount, newCount;
    QByteArray with, expected;
  };
  const Case cases[] = {
      {2, 2, 2, "XY", "abXYefgh"},
      {2, 3, 1, "X", "abXfgh"},
      {2, 1, 3, "XYZ", "abXYZdefgh"},
      {6, 3, 3, "XYZ", "abcdefXY"},  // one past the end: cut to the data, both counts alike
  };
  for (const Case& c : cases) {
    Load("abcdefgh");
    const int written = Editor->ReplaceRange(c.with.constData(), c.pos, c.oldCount, c.newCount, "Replace", false);
    EXPECT_EQ(Data(), c.expected) << c.pos << "/" << c.oldCount << "/" << c.newCount;
    EXPECT_EQ(written, std::min<int>(c.newCount, 8 - c.pos));
  }
}

TEST_F(PrimitivesTest, ReplaceRangeReachingPastTheEndIsRefused) {
  Load("abcdefgh");
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->ReplaceRange("XY", 6, 4, 2, "Replace", false); }), msgDataBounds);
  EXPECT_EQ(Data(), "abcdefgh");
  EXPECT_FALSE(Editor->Modified());
}

TEST_F(PrimitivesTest, ReplaceSelectionReplacesTheSelectedBytes) {
  Load("abcdefgh");
  Editor->SetSelection(2, 4);
  Editor->ReplaceSelection("XY", 2, "Replace", true);
  EXPECT_EQ(Data(), "abXYfgh");
  EXPECT_EQ(Editor->SelectionStart(), 2);
  EXPECT_EQ(Editor->SelectionEnd(), 3);
  EXPECT_EQ(Editor->CaretPosition(), 3);
}

TEST_F(PrimitivesTest, SizeLockKeepsTheLengthOrRefusesTheEdit) {
  Load("abcdefgh");
  Editor->SetNoSizeChange(true);
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->InsertBuffer("X", 1, 0, "Insert", false); }), msgUndoStorage);
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->AppendBuffer("X", 1, "Append", false); }), msgUndoStorage);
  EXPECT_EQ(Data(), "abcdefgh");
  EXPECT_FALSE(Editor->Modified());
  // A replacement keeps the selection's length: a longer text is cut to it.
  Editor->SetSelection(1, 2);
  Editor->ReplaceSelection("WXYZ", 4, "Replace", true);
  EXPECT_EQ(Data(), "aWXdefgh");
  // A shorter one shrinks the replaced range instead.
  Editor->SetSelection(4, 6);
  Editor->ReplaceSelection("Q", 1, "Replace", true);
  EXPECT_EQ(Data(), "aWXdQfgh");
  EXPECT_EQ(Editor->ReplaceRange("12", 0, 1, 2, "Replace", false), 1);
  EXPECT_EQ(Data(), "1WXdQfgh");
}

TEST_F(PrimitivesTest, EmptyBufferOnlyAcceptsInsertionAndAppending) {
  EXPECT_EQ(Editor->DataSize(), 0);
  TKorHexEditorEx& e = *Editor;
  EXPECT_TRUE(e.EditAllowed(rkInsert, 1, 0));
  EXPECT_TRUE(e.EditAllowed(rkAppend, 1, 0));
  EXPECT_TRUE(e.EditAllowed(rkAllData, 0, 0));
  for (TKorHUndoRecordKind k : {rkChangeBytes, rkRemove, rkReplace, rkInsertNibble, rkConvert, rkGroup})
    EXPECT_FALSE(e.EditAllowed(k, 1, 1)) << k;
  Editor->InsertBuffer("ab", 2, 0, "Insert", true);
  EXPECT_EQ(Data(), "ab");
}

TEST_F(PrimitivesTest, MarksReadAsClearInInsertModeAndTruncateWithTheData) {
  Load("abcdefgh");
  Editor->SetByteChanged(1, true);
  Editor->SetByteChanged(6, true);
  EXPECT_TRUE(Editor->IsByteChanged(6));
  Editor->SetByteChanged(100, false);  // clearing beyond the marks does not grow them
  EXPECT_EQ(Editor->ChangedBytes().Size(), 7);
  Editor->SetInsertMode(true);
  ASSERT_TRUE(Editor->InsertMode());
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(Editor->IsByteChanged(i)) << i;
  Editor->SetInsertMode(false);
  Editor->SetByteChanged(7, true);
  Editor->DeleteRange(4, 8, -1, -1);
  Editor->UpdateGridSize();
  EXPECT_EQ(Editor->ChangedBytes().Size(), 4);
}

TEST_F(PrimitivesTest, InsertModeGivesTheAppendPointARow) {
  QByteArray bytes(32, 'x');
  Load(bytes);
  EXPECT_EQ(Editor->RowCount(), 4);
  Editor->SetInsertMode(true);
  EXPECT_EQ(Editor->RowCount(), 5);
  Editor->SetReadOnlyView(true);  // masks insert mode without forgetting it
  EXPECT_FALSE(Editor->InsertMode());
  EXPECT_TRUE(Editor->StoredInsertMode());
  Editor->SetReadOnlyView(false);
  EXPECT_TRUE(Editor->InsertMode());
  Editor->SetNoSizeChange(true);  // the size lock switches it off for good
  Editor->SetNoSizeChange(false);
  EXPECT_FALSE(Editor->InsertMode());
}

TEST_F(PrimitivesTest, SelectionChangesCoalesceIntoOneNotificationPerTurn) {
  Load("abcdefgh");
  QCoreApplication::processEvents();
  int calls = 0;
  Editor->OnSelectionChanged = [&](TCustomKorHexEditor*) { ++calls; };
  Editor->SetSelection(0, 1);
  Editor->SetSelection(0, 2);
  Editor->Changed();
  EXPECT_EQ(calls, 0);  // delivered on the next turn of the message loop
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);
  Editor->SetSelection(0, 3);
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 2);
}

TEST_F(PrimitivesTest, HandlerAssignedAfterAnUnhandledChangeIsStillCalled) {
  Load("abcdefgh");
  Editor->OnSelectionChanged = nullptr;
  Editor->SetSelection(0, 1);
  QCoreApplication::processEvents();
  int calls = 0;
  Editor->OnSelectionChanged = [&](TCustomKorHexEditor*) { ++calls; };
  Editor->SetSelection(0, 2);
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);
}

TEST_F(PrimitivesTest, FailingHandlerStillResetsTheCounter) {
  Load("abcdefgh");
  QCoreApplication::processEvents();
  TakeShownExceptions();
  int calls = 0;
  Editor->OnSelectionChanged = [&](TCustomKorHexEditor*) {
    ++calls;
    throw EKorHexEditor("handler failed");
  };
  Editor->SetSelection(0, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(TakeShownExceptions(), QStringList{"handler failed"});
  Editor->SetSelection(0, 2);
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 2);
}
