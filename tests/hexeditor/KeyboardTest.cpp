// The control's keyboard, driven with real key events: nibble and character typing in
// overwrite and insert mode, deletion, selection by Shift, caret navigation, the edit
// settings that lock typing or the size, and the keys the control asks for.

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "EditorFixture.h"
#include "TestSupport.h"
#include "hexeditor/KorHexEditorEx.h"

namespace vexa {
namespace {

struct UndoStep {
  TKorHUndoRecordKind Kind;
  int32_t Pos;
  int32_t Count;
  friend bool operator==(const UndoStep&, const UndoStep&) = default;
};

void PrintTo(const UndoStep& s, std::ostream* os) { *os << "{kind " << s.Kind << ", " << s.Pos << ", " << s.Count << "}"; }

// Notes every step that passes the recording gate, and lets the tests ask the dialog-code
// question directly.
class ProbedEditor : public TKorHexEditorEx {
public:
  std::vector<UndoStep> Steps;
  bool AddUndoRecord(TKorHUndoRecordKind Kind, int32_t Pos, int32_t Count, int32_t, const QString&) override {
    Steps.push_back({Kind, Pos, Count});
    return true;
  }
  intptr_t DialogCode() {
    TMessage m;
    m.Msg = WM_GETDLGCODE;
    WndProc(m);
    return m.Result;
  }
};

class KeyboardTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::TakeShownExceptions();
    ASSERT_TRUE(Dir.isValid());
    E = new ProbedEditor;
    ASSERT_NO_FATAL_FAILURE(test::BuildEditorWindow(E, Window, Other, /*focusEditor=*/true));
    E->OnInvalidKey = [this](TCustomKorHexEditor*) { ++InvalidKeys; };
  }
  void TearDown() override {
    Window.reset();
    EXPECT_TRUE(test::TakeShownExceptions().isEmpty());
  }

  void Load(const QByteArray& bytes) {
    test::WriteFile(Dir.filePath("d.bin"), bytes);
    E->LoadFromFile(Dir.filePath("d.bin"));
    E->Steps.clear();
  }
  // The steps recorded since the last call.
  std::vector<UndoStep> TakeSteps() { return std::exchange(E->Steps, {}); }
  QByteArray Data() {
    QByteArray out(E->DataSize(), '\0');
    if (!out.isEmpty()) E->ReadBuffer(out.data(), 0, out.size());
    return out;
  }
  // A key as a keyboard sends it: Ctrl with a letter brings its control character (Qt Test
  // alone would bring the letter itself).
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    if (mods.testFlag(Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
      QTest::sendKeyEvent(QTest::Click, E, key, QString(QChar(key - Qt::Key_A + 1)), mods);
    else
      QTest::keyClick(E, key, mods);
  }
  void Type(const QString& text) { QTest::keyClicks(E, text); }
  // Delivers a character that has no key of its own (a text-only key event).
  void TypeText(const QString& text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(E, &press);
  }
  // The caret as (column, row).
  std::pair<int, int> Cell() const { return {E->Col(), E->Row()}; }
  std::pair<int, int> HexCell(int32_t pos, int nibble = 0) const {
    int c, r;
    E->GetCellAtPos(pos, false, c, r);
    return {c + nibble, r};
  }
  std::pair<int, int> CharCell(int32_t pos) const {
    int c, r;
    E->GetCellAtPos(pos, true, c, r);
    return {c, r};
  }
  void PlaceHex(int32_t pos, int nibble = 0) {
    auto [c, r] = HexCell(pos, nibble);
    E->MoveColRow(c, r, true, true);
  }

  QTemporaryDir Dir;
  std::unique_ptr<QWidget> Window;
  ProbedEditor* E = nullptr;
  QWidget* Other = nullptr;
  int InvalidKeys = 0;
};

// ---- nibble typing ------------------------------------------------------------------------

struct NibbleCase {
  const char* name;
  uint8_t before;
  bool swap;
  int nibble;  // the hex column of the byte the caret stands on
  const char* typed;
  uint8_t after;
  int caretNibble;  // where the caret is afterwards, on byte 1 when the step left byte 0
  int caretPos;
};

TEST_F(KeyboardTest, OverwriteTypesTheNibbleUnderTheCaretAndSteps) {
  const NibbleCase cases[] = {
      {"high nibble", 0x3C, false, 0, "a", 0xAC, 1, 0},
      {"low nibble", 0xAC, false, 1, "a", 0xAA, 0, 1},
      {"upper case digit", 0x3C, false, 0, "F", 0xFC, 1, 0},
      {"both nibbles", 0x3C, false, 0, "a7", 0xA7, 0, 1},
      {"swapped: first column is the low nibble", 0x12, true, 0, "5", 0x15, 1, 0},
      {"swapped: second column is the high nibble", 0x12, true, 1, "5", 0x52, 0, 1},
  };
  for (const NibbleCase& k : cases) {
    Load(QByteArray("\x00\x00", 2).replace(0, 1, QByteArray(1, char(k.before))));
    E->SetSwapNibbles(k.swap);
    PlaceHex(0, k.nibble);
    Type(k.typed);
    EXPECT_EQ(uint8_t(E->ByteAt(0)), k.after) << k.name;
    EXPECT_TRUE(E->IsByteChanged(0)) << k.name;
    EXPECT_FALSE(E->IsByteChanged(1)) << k.name;
    EXPECT_TRUE(E->Modified()) << k.name;
    EXPECT_EQ(Cell(), HexCell(k.caretPos, k.caretNibble)) << k.name;
    const std::vector<UndoStep> perDigit(std::strlen(k.typed), UndoStep{rkChangeBytes, 0, 1});
    EXPECT_EQ(TakeSteps(), perDigit) << k.name;
  }
}

TEST_F(KeyboardTest, TypingTheDigitAlreadyThereChangesNothingButSteps) {
  Load(QByteArray("\x3C\x00", 2));
  PlaceHex(0);
  Type("3");
  EXPECT_EQ(Data(), QByteArray("\x3C\x00", 2));
  EXPECT_TRUE(TakeSteps().empty());
  EXPECT_FALSE(E->Modified());
  EXPECT_FALSE(E->IsByteChanged(0));
  EXPECT_EQ(Cell(), HexCell(0, 1));
}

TEST_F(KeyboardTest, EveryTypedCharacterStepsRightThroughKeyDown) {
  Load(QByteArray(4, '\0'));
  PlaceHex(0);
  std::vector<std::pair<uint16_t, TShiftState>> downs;
  E->OnKeyDown = [&](QObject*, uint16_t& key, TShiftState shift) { downs.emplace_back(key, shift); };
  Type("1");
  const std::vector<std::pair<uint16_t, TShiftState>> expected = {{uint16_t('1'), TShiftState()},
                                                                   {VK_RIGHT, TShiftState()}};
  EXPECT_EQ(downs, expected);
}

TEST_F(KeyboardTest, OverwriteRefusesWhatCannotBeTyped) {
  Load(QByteArray("\x3C\x00", 2));
  PlaceHex(0);
  Type("g");
  EXPECT_EQ(InvalidKeys, 1) << "not a hex digit";
  Key(Qt::Key_Space);
  EXPECT_EQ(InvalidKeys, 2);
  // A control character is ignored silently (Ctrl+B brings character 2).
  Key(Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(InvalidKeys, 2);
  EXPECT_EQ(Data(), QByteArray("\x3C\x00", 2));
  EXPECT_FALSE(E->Modified());
  EXPECT_EQ(Cell(), HexCell(0));
}

TEST_F(KeyboardTest, OnKeyPressMayChangeOrSwallowTheCharacter) {
  Load(QByteArray("\x00\x00", 2));
  E->OnKeyPress = [](QObject*, char& key) { key = key == 'x' ? 'f' : key == 'q' ? 0 : key; };
  PlaceHex(0);
  Type("x");
  EXPECT_EQ(uint8_t(E->ByteAt(0)), 0xF0);
  Type("q");
  EXPECT_EQ(uint8_t(E->ByteAt(0)), 0xF0);
  EXPECT_EQ(InvalidKeys, 0) << "a swallowed character is a masked one";
}

TEST_F(KeyboardTest, OverwriteIntoAnEmptyDocumentDoesNothing) {
  ASSERT_EQ(E->DataSize(), 0);
  Type("7A");
  E->MoveColRow(E->GetOtherFieldColNoChange(2), 2, true, true);
  Type("A");
  EXPECT_EQ(E->DataSize(), 0);
  EXPECT_FALSE(E->Modified());
}

// ---- insert mode ------------------------------------------------------------------------

TEST_F(KeyboardTest, InsertModeInsertsAUnitAndOverwritesInsideIt) {
  Load(QByteArray("\x11\x11\x11\x11", 4));
  E->SetBytesPerUnit(4);
  E->SetInsertMode(true);
  PlaceHex(0);
  Type("7");
  EXPECT_EQ(Data(), QByteArray("\x70\x00\x00\x00\x11\x11\x11\x11", 8));
  EXPECT_EQ(Cell(), HexCell(0, 1));
  EXPECT_EQ(E->SelectionLength(), 0) << "the step ends the inserted unit's selection";
  Type("1");
  EXPECT_EQ(Data(), QByteArray("\x71\x00\x00\x00\x11\x11\x11\x11", 8));
  EXPECT_EQ(TakeSteps(), (std::vector<UndoStep>{{rkInsert, 0, 4}, {rkChangeBytes, 0, 1}}));
  EXPECT_FALSE(E->IsByteChanged(0)) << "insert mode keeps no marks";
  // The next digit is inside the unit: it overwrites the byte's high nibble.
  Type("2");
  EXPECT_EQ(Data(), QByteArray("\x71\x20\x00\x00\x11\x11\x11\x11", 8));
}

TEST_F(KeyboardTest, InsertModeAppendsIntoAnEmptyDocumentAndAtTheEnd) {
  E->SetInsertMode(true);
  Type("7");
  EXPECT_EQ(Data(), QByteArray("\x70", 1));
  EXPECT_TRUE(E->Modified());
  Type("5");
  EXPECT_EQ(Data(), QByteArray("\x75", 1));
  EXPECT_EQ(Cell(), HexCell(1)) << "on the append point";
  Type("9");
  EXPECT_EQ(Data(), QByteArray("\x75\x90", 2));
  EXPECT_EQ(TakeSteps(), (std::vector<UndoStep>{{rkAppend, 0, 1}, {rkChangeBytes, 0, 1}, {rkInsert, 1, 1}}));

  // The character field appends at the end too.
  E->MoveCaretToPos(2, true);
  ASSERT_EQ(Cell(), CharCell(2));
  Type("A");
  EXPECT_EQ(Data(), QByteArray("\x75\x90" "A", 3));
  EXPECT_EQ(Cell(), CharCell(3));
  EXPECT_EQ(TakeSteps(), (std::vector<UndoStep>{{rkAppend, 2, 1}}));
}

TEST_F(KeyboardTest, InsertModeTypesIntoTheCharacterFieldOfAnEmptyDocument) {
  E->SetInsertMode(true);
  E->MoveColRow(E->GetOtherFieldColNoChange(2), 2, true, true);
  Type("Hi");
  EXPECT_EQ(Data(), QByteArray("Hi"));
  EXPECT_EQ(InvalidKeys, 0);
}

TEST_F(KeyboardTest, InsertModeReplacesTheSelection) {
  Load(QByteArray("abcdef"));
  E->SetInsertMode(true);
  E->MoveCaretToPos(1, true);
  E->SetSelection(1, 3);
  Type("X");
  EXPECT_EQ(Data(), QByteArray("aXef"));
}

// ---- character typing -------------------------------------------------------------------

struct CharCase {
  const char* name;
  TKorHTranslationKind translation;
  QString typed;
  int stored;  // -1: refused with OnInvalidKey
};

TEST_F(KeyboardTest, CharacterFieldTypesThroughTheTranslation) {
  const CharCase cases[] = {
      {"windows", tkAsIs, "A", 'A'},
      {"windows accent", tkAsIs, QStringLiteral("\u00E9"), 0xE9},
      {"dos", tkDos8, QStringLiteral("\u00E9"), 0x82},
      {"ebcdic", tkBCD, "A", 0xC1},
      {"ascii refuses an accent", tkASCII, QStringLiteral("\u00E9"), -1},
      {"ascii letter", tkASCII, "z", 'z'},
  };
  for (const CharCase& k : cases) {
    Load(QByteArray("\x00\x00", 2));
    E->SetTranslation(k.translation);
    E->MoveCaretToPos(0, true);
    InvalidKeys = 0;
    TypeText(k.typed);
    if (k.stored < 0) {
      EXPECT_EQ(InvalidKeys, 1) << k.name;
      EXPECT_EQ(Data(), QByteArray("\x00\x00", 2)) << k.name;
      EXPECT_EQ(Cell(), CharCell(0)) << k.name;
    } else {
      EXPECT_EQ(InvalidKeys, 0) << k.name;
      EXPECT_EQ(uint8_t(E->ByteAt(0)), k.stored) << k.name;
      EXPECT_TRUE(E->IsByteChanged(0)) << k.name;
      EXPECT_EQ(Cell(), CharCell(1)) << k.name;
    }
  }
}

struct UnicodeCase {
  const char* name;
  bool bigEndian;
  QString typed;
  QByteArray stored;
};

TEST_F(KeyboardTest, UnicodeFieldTypesSixteenBitCharactersInEitherByteOrder) {
  const UnicodeCase cases[] = {
      {"little endian", false, "A", QByteArray("A\x00", 2)},
      {"big endian", true, "A", QByteArray("\x00" "A", 2)},
      {"euro little endian", false, QStringLiteral("\u20AC"), QByteArray("\xAC\x20", 2)},
      {"euro big endian", true, QStringLiteral("\u20AC"), QByteArray("\x20\xAC", 2)},
  };
  for (const UnicodeCase& k : cases) {
    Load(QByteArray("\x00\x00\x00\x00", 4));
    E->SetUnicodeChars(true);
    E->SetUnicodeBigEndian(k.bigEndian);
    E->MoveCaretToPos(0, true);
    TypeText(k.typed);
    EXPECT_EQ(Data(), k.stored + QByteArray(2, '\0')) << k.name;
    EXPECT_EQ(Cell(), CharCell(2)) << k.name << ": one character steps one unit";
    EXPECT_EQ(TakeSteps(), (std::vector<UndoStep>{{rkChangeBytes, 0, 2}})) << k.name;
    // Only the bytes that changed carry a mark.
    EXPECT_EQ(E->IsByteChanged(0), k.stored[0] != '\0') << k.name;
    EXPECT_EQ(E->IsByteChanged(1), k.stored[1] != '\0') << k.name;
    E->SetUnicodeChars(false);
  }
}

TEST_F(KeyboardTest, UnicodeOverwriteKeepsTheMarkOfAnUnchangedByte) {
  Load(QByteArray("\x00\x00", 2));
  E->SetUnicodeChars(true);
  E->MoveCaretToPos(0, true);
  TypeText(QStringLiteral("\u20AC"));  // AC 20: both bytes changed
  E->MoveCaretToPos(0, true);
  TypeText(QStringLiteral("\u2020"));  // 20 20: only byte 0 changes this time
  EXPECT_EQ(Data(), QByteArray("\x20\x20", 2));
  EXPECT_TRUE(E->IsByteChanged(0));
  EXPECT_TRUE(E->IsByteChanged(1)) << "byte 1 still differs from the file";
}

TEST_F(KeyboardTest, UnicodeOverwriteOfAHalfCharacterIsRefusedBeforeRecording) {
  E->SetUnicodeChars(true);
  Load(QByteArray("a\x00" "b", 3));
  E->MoveCaretToPos(2, true);
  TypeText("c");
  EXPECT_EQ(test::TakeShownExceptions(), QStringList{"Data position/length out of data bounds"});
  EXPECT_EQ(Data(), QByteArray("a\x00" "b", 3));
  EXPECT_TRUE(TakeSteps().empty());
  EXPECT_FALSE(E->Modified());
}

TEST_F(KeyboardTest, UnicodeInsertAddsAWholeCharacter) {
  Load(QByteArray("a\x00", 2));
  E->SetUnicodeChars(true);
  E->SetUnicodeBigEndian(true);
  E->SetInsertMode(true);
  E->MoveCaretToPos(0, true);
  TypeText("b");
  EXPECT_EQ(Data(), QByteArray("\x00" "ba\x00", 4));
}

// ---- deletion ---------------------------------------------------------------------------

TEST_F(KeyboardTest, BackspaceMovesLeftInOverwriteMode) {
  Load(QByteArray("abcd"));
  PlaceHex(2);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(Cell(), HexCell(1, 1));
  Key(Qt::Key_Backspace, Qt::ControlModifier);
  EXPECT_EQ(Cell(), HexCell(1, 1)) << "Ctrl+Backspace does nothing";
  EXPECT_EQ(Data(), QByteArray("abcd"));
}

TEST_F(KeyboardTest, BackspaceDeletesBeforeTheCaretInInsertMode) {
  Load(QByteArray("abcd"));
  E->SetInsertMode(true);
  PlaceHex(0);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(Data(), QByteArray("abcd")) << "nothing before position 0";
  PlaceHex(2);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(Data(), QByteArray("acd"));
  EXPECT_EQ(E->CaretPosition(), 1);
  EXPECT_TRUE(E->Modified());
}

struct TailCase {
  int size;
  QByteArray left;
};

TEST_F(KeyboardTest, BackspaceAtTheEndDeletesTheTrailingPartialUnit) {
  const TailCase cases[] = {{7, QByteArray("\x00\x01\x02\x03\x04\x05", 6)},
                            {8, QByteArray("\x00\x01\x02\x03\x04\x05", 6)}};
  for (const TailCase& k : cases) {
    Load(test::Pattern(k.size));
    E->SetBytesPerUnit(2);
    E->SetInsertMode(true);
    E->MoveCaretToPos(k.size, false);
    ASSERT_EQ(E->CaretPosition(), k.size);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Data(), k.left) << k.size << " bytes";
    EXPECT_EQ(TakeSteps(), (std::vector<UndoStep>{{rkRemove, 6, k.size - 6}})) << k.size << " bytes";
    EXPECT_EQ(E->CaretPosition(), E->DataSize()) << "still on the append point";
    E->SetInsertMode(false);
  }
}

TEST_F(KeyboardTest, DeleteInOverwriteModeNeedsCtrl) {
  Load(QByteArray("abcdef"));
  PlaceHex(1);
  E->SetSelection(1, 2);
  Key(Qt::Key_Delete);
  EXPECT_EQ(Data(), QByteArray("abcdef"));
  EXPECT_EQ(E->SelectionLength(), 0) << "plain Delete only ends the selection";

  E->SetSelection(1, 2);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(Data(), QByteArray("adef"));
  EXPECT_EQ(TakeSteps(), (std::vector<UndoStep>{{rkRemove, 1, 2}}));
  EXPECT_EQ(Cell(), HexCell(1));
  EXPECT_EQ(E->SelectionLength(), 0);

  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(Data(), QByteArray("aef")) << "without a selection: the byte at the caret";
  PlaceHex(2);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(Data(), QByteArray("ae"));
  EXPECT_EQ(Cell(), HexCell(1)) << "the caret stays on the last byte";
}

TEST_F(KeyboardTest, DeleteInInsertMode) {
  Load(QByteArray("abcdef"));
  E->SetInsertMode(true);
  PlaceHex(1);
  Key(Qt::Key_Delete);
  EXPECT_EQ(Data(), QByteArray("acdef"));
  EXPECT_EQ(Cell(), HexCell(1));
  E->SetSelection(2, 3);
  Key(Qt::Key_Delete);
  EXPECT_EQ(Data(), QByteArray("acf"));
  E->MoveCaretToPos(3, false);
  Key(Qt::Key_Delete);
  EXPECT_EQ(Data(), QByteArray("acf")) << "nothing after the append point";
}

TEST_F(KeyboardTest, DeleteSelectionWithoutASelectionAtTheAppendPointDeletesNothing) {
  Load(QByteArray("ab"));
  E->SetInsertMode(true);
  E->MoveCaretToPos(2, false);
  E->DeleteSelection(QString());
  EXPECT_EQ(Data(), QByteArray("ab"));
  EXPECT_FALSE(E->Modified());
}

TEST_F(KeyboardTest, DeletingTheLastByteLeavesAnEmptyDocument) {
  Load(QByteArray("a"));
  E->MoveCaretToPos(0, true);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(E->DataSize(), 0);
  EXPECT_EQ(Cell(), std::make_pair(E->GetOtherFieldColNoChange(2), 2)) << "first character cell";
}

// ---- locks --------------------------------------------------------------------------------

TEST_F(KeyboardTest, ReadOnlyViewRefusesTypingAndDeletion) {
  Load(QByteArray("abcd"));
  E->SetInsertMode(true);
  E->SetReadOnlyView(true);
  EXPECT_FALSE(E->InsertMode());
  PlaceHex(1);
  Type("5z");
  E->MoveCaretToPos(1, true);
  Type("x");
  Key(Qt::Key_Delete);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  E->SetSelection(0, 1);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(Data(), QByteArray("abcd"));
  EXPECT_FALSE(E->Modified());
  EXPECT_EQ(InvalidKeys, 0) << "nothing is checked while typing is impossible";
  E->SetReadOnlyView(false);
  EXPECT_TRUE(E->InsertMode()) << "the stored flag survives";
}

TEST_F(KeyboardTest, NoSizeChangeRefusesInsertionAndDeletion) {
  Load(QByteArray("abcd"));
  E->SetInsertMode(true);
  E->SetNoSizeChange(true);
  EXPECT_FALSE(E->StoredInsertMode());
  Key(Qt::Key_Insert);
  EXPECT_FALSE(E->InsertMode()) << "insert mode cannot come back";

  PlaceHex(1);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(test::TakeShownExceptions(), QStringList{"Cannot update undo storage"});
  E->SetSelection(1, 2);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(test::TakeShownExceptions(), QStringList{"Cannot update undo storage"});
  EXPECT_EQ(Data(), QByteArray("abcd"));
  EXPECT_FALSE(E->Modified());

  // Overwriting keeps the size and is allowed.
  PlaceHex(0);
  Type("0");
  EXPECT_EQ(uint8_t(E->ByteAt(0)), 0x01);
}

TEST_F(KeyboardTest, RefusedDeletionKeepsTheChangedMarks) {
  Load(QByteArray("abcd"));
  PlaceHex(3);
  Type("0");
  ASSERT_TRUE(E->IsByteChanged(3));
  E->SetNoSizeChange(true);
  E->SetSelection(1, 2);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(test::TakeShownExceptions(), QStringList{"Cannot update undo storage"});
  EXPECT_TRUE(E->IsByteChanged(3));
}

// ---- insert mode switch --------------------------------------------------------------------

TEST_F(KeyboardTest, InsertKeyTogglesInsertModeAndTheAppendRow) {
  Load(test::Pattern(32));  // exactly two rows
  PlaceHex(5);
  Type("9");
  ASSERT_TRUE(E->IsByteChanged(5));
  const int rows = E->RowCount();
  Key(Qt::Key_Insert);
  EXPECT_TRUE(E->InsertMode());
  EXPECT_EQ(E->RowCount(), rows + 1) << "room for the append point";
  EXPECT_EQ(E->ChangedBytes().Size(), 0);
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(E->CaretPosition(), 32);
  Key(Qt::Key_Insert);
  EXPECT_FALSE(E->InsertMode());
  EXPECT_EQ(E->RowCount(), rows);
  EXPECT_EQ(E->CaretPosition(), 31) << "off the append point";
  Key(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_FALSE(E->InsertMode()) << "only the plain key toggles";
}

// ---- selection by Shift ----------------------------------------------------------------------

TEST_F(KeyboardTest, ShiftStartsASelectionGesture) {
  Load(test::Pattern(16));
  PlaceHex(4);
  Key(Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_TRUE(E->Selecting());
  Key(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(E->SelectionStart(), 4);
  EXPECT_EQ(E->SelectionEnd(), 5);
  EXPECT_EQ(Cell(), HexCell(5));
  Key(Qt::Key_Left, Qt::ShiftModifier);
  Key(Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(E->SelectionStart(), 3);
  EXPECT_EQ(E->SelectionEnd(), 4);
  // A plain arrow ends the selection.
  Key(Qt::Key_Right);
  EXPECT_EQ(E->SelectionLength(), 0);
  EXPECT_FALSE(E->Selecting());
}

TEST_F(KeyboardTest, ShiftArrowsStepWholeUnits) {
  Load(test::Pattern(16));
  E->SetBytesPerUnit(4);
  PlaceHex(4);
  Key(Qt::Key_Shift, Qt::ShiftModifier);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(E->CaretPosition(), 8);
  EXPECT_EQ(E->SelectionStart(), 4);
  EXPECT_EQ(E->SelectionEnd(), 11);
}

// ---- navigation -------------------------------------------------------------------------------

TEST_F(KeyboardTest, ArrowsWalkNibblesAndStopAtTheEdges) {
  Load(test::Pattern(20));
  PlaceHex(0);
  Key(Qt::Key_Left);
  EXPECT_EQ(Cell(), HexCell(0)) << "nothing before the first nibble";
  Key(Qt::Key_Up);
  EXPECT_EQ(Cell(), HexCell(0));
  Key(Qt::Key_Right);
  Key(Qt::Key_Right);
  EXPECT_EQ(Cell(), HexCell(1));
  Key(Qt::Key_Down);
  EXPECT_EQ(Cell(), HexCell(17));
  Key(Qt::Key_Down);
  EXPECT_EQ(Cell(), HexCell(17)) << "no row below";
  Key(Qt::Key_Down, Qt::ControlModifier);
  Key(Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(Cell(), HexCell(17)) << "Ctrl+Up and Ctrl+Down do nothing";
  PlaceHex(19, 1);
  Key(Qt::Key_Right);
  EXPECT_EQ(Cell(), HexCell(19, 1)) << "nothing after the last nibble";

  E->MoveCaretToPos(19, true);
  Key(Qt::Key_Right);
  EXPECT_EQ(Cell(), CharCell(19));
  Key(Qt::Key_Left);
  EXPECT_EQ(Cell(), CharCell(18));
}

struct NavCase {
  const char* name;
  int32_t from;
  bool charField;
  Qt::Key key;
  Qt::KeyboardModifiers mods;
  int32_t to;
  int nibble;  // in the hex field: the column of the byte reached
};

TEST_F(KeyboardTest, HomeEndAndCtrlArrowsReachRowAndDocumentEdges) {
  Load(test::Pattern(40));  // rows of 16, 16, 8
  const NavCase cases[] = {
      {"Home", 21, false, Qt::Key_Home, Qt::NoModifier, 16, 0},
      {"Home in the character field", 21, true, Qt::Key_Home, Qt::NoModifier, 16, 0},
      {"Ctrl+Home", 37, true, Qt::Key_Home, Qt::ControlModifier, 0, 0},
      {"End", 17, false, Qt::Key_End, Qt::NoModifier, 31, 1},
      {"End in the character field", 17, true, Qt::Key_End, Qt::NoModifier, 31, 0},
      {"End of the short last row", 33, false, Qt::Key_End, Qt::NoModifier, 39, 1},
      {"Ctrl+End", 3, false, Qt::Key_End, Qt::ControlModifier, 39, 0},
      {"Ctrl+Left", 21, true, Qt::Key_Left, Qt::ControlModifier, 16, 0},
      {"Ctrl+Right", 21, false, Qt::Key_Right, Qt::ControlModifier, 31, -1},
      {"Ctrl+Right on the short last row", 33, false, Qt::Key_Right, Qt::ControlModifier, 39, -1},
  };
  for (const NavCase& k : cases) {
    E->MoveCaretToPos(k.from, k.charField);
    Key(k.key, k.mods);
    EXPECT_EQ(E->CaretPosition(), k.to) << k.name;
    if (k.nibble < 0)
      EXPECT_EQ(Cell(), CharCell(k.to)) << k.name << ": the last column is a character cell";
    else if (k.charField && k.key != Qt::Key_Left)
      EXPECT_EQ(Cell(), CharCell(k.to)) << k.name;
    else
      EXPECT_EQ(Cell(), HexCell(k.to, k.nibble)) << k.name;
  }
}

TEST_F(KeyboardTest, PagesMoveByTheVisibleRows) {
  Load(test::Pattern(16 * 200));
  const int visible = E->VisibleRowCount();
  ASSERT_GT(visible, 2);
  PlaceHex(3);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(E->Row(), 2 + visible - 1);
  EXPECT_EQ(E->TopRow(), 2 + visible - 1);
  EXPECT_EQ(E->Col(), HexCell(3).first) << "the column is kept";
  Key(Qt::Key_PageUp);
  EXPECT_EQ(E->Row(), 2);
  EXPECT_EQ(E->TopRow(), 2);
  Key(Qt::Key_PageUp);
  EXPECT_EQ(E->Row(), 2) << "stops at the first row";

  Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(E->Row(), 2 + visible - 1) << "Ctrl: the bottom visible row";
  EXPECT_EQ(E->TopRow(), 2);
  Key(Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(E->Row(), 2) << "Ctrl: the top visible row";

  Key(Qt::Key_End, Qt::ControlModifier);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(E->Row(), E->RowCount() - 1) << "stops at the last row";
  EXPECT_EQ(E->TopRow(), E->RowCount() - visible);
}

TEST_F(KeyboardTest, TabSwitchesFieldsWhileWantTabsIsOn) {
  Load(test::Pattern(40));
  PlaceHex(21, 1);
  Key(Qt::Key_Tab);
  EXPECT_EQ(Cell(), CharCell(21));
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Cell(), HexCell(21));
  Key(Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(Cell(), CharCell(21));
  EXPECT_TRUE(E->Focused());

  E->SetWantTabs(false);
  Key(Qt::Key_Tab);
  EXPECT_FALSE(E->Focused()) << "Tab goes to the dialog manager";
  EXPECT_EQ(Cell(), CharCell(21));
}

TEST_F(KeyboardTest, DialogCodeAsksForArrowsAllKeysCharactersAndTabs) {
  EXPECT_EQ(E->DialogCode(), DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTTAB);
  E->SetWantTabs(false);
  EXPECT_EQ(E->DialogCode(), DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS);
}

TEST_F(KeyboardTest, CtrlASelectsEverything) {
  Load(test::Pattern(40));
  E->MoveCaretToPos(5, true);
  Key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(E->SelectionStart(), 0);
  EXPECT_EQ(E->SelectionEnd(), 39);
  EXPECT_EQ(Cell(), CharCell(39));
  E->ResetSelection(true);
  Key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(E->SelectionLength(), 0) << "Ctrl+Shift+A is not select all";
  EXPECT_EQ(Data(), test::Pattern(40));
}

}  // namespace
}  // namespace vexa
