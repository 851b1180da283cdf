// Grid layout, position mapping, the cell check and the layout setters of the control.

#include <QJsonObject>
#include <QTest>
#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "hexeditor/Messages.h"

using namespace vexa;
using namespace vexa::test;

class GeometryTest : public EditorTest {
protected:
  void Load(int size) {
    WriteFile(Path("d.bin"), Pattern(size));
    Editor->LoadFromFile(Path("d.bin"));
  }
  void ClickCell(int col, int row) {
    Editor->show();
    const QRect r = Editor->CellRect(col, row);
    ASSERT_FALSE(r.isEmpty()) << col << "," << row;
    QTest::mouseClick(Editor->viewport(), Qt::LeftButton, {}, r.center());
  }
};

TEST_F(GeometryTest, ColumnWidthsFollowTheGroupsAndBlocks) {
  Load(100);
  const int w = Editor->CharWidth();
  ASSERT_GT(w, 0);
  EXPECT_EQ(Editor->ColCount(), 51);
  EXPECT_EQ(Editor->ColWidths(1), 6);
  for (int c = 2; c <= 32; ++c) EXPECT_EQ(Editor->ColWidths(c), c % 4 == 1 ? 2 * w : w) << "hex column " << c;
  EXPECT_EQ(Editor->ColWidths(33), 2 * w);
  EXPECT_EQ(Editor->ColWidths(34), w);
  for (int c = 35; c <= 49; ++c) EXPECT_EQ(Editor->ColWidths(c), w + 1) << "character column " << c;
  EXPECT_EQ(Editor->ColWidths(50), 2 * w + 1);

  Editor->SetBytesPerBlock(4);
  for (int c = 2; c <= 32; ++c) {
    const int expected = w + (c % 4 == 1 ? w : 0) + (c % 8 == 1 ? w : 0);
    EXPECT_EQ(Editor->ColWidths(c), expected) << "hex column " << c;
  }
  for (int i = 0; i < 15; ++i) EXPECT_EQ(Editor->ColWidths(35 + i), w + 1 + (i % 4 == 3 ? w : 0)) << i;
  Editor->SetSeparateBlocksInCharField(false);
  Editor->UpdateColumnWidths();
  EXPECT_EQ(Editor->ColWidths(38), w + 1);
}

TEST_F(GeometryTest, RowCountLeavesRoomForTheAppendPointInInsertMode) {
  EXPECT_EQ(Editor->RowCount(), 3);
  Load(32);
  EXPECT_EQ(Editor->RowCount(), 4);
  Editor->SetInsertMode(true);
  EXPECT_EQ(Editor->RowCount(), 5);
  Load(33);
  EXPECT_EQ(Editor->RowCount(), 5);
  Editor->SetInsertMode(false);
  EXPECT_EQ(Editor->RowCount(), 5);
}

TEST_F(GeometryTest, CellsAndPositionsMapBothWays) {
  Load(64);
  struct Case {
    bool unicode;
    int pos;
    bool inChar;
    int col, row;
  };
  const Case cases[] = {
      {false, 0, false, 2, 2},   {false, 0, true, 35, 2},   {false, 17, false, 4, 3},
      {false, 17, true, 36, 3},  {false, 31, false, 32, 3}, {false, 31, true, 50, 3},
      {true, 0, true, 35, 2},    {true, 2, true, 36, 2},    {true, 18, true, 36, 3},
      {true, 30, false, 30, 3},
  };
  for (const Case& c : cases) {
    Editor->SetUnicodeChars(c.unicode);
    int col = 0, row = 0;
    Editor->GetCellAtPos(c.pos, c.inChar, col, row);
    EXPECT_EQ(col, c.col) << c.pos << (c.inChar ? " char" : " hex") << (c.unicode ? " unicode" : "");
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(Editor->GetPosAtCell(col, row), c.pos);
    EXPECT_EQ(Editor->CaretInCharFieldRaw(), c.inChar);
    // The low digit of a byte maps to the same byte.
    if (!c.inChar) {
      EXPECT_EQ(Editor->GetPosAtCell(col + 1, row), c.pos);
    }
  }
  Editor->SetUnicodeChars(false);
  EXPECT_EQ(Editor->GetOtherFieldColNoChange(5), 36);  // low digit of byte 1 -> its character
  EXPECT_EQ(Editor->GetOtherFieldColNoChange(36), 4);  // character of byte 1 -> its high digit
  Editor->SetUnicodeChars(true);
  EXPECT_EQ(Editor->GetOtherFieldColNoChange(7), 36);  // digits of bytes 0..3 hold unit 1 from col 6
  EXPECT_EQ(Editor->GetOtherFieldColNoChange(36), 6);
}

TEST_F(GeometryTest, CaretMovesBetweenTheFields) {
  Load(64);
  Editor->MoveColRow(9, 3, true, true);  // low digit of byte 19
  EXPECT_FALSE(Editor->CaretInCharField());
  Editor->SetCaretInCharField(true);
  EXPECT_EQ(Editor->Col(), 38);
  EXPECT_EQ(Editor->CaretPosition(), 19);
  Editor->SetCaretInCharField(false);
  EXPECT_EQ(Editor->Col(), 8);
}

TEST_F(GeometryTest, CellCheckKeepsTheCaretOnData) {
  Load(20);
  // Overwrite mode: past the end lands on the last byte, in the same field.
  Editor->MoveColRow(20, 3, true, true);
  EXPECT_EQ(Editor->CaretPosition(), 19);
  Editor->MoveColRow(45, 3, true, true);
  EXPECT_EQ(Editor->CaretPosition(), 19);
  EXPECT_TRUE(Editor->CaretInCharField());
  // Insert mode: the append point's high digit and character are allowed, its low digit not.
  Editor->SetInsertMode(true);
  Editor->MoveColRow(10, 3, true, true);
  EXPECT_EQ(Editor->CaretPosition(), 20);
  EXPECT_EQ(Editor->Col(), 10);
  Editor->MoveColRow(39, 3, true, true);
  EXPECT_EQ(Editor->CaretPosition(), 20);
  Editor->MoveColRow(2, 2, true, true);
  Editor->MoveColRow(11, 3, true, true);
  EXPECT_EQ(Editor->Col(), 10);
  // The gap between the fields never holds the caret.
  Editor->MoveColRow(2, 2, true, true);
  Editor->MoveColRow(34, 2, true, true);
  EXPECT_EQ(Editor->Col(), 2);
}

TEST_F(GeometryTest, ClickOnTheFieldGapLandsOnTheLastHexDigit) {
  Load(64);
  ClickCell(34, 3);
  EXPECT_EQ(Editor->Col(), 33);
  EXPECT_EQ(Editor->Row(), 3);
}

TEST_F(GeometryTest, EmptyBufferOnlyTakesTheFirstCells) {
  ASSERT_EQ(Editor->DataSize(), 0);
  Editor->MoveColRow(35, 2, true, true);
  EXPECT_EQ(Editor->Col(), 35);
  Editor->MoveColRow(4, 2, true, true);
  EXPECT_EQ(Editor->Col(), 35);
  EXPECT_FALSE(Editor->CaretInCharField());  // an empty buffer has no field
}

TEST_F(GeometryTest, LayoutSettersRefuseInvalidValuesAndChangeNothing) {
  Load(64);
  struct Case {
    std::function<void()> set;
    QString message;
  };
  const Case cases[] = {
      {[&] { Editor->SetBytesPerRow(0); }, msgInvalidBytesPerLine},
      {[&] { Editor->SetBytesPerRow(257); }, msgInvalidBytesPerLine},
      {[&] { Editor->SetBytesPerColumn(0); }, msgInvalidBytesPerColumn},
      {[&] { Editor->SetBytesPerColumn(300); }, msgInvalidBytesPerColumn},
      {[&] { Editor->SetBytesPerUnit(3); }, "Invalid bytes per unit value 3, allowed: 1,2,4,8"},
      {[&] { Editor->SetBytesPerUnit(16); }, "Invalid bytes per unit value 16, allowed: 1,2,4,8"},
      {[&] { Editor->SetSelStart(64); }, msgInvalidSelStart},
      {[&] { Editor->SetSelStart(-1); }, msgInvalidSelStart},
      {[&] { Editor->SetSelEnd(-2); }, msgInvalidSelEnd},
      {[&] { Editor->SetSelEnd(64); }, msgInvalidSelEnd},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MessageOf<EKorHexEditor>(c.set), c.message);
    EXPECT_EQ(Editor->BytesPerRow(), 16);
    EXPECT_EQ(Editor->BytesPerColumn(), 2);
    EXPECT_EQ(Editor->BytesPerUnit(), 1);
    EXPECT_EQ(Editor->ColCount(), 51);
  }
  Editor->SetBytesPerRow(256);
  EXPECT_EQ(Editor->ColCount(), 3 * 256 + 3);
}

TEST_F(GeometryTest, UnicodeModeChecksInOrderAndSetsTheUnit) {
  Load(7);
  Editor->SetBytesPerRow(15);
  Editor->SetBytesPerColumn(3);
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->SetUnicodeChars(true); }), msgInvalidBytesPerLine);
  Editor->SetBytesPerRow(16);
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->SetUnicodeChars(true); }), msgInvalidBytesPerColumn);
  Editor->SetBytesPerColumn(2);
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->SetUnicodeChars(true); }), msgOddUnicode);
  EXPECT_FALSE(Editor->UnicodeChars());

  Load(8);
  Editor->SetTranslation(tkMac);
  Editor->SetUnicodeChars(true);
  EXPECT_EQ(Editor->Translation(), tkAsIs);
  EXPECT_EQ(Editor->BytesPerUnit(), 2);
  EXPECT_EQ(Editor->ColCount(), 2 * 16 + 8 + 3);
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->SetBytesPerRow(15); }), msgInvalidBytesPerLine);
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->SetBytesPerUnit(4); }), msgUnitInUnicode);
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->SetBytesPerUnit(2); }), "no exception");
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->SetTranslation(tkDos8); }), msgTranslationInUnicode);
  Editor->SetUnicodeChars(false);
  EXPECT_EQ(Editor->BytesPerUnit(), 1);
  EXPECT_EQ(Editor->ColCount(), 51);
}

TEST_F(GeometryTest, SeekClampsToTheData) {
  EXPECT_EQ(Editor->Seek(5, 0), -1);
  Load(10);
  EXPECT_EQ(Editor->Seek(1000, 0), 9);
  EXPECT_EQ(Editor->CaretPosition(), 9);
  EXPECT_EQ(Editor->Seek(-3, 1), 6);
  EXPECT_EQ(Editor->Seek(-100, 2), 0);
  EXPECT_EQ(Editor->Seek(-1, 2), 8);
  EXPECT_EQ(Editor->Seek(0, 7), 8);
}

TEST_F(GeometryTest, SelEndSelectsFromTheCaretAndMinusOneClears) {
  Load(10);
  Editor->SetSelStart(2);
  Editor->SetSelEnd(5);
  EXPECT_EQ(Editor->SelectionStart(), 2);
  EXPECT_EQ(Editor->SelectionEnd(), 5);
  EXPECT_EQ(Editor->SelStart(), 2);
  EXPECT_EQ(Editor->SelEnd(), 5);
  EXPECT_EQ(Editor->CaretPosition(), 2);
  Editor->SetSelEnd(-1);
  EXPECT_EQ(Editor->SelectionLength(), 0);
}

TEST_F(GeometryTest, BytesPerRowChangeKeepsTheCaretOnItsDigit) {
  Load(64);
  int col, row;
  Editor->GetCellAtPos(5, false, col, row);
  Editor->MoveColRow(col + 1, row, true, true);  // low digit of byte 5
  Editor->SetBytesPerRow(4);
  EXPECT_EQ(Editor->CaretPosition(), 5);
  EXPECT_EQ(Editor->Row(), 3);
  EXPECT_EQ(Editor->Col(), 2 + 2 * 1 + 1);
  EXPECT_EQ(Editor->ColCount(), 15);
  EXPECT_EQ(Editor->RowCount(), 18);
}

TEST_F(GeometryTest, OffsetColumnWidthFollowsTheFormatAndTheHandler) {
  Load(1'000'000);
  const int w = Editor->CharWidth();
  EXPECT_EQ(Editor->OffsetFormat(), "-!10:0x|");
  EXPECT_EQ(Editor->FormatOffset(999'984), "0xF4230");
  EXPECT_EQ(Editor->OffsetCharCount(), 8);
  EXPECT_EQ(Editor->ColWidths(0), 8 * w + 21);
  Editor->SetOffsetFormat("a:|");
  EXPECT_EQ(Editor->OffsetCharCount(), 7);
  EXPECT_EQ(Editor->ColWidths(0), 7 * w + 21);
  Editor->SetOffsetFormat("0!8:o|");
  EXPECT_EQ(Editor->FormatOffset(0), "o");
  EXPECT_EQ(Editor->FormatOffset(16), "o20");
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->SetOffsetFormat("10|"); }), "Missing char in offset format: :");
  EXPECT_EQ(Editor->OffsetFormat(), "0!8:o|");
  Editor->OnGetOffsetText = [](TCustomKorHexEditor*, int64_t, QString& text) { text = "ABC"; };
  Editor->UpdateColumnWidths();
  EXPECT_EQ(Editor->OffsetCharCount(), 4);
  EXPECT_EQ(Editor->ColWidths(0), 4 * w + 21);
  Editor->SetGutterWidth(50);
  EXPECT_EQ(Editor->ColWidths(0), 50);
}

TEST_F(GeometryTest, RulerRowShowsOnlyWhenAsked) {
  Load(16);
  EXPECT_EQ(Editor->RowHeights(0), 0);
  Editor->SetShowRuler(true);
  EXPECT_EQ(Editor->RowHeights(0), Editor->CharHeight() + 3);
  EXPECT_EQ(Editor->DefaultRowHeight(), Editor->CharHeight());
  EXPECT_EQ(Editor->RowHeights(1), 0);
}

TEST_F(GeometryTest, MaskCharIsStoredOnlyWhenItIsNotTheDot) {
  QJsonObject stored = WriteStoredLayout(Editor.get());
  EXPECT_FALSE(stored.contains("MaskChar_AsInteger"));
  Editor->SetMaskChar('*');
  stored = WriteStoredLayout(Editor.get());
  EXPECT_EQ(stored.value("MaskChar_AsInteger").toInt(), '*');

  TKorHexEditorEx other;
  ReadStoredLayout(&other, QJsonObject{{"MaskChar_AsInteger", 42}});
  EXPECT_EQ(other.MaskChar(), '*');
  ReadStoredLayout(&other, QJsonObject{{"MaskChar_AsInteger", "junk"}});
  EXPECT_EQ(other.MaskChar(), '.');
  ReadStoredLayout(&other, QJsonObject{{"MaskChar", "#"}});
  EXPECT_EQ(other.MaskChar(), '#');
  ReadStoredLayout(&other, QJsonObject{{"MaskChar", "ab"}});
  EXPECT_EQ(other.MaskChar(), '.');
}
