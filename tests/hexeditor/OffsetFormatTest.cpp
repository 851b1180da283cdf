#include <gtest/gtest.h>

#include <stdexcept>

#include "hexeditor/KorHexEditorError.h"
#include "hexeditor/OffsetFormat.h"

using namespace vexa;

namespace {

TKorHLayoutValues Layout(int bytesPerRow = 16, int bytesPerColumn = 2, int bytesPerUnit = 1, bool unicode = false) {
  return TKorHLayoutValues{bytesPerRow, bytesPerColumn, bytesPerUnit, unicode};
}

// The message of the EKorHexEditor that f raises, or a marker when it raises none.
template <class F>
QString RaisedMessage(F&& f) {
  try {
    f();
  } catch (const EKorHexEditor& e) {
    return e.Message();
  }
  return QStringLiteral("<nothing raised>");
}

// Rows of a grid holding dataSize bytes in overwrite mode: two fixed rows plus the data rows.
int RowCountFor(int dataSize, int bytesPerRow) {
  return dataSize > 0 ? 2 + (dataSize + bytesPerRow - 1) / bytesPerRow : 3;
}

}  // namespace

// --- Radix conversions -------------------------------------------------------------------

TEST(RadixText, ToRadixTextDigitsAndPadding) {
  struct Case {
    uint32_t value;
    int radix;
    uint8_t minLength;
    const char* expected;
  };
  const Case cases[] = {
      {0, 16, 0, "0"},
      {0, 10, 3, "000"},
      {4660, 16, 0, "1234"},
      {4660, 8, 0, "11064"},
      {4660, 10, 6, "004660"},
      {255, 16, 1, "FF"},
      {5, 2, 8, "00000101"},
      {0xFFFFFFFFu, 2, 0, "11111111111111111111111111111111"},
      {0xFFFFFFFFu, 16, 0, "FFFFFFFF"},
      {35, 13, 0, "29"},
      {1234, 10, 2, "1234"},  // never cut to MinLength
  };
  for (const Case& c : cases)
    EXPECT_EQ(ToRadixText(c.value, c.radix, c.minLength), c.expected) << c.value << " radix " << c.radix;
  EXPECT_EQ(ToRadixText(7, 10, 255).size(), 255);
}

TEST(RadixText, FromRadixTextReadsEitherCaseAndWraps) {
  struct Case {
    const char* text;
    int radix;
    uint32_t expected;
  };
  const Case cases[] = {
      {"", 16, 0},
      {"0", 2, 0},
      {"1234", 16, 0x1234},
      {"abCD", 16, 0xABCD},
      {"11064", 8, 4660},
      {"101", 2, 5},
      {"FFFFFFFF", 16, 0xFFFFFFFFu},
      {"100000000", 16, 0},        // 2^32 wraps to 0
      {"100000001", 16, 1},
      {"4294967297", 10, 1},       // 2^32 + 1
  };
  for (const Case& c : cases) EXPECT_EQ(FromRadixText(c.text, c.radix), c.expected) << c.text;
}

TEST(RadixText, RoundTripsInEveryRadix) {
  const uint32_t values[] = {0, 1, 15, 16, 255, 4660, 999984, 0x7FFFFFFFu, 0xFFFFFFFFu};
  for (int radix = 2; radix <= 16; ++radix)
    for (uint32_t v : values) {
      const QString text = ToRadixText(v, radix, 0);
      EXPECT_EQ(FromRadixText(text, radix), v) << v << " radix " << radix;
      EXPECT_EQ(FromRadixText(text.toLower(), radix), v) << v << " radix " << radix;
    }
}

TEST(RadixText, FromRadixTextRefusesForeignCharacters) {
  struct Case {
    QString text;
    int radix;
    QString message;
  };
  const Case cases[] = {
      {"12G4", 16, "Invalid character G, cannot convert using radix 10h"},
      {"1g", 16, "Invalid character G, cannot convert using radix 10h"},  // reported upper-cased
      {"1012", 2, "Invalid character 2, cannot convert using radix 2h"},
      {"9", 8, "Invalid character 9, cannot convert using radix 8h"},
      {"A", 10, "Invalid character A, cannot convert using radix Ah"},
      {" 1", 10, "Invalid character  , cannot convert using radix Ah"},
      {"-1", 10, "Invalid character -, cannot convert using radix Ah"},
      {QString::fromUtf8("1\xC3\xA9"), 16, QString::fromUtf8("Invalid character \xC3\xA9, cannot convert using radix 10h")},
      {QString::fromUtf8("\xF0\x9F\x98\x80"), 16,
       QString::fromUtf8("Invalid character \xF0\x9F\x98\x80, cannot convert using radix 10h")},
      {QString::fromUtf8("\xEF\xBC\x91"), 16,  // a full-width digit one is no digit here
       QString::fromUtf8("Invalid character \xEF\xBC\x91, cannot convert using radix 10h")},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RaisedMessage([&] { FromRadixText(c.text, c.radix); }), c.message) << c.text.toStdString();
}

TEST(RadixText, RadixOutsideTwoToSixteenIsRefused) {
  for (int radix : {-1, 0, 1, 17, 256}) {
    const QString expected = QString("Invalid radix %1, allowed: 2..16").arg(radix);
    EXPECT_EQ(RaisedMessage([&] { ToRadixText(10, radix, 0); }), expected);
    EXPECT_EQ(RaisedMessage([&] { FromRadixText("1", radix); }), expected);
  }
}

// --- Offset format grammar ---------------------------------------------------------------

TEST(ParseOffsetFormat, ReadsEveryElement) {
  struct Case {
    QString text;
    TKorHLayoutValues layout;
    int rulerUnit;
    QString prefix, suffix;
    int32_t minWidth;
    TKorHOffsetFormatFlags flags;
    uint8_t radix;
    uint32_t unitSize;
  };
  const Case cases[] = {
      {"-!10:0x|", Layout(), 1, "0x", "", 1, {ofRulerUnit, ofAutoWidth}, 16, 1},
      {"a:|", Layout(), 1, "", "", 1, {ofRulerUnit}, 10, 1},
      {"0!8:o|", Layout(), 1, "o", "", 0, {ofRulerUnit}, 8, 1},
      {"C%4!10:|h", Layout(16, 2), 1, "", "h", 4, {ofColumnUnit}, 16, 2},
      {"c%10:|", Layout(16, 8), 1, "", "", 1, {ofColumnUnit}, 16, 8},
      {"R%a:|", Layout(8), 1, "", "", 1, {ofRowUnit}, 10, 8},
      {"r%-!2:|", Layout(4), 1, "", "", 1, {ofRowUnit, ofAutoWidth}, 2, 4},
      {"10:|", Layout(), 4, "", "", 1, {ofRulerUnit}, 16, 4},
      {"%!10:|", Layout(), 2, "", "", 1, {ofRulerUnit}, 16, 2},
      {"4%10:|", Layout(), 1, "", "", 1, {}, 16, 4},
      {"8%2!2:[|]", Layout(), 1, "[", "]", 2, {}, 2, 8},
      {"10:a|b|c", Layout(), 1, "a", "b|c", 1, {ofRulerUnit}, 16, 1},
      {"10:||", Layout(), 1, "", "|", 1, {ofRulerUnit}, 16, 1},
      {"1F!10:|", Layout(), 1, "", "", 31, {ofRulerUnit}, 16, 1},
      // Long digit runs: unit and radix are taken modulo 256, the width wraps at 32 bits.
      {"104%10:|", Layout(), 1, "", "", 1, {}, 16, 4},
      {"123456789ABCDEF0110:|", Layout(), 1, "", "", 1, {ofRulerUnit}, 16, 1},
      {"123456789ABCDEF0108!10:|", Layout(), 1, "", "", static_cast<int32_t>(0xCDEF0108u), {ofRulerUnit}, 16, 1},
      {QString::fromUtf8("10:\xC3\xA9|\xF0\x9F\x98\x80"), Layout(), 1, QString::fromUtf8("\xC3\xA9"),
       QString::fromUtf8("\xF0\x9F\x98\x80"), 1, {ofRulerUnit}, 16, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    const TKorHOffsetFormat f = ParseOffsetFormat(c.text, c.layout, c.rulerUnit);
    EXPECT_EQ(f.Format, c.text);
    EXPECT_EQ(f.Prefix, c.prefix);
    EXPECT_EQ(f.Suffix, c.suffix);
    EXPECT_EQ(f.MinWidth, c.minWidth);
    EXPECT_EQ(f.Flags.Bits(), c.flags.Bits());
    EXPECT_EQ(f.Radix, c.radix);
    EXPECT_EQ(f.UnitSize, c.unitSize);
  }
}

TEST(ParseOffsetFormat, EmptyTextGivesNoOffsets) {
  const TKorHOffsetFormat f = ParseOffsetFormat("", Layout(), 1);
  EXPECT_TRUE(f.Format.isEmpty());
  EXPECT_TRUE(f.Flags.Empty());
  EXPECT_EQ(FormatOffset(f, 0, false), "");
  EXPECT_EQ(FormatOffset(f, 4660, false), "");
}

TEST(ParseOffsetFormat, MalformedTextsRaise) {
  const QString unit = "Invalid bytes per unit value %1, allowed: 1,2,4,8";
  const QString missing = "Missing char in offset format: %1";
  const QString radix = "Invalid radix in offset format (%1h), allowed: 02h..10h";
  struct Case {
    QString text;
    TKorHLayoutValues layout;
    QString message;
  };
  const Case cases[] = {
      {"10|", Layout(), missing.arg(":")},
      {":|", Layout(), missing.arg("number radix")},
      {"11:", Layout(), radix.arg("11")},
      {"10:", Layout(), missing.arg("|")},
      {"R%a:|", Layout(16), unit.arg(16)},
      {"R%a:|", Layout(256), unit.arg(0)},  // a row length is reported modulo 256
      {"C%10:|", Layout(16, 3), unit.arg(3)},
      {"3%10:|", Layout(), unit.arg(3)},
      {"0%10:|", Layout(), unit.arg(0)},
      {"1:|", Layout(), radix.arg("1")},
      {"0:|", Layout(), radix.arg("0")},
      {"100:|", Layout(), radix.arg("0")},
      {"20:|", Layout(), radix.arg("20")},
      {"1000000000000000011:|", Layout(), radix.arg("11")},
      // Texts that end inside an element.
      {"|", Layout(), missing.arg("number radix")},
      {"%", Layout(), missing.arg("number radix")},
      {"R", Layout(), missing.arg("number radix")},
      {"R%", Layout(8), missing.arg("number radix")},
      {"-", Layout(), missing.arg("number radix")},
      {"-!", Layout(), missing.arg("number radix")},
      {"4!", Layout(), missing.arg("number radix")},
      {"10", Layout(), missing.arg(":")},
      {"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", Layout(), missing.arg(":")},
      {"-5!10:|", Layout(), missing.arg("number radix")},
      {QString::fromUtf8("\xEF\xBC\x91\xEF\xBC\x90:|"), Layout(), missing.arg("number radix")},  // full-width "10"
      {QString::fromUtf8("10\xC3\xA9:|"), Layout(), missing.arg(":")},
      {QString::fromUtf8("10:\xC3\xA9"), Layout(), missing.arg("|")},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RaisedMessage([&] { ParseOffsetFormat(c.text, c.layout, 1); }), c.message) << c.text.toStdString();
}

// --- Offset text -------------------------------------------------------------------------

TEST(FormatOffset, DigitsPrefixSuffixAndCase) {
  struct Case {
    const char* format;
    TKorHLayoutValues layout;
    int rulerUnit;
    uint32_t position;
    bool lower;
    const char* expected;
  };
  const Case cases[] = {
      {"0!8:o|", Layout(), 1, 0, false, "o"},  // no digit at all for position 0
      {"0!8:o|", Layout(), 1, 16, false, "o20"},
      {"0!8:o|", Layout(), 1, 4660, false, "o11064"},
      {"a:|", Layout(), 1, 0, false, "0"},
      {"a:|", Layout(), 1, 4660, false, "4660"},
      {"C%4!10:|h", Layout(16, 2), 1, 0, false, "0000h"},
      {"C%4!10:|h", Layout(16, 2), 1, 4660, false, "091Ah"},
      {"10:|", Layout(), 2, 16, false, "8"},
      {"R%a:|", Layout(8), 1, 24, false, "3"},
      {"10:0x|", Layout(), 1, 0xABC, false, "0xABC"},
      {"10:0x|", Layout(), 1, 0xABC, true, "0xabc"},
      {"10:AbC|dEf", Layout(), 1, 255, true, "AbCffdEf"},   // prefix and suffix keep their case
      {"10:AbC|dEf", Layout(), 1, 255, false, "AbCFFdEf"},
      {"1F!2:|", Layout(), 1, 5, false, "0000000000000000000000000000101"},
      {"10:|", Layout(), 1, 0xFFFFFFFFu, false, "FFFFFFFF"},
      {"8%10:|", Layout(), 1, 0xFFFFFFFFu, false, "1FFFFFFF"},  // unsigned division
  };
  for (const Case& c : cases) {
    const TKorHOffsetFormat f = ParseOffsetFormat(c.format, c.layout, c.rulerUnit);
    EXPECT_EQ(FormatOffset(f, c.position, c.lower), c.expected) << c.format << " at " << c.position;
  }
}

TEST(FormatOffset, WidthIsTakenModulo256) {
  // 0x108 digits wanted: the width wraps to 8.
  const TKorHOffsetFormat f = ParseOffsetFormat("108!10:|", Layout(), 1);
  EXPECT_EQ(FormatOffset(f, 1, false), "00000001");
}

// --- The control's state: offset column --------------------------------------------------

TEST(OffsetColumn, AutomaticWidthFollowsTheLastRow) {
  TKorHOffsetRuler r;  // "-!10:0x|"
  const int w = 7;
  const int rows = RowCountFor(1000000, 16);
  EXPECT_EQ(r.UpdateOffsetColumn(rows, 16, w, {}), 8 * w + 21);
  EXPECT_EQ(r.OffsetCharCount(), 8);
  EXPECT_EQ(r.OffsetFormatRecord().MinWidth, 5);
  EXPECT_EQ(r.FormatOffset(0, {}), "0x00000");
  EXPECT_EQ(r.FormatOffset(999984, {}), "0xF4230");

  // The width shrinks again with the data.
  EXPECT_EQ(r.UpdateOffsetColumn(RowCountFor(100, 16), 16, w, {}), 5 * w + 21);
  EXPECT_EQ(r.FormatOffset(0, {}), "0x00");
  EXPECT_EQ(r.FormatOffset(96, {}), "0x60");

  // A fixed gutter width replaces the computed one; the character count is still kept.
  ASSERT_TRUE(r.SetGutterWidth(40));
  EXPECT_FALSE(r.SetGutterWidth(40));
  EXPECT_EQ(r.UpdateOffsetColumn(rows, 16, w, {}), 40);
  EXPECT_EQ(r.OffsetCharCount(), 8);
}

TEST(OffsetColumn, FixedFormatsAndTheEmptyFormat) {
  struct Case {
    const char* format;
    int dataSize;
    int offsetCharCount;
  };
  const Case cases[] = {
      {"a:|", 1, 2},             // "0"
      {"a:|", 1000000, 7},       // "999984"
      {"0!8:o|", 1, 2},          // "o"
      {"0!8:o|", 17, 4},         // "o20"
      {"", 1000000, 1},
      {"", 0, 1},
  };
  for (const Case& c : cases) {
    TKorHOffsetRuler r;
    r.ParseOffsetFormat(c.format, Layout());
    EXPECT_EQ(r.UpdateOffsetColumn(RowCountFor(c.dataSize, 16), 16, 9, {}), c.offsetCharCount * 9 + 21)
        << c.format << " with " << c.dataSize;
    EXPECT_EQ(r.OffsetCharCount(), c.offsetCharCount);
  }
}

TEST(OffsetColumn, HandlerTextReplacesTheFormat) {
  TKorHOffsetRuler r;
  std::vector<int64_t> asked;
  const TKorHOffsetTextRequest handler = [&](int64_t number, QString& text) {
    asked.push_back(number);
    EXPECT_TRUE(text.isEmpty());
    text = "abc";
  };
  EXPECT_EQ(r.UpdateOffsetColumn(RowCountFor(1000000, 16), 16, 7, handler), 4 * 7 + 21);
  EXPECT_EQ(r.OffsetCharCount(), 4);
  EXPECT_EQ(r.FormatOffset(4660, handler), "abc");  // no prefix, suffix or case change
  EXPECT_EQ(asked, (std::vector<int64_t>{999984, 4660}));
}

TEST(OffsetColumn, NestedRequestIsAnsweredFromTheFormat) {
  TKorHOffsetRuler r;
  r.ParseOffsetFormat("10:<|>", Layout());
  TKorHOffsetTextRequest handler;
  int calls = 0;
  handler = [&](int64_t number, QString& text) {
    ++calls;
    text = "[" + r.FormatOffset(static_cast<uint32_t>(number), handler) + "]";
  };
  EXPECT_EQ(r.FormatOffset(255, handler), "[<FF>]");
  EXPECT_EQ(calls, 1);
}

TEST(OffsetColumn, RaisingHandlerLeavesTheGuardClear) {
  TKorHOffsetRuler r;
  bool fail = true;
  const TKorHOffsetTextRequest handler = [&](int64_t, QString& text) {
    if (fail) throw std::runtime_error("handler failed");
    text = "ok";
  };
  EXPECT_THROW(r.FormatOffset(0, handler), std::runtime_error);
  EXPECT_THROW(r.UpdateOffsetColumn(3, 16, 7, handler), std::runtime_error);
  fail = false;
  EXPECT_EQ(r.FormatOffset(0, handler), "ok");  // the handler is asked again
}

// --- The control's state: setting the format ---------------------------------------------

TEST(SetOffsetFormat, FailedAssignmentKeepsThePreviousFormat) {
  TKorHOffsetRuler r;
  const int rows = RowCountFor(1000000, 16);
  r.UpdateOffsetColumn(rows, 16, 7, {});
  const TKorHOffsetFormat before = r.OffsetFormatRecord();
  int applied = 0;
  const auto apply = [&] { ++applied; };

  EXPECT_FALSE(r.SetOffsetFormat("-!10:0x|", Layout(), apply));  // unchanged text
  for (const char* bad : {"R%a:|", "10|", "11:|", "C%4!10"}) {
    EXPECT_THROW(r.SetOffsetFormat(bad, Layout(), apply), EKorHexEditor) << bad;
    EXPECT_EQ(r.OffsetFormatRecord(), before) << bad;  // automatic width included
  }
  EXPECT_EQ(applied, 0);
  EXPECT_EQ(r.FormatOffset(16, {}), "0x00010");
}

TEST(SetOffsetFormat, FailureWhileApplyingRestoresTheRecord) {
  TKorHOffsetRuler r;
  r.UpdateOffsetColumn(RowCountFor(4096, 16), 16, 7, {});
  const TKorHOffsetFormat before = r.OffsetFormatRecord();
  const int charCount = r.OffsetCharCount();
  EXPECT_THROW(r.SetOffsetFormat("a:|", Layout(), [&] {
    r.UpdateOffsetColumn(RowCountFor(4096, 16), 16, 7, {});
    throw EKorHexEditor("repaint failed");
  }),
               EKorHexEditor);
  EXPECT_EQ(r.OffsetFormatRecord(), before);
  EXPECT_EQ(r.OffsetCharCount(), charCount);
}

TEST(SetOffsetFormat, RowUnitFollowsTheRowLength) {
  TKorHOffsetRuler r;
  EXPECT_EQ(RaisedMessage([&] { r.SetOffsetFormat("R%a:|", Layout(16), {}); }),
            "Invalid bytes per unit value 16, allowed: 1,2,4,8");
  EXPECT_EQ(r.OffsetFormat(), "-!10:0x|");

  ASSERT_TRUE(r.SetOffsetFormat("R%a:|", Layout(8), {}));
  EXPECT_EQ(r.FormatOffset(0, {}), "0");
  EXPECT_EQ(r.FormatOffset(8, {}), "1");
  EXPECT_EQ(r.FormatOffset(16, {}), "2");

  // A new row length is taken as it is, without the parser's unit check.
  r.FollowBytesPerRow(16);
  EXPECT_EQ(r.OffsetFormatRecord().UnitSize, 16u);
  EXPECT_EQ(r.FormatOffset(32, {}), "2");

  // The old text could no longer be parsed with 16 bytes per row; a failed assignment still
  // leaves it in force with its followed unit.
  EXPECT_THROW(r.SetOffsetFormat("10|", Layout(16), {}), EKorHexEditor);
  EXPECT_EQ(r.OffsetFormat(), "R%a:|");
  EXPECT_EQ(r.FormatOffset(48, {}), "3");
}

TEST(UnitFollowing, EachUnitSourceFollowsItsSetting) {
  struct Case {
    const char* format;
    TKorHLayoutValues changed;
    uint32_t unitSize;
  };
  const TKorHLayoutValues start = Layout(8, 2, 1);
  const Case cases[] = {
      {"R%10:|", Layout(32, 2, 1), 32},
      {"R%10:|", Layout(8, 4, 2), 8},
      {"C%10:|", Layout(8, 16, 1), 16},
      {"C%10:|", Layout(16, 2, 1), 2},
      {"10:|", Layout(8, 2, 2), 2},
      {"%10:|", Layout(8, 2, 8), 8},
      {"10:|", Layout(64, 32, 1), 1},
      {"4%10:|", Layout(32, 8, 8), 4},  // an explicit unit never follows
  };
  for (const Case& c : cases) {
    TKorHOffsetRuler r;
    r.ParseOffsetFormat(c.format, start);
    r.LayoutChanged(c.changed);
    EXPECT_EQ(r.OffsetFormatRecord().UnitSize, c.unitSize) << c.format;
  }
}

TEST(UnitFollowing, RulerUnitFollowsBytesPerUnitOnlyWhileUnset) {
  TKorHOffsetRuler r;
  r.ParseOffsetFormat("10:|", Layout());
  r.FollowBytesPerUnit(2);
  EXPECT_EQ(r.RulerUnit(), 2);
  EXPECT_EQ(r.FormatOffset(16, {}), "8");

  ASSERT_TRUE(r.SetRulerBytesPerUnit(4, Layout(16, 2, 2)));
  EXPECT_EQ(r.RulerUnit(), 4);
  EXPECT_EQ(r.FormatOffset(16, {}), "4");
  r.FollowBytesPerUnit(8);
  EXPECT_EQ(r.RulerUnit(), 4);

  ASSERT_TRUE(r.SetRulerBytesPerUnit(-1, Layout(16, 2, 8)));
  EXPECT_EQ(r.RulerUnit(), 8);
  EXPECT_EQ(r.FormatOffset(16, {}), "2");
}

TEST(RulerSettings, RulerBytesPerUnitIsValidated) {
  TKorHOffsetRuler r;
  for (int bad : {0, 3, -2, 16, 256}) {
    EXPECT_EQ(RaisedMessage([&] { r.SetRulerBytesPerUnit(bad, Layout()); }),
              QString("Invalid ruler bytes per unit value %1, allowed: -1,1,2,4,8").arg(bad));
    EXPECT_EQ(r.RulerBytesPerUnit(), -1);
    EXPECT_EQ(r.RulerUnit(), 1);
  }
  EXPECT_FALSE(r.SetRulerBytesPerUnit(-1, Layout()));
  for (int good : {1, 2, 4, 8}) {
    EXPECT_TRUE(r.SetRulerBytesPerUnit(good, Layout()));
    EXPECT_EQ(r.RulerUnit(), good);
    EXPECT_EQ(r.HexRulerText().size(), 32);  // 16 / good labels of 2 x good characters
  }
}

TEST(RulerSettings, NumberBaseOutsideRangeBecomesSixteen) {
  TKorHOffsetRuler r;
  const TKorHRulerTexts hex = {r.HexRulerText(), r.CharRulerText()};
  ASSERT_TRUE(r.SetRulerNumberBase(2, Layout()));
  EXPECT_EQ(r.CharRulerText(), "0101010101010101");
  for (uint8_t bad : {uint8_t(1), uint8_t(17), uint8_t(0), uint8_t(255)}) {
    r.SetRulerNumberBase(2, Layout());
    ASSERT_EQ(r.RulerNumberBase(), 2);
    EXPECT_TRUE(r.SetRulerNumberBase(bad, Layout()));
    EXPECT_EQ(r.RulerNumberBase(), 16);
    EXPECT_EQ((TKorHRulerTexts{r.HexRulerText(), r.CharRulerText()}), hex);
  }
  EXPECT_FALSE(r.SetRulerNumberBase(16, Layout()));
}

TEST(RulerSettings, HexLowerCaseSelectsDigitsAndRulerCase) {
  TKorHOffsetRuler r;
  EXPECT_STREQ(r.HexDigits(), "0123456789ABCDEF");
  EXPECT_EQ(r.CharRulerText(), "0123456789ABCDEF");
  ASSERT_TRUE(r.SetHexLowerCase(true, Layout()));
  EXPECT_FALSE(r.SetHexLowerCase(true, Layout()));
  EXPECT_STREQ(r.HexDigits(), "0123456789abcdef");
  EXPECT_EQ(r.CharRulerText(), "0123456789abcdef");
  EXPECT_EQ(r.HexRulerText().right(4), "0e0f");

  // Prefix and suffix keep their case; the digits follow HexLowerCase.
  ASSERT_TRUE(r.SetOffsetFormat("-!10:0X|h", Layout(), {}));
  r.UpdateOffsetColumn(RowCountFor(4096, 16), 16, 7, {});  // last row 0xFF0: width 3
  EXPECT_EQ(r.FormatOffset(4080, {}), "0Xff0h");
  ASSERT_TRUE(r.SetHexLowerCase(false, Layout()));
  EXPECT_EQ(r.FormatOffset(4080, {}), "0XFF0h");
}

// --- Ruler texts -------------------------------------------------------------------------

TEST(RulerTexts, LabelsPerUnit) {
  struct Case {
    int bytesPerRow, unit, base;
    bool unicode, lower;
    const char* hex;
    const char* chars;
  };
  const Case cases[] = {
      {16, 1, 16, false, false, "000102030405060708090A0B0C0D0E0F", "0123456789ABCDEF"},
      {16, 1, 16, false, true, "000102030405060708090a0b0c0d0e0f", "0123456789abcdef"},
      {16, 4, 16, false, false, "00000000000000010000000200000003", "   0   1   2   3"},
      {16, 1, 2, false, false, "00011011000110110001101100011011", "0101010101010101"},
      {16, 2, 2, false, false, "00000001001000110100010101100111", " 0 1101100011011"},
      {16, 2, 16, true, false, "00000001000200030004000500060007", "01234567"},
      {16, 1, 16, true, false, "000102030405060708090A0B0C0D0E0F", ""},  // no room for a label
      {8, 2, 16, true, false, "0000000100020003", "0123"},
      {32, 1, 10, false, false,
       "0001020304050607080910111213141516171819202122232425262728293031",
       "01234567890123456789012345678901"},
      {10, 4, 16, false, false, "0000000000000001", "   0   1"},  // only whole units are labelled
      {16, 8, 16, true, false, "00000000000000000000000000000001", "   0   1"},
  };
  for (const Case& c : cases) {
    const TKorHRulerTexts t = BuildRulerTexts(c.bytesPerRow, c.unit, c.base, c.unicode, c.lower);
    EXPECT_EQ(t.HexRulerText, c.hex) << c.bytesPerRow << "/" << c.unit << " base " << c.base;
    EXPECT_EQ(t.CharRulerText, c.chars) << c.bytesPerRow << "/" << c.unit << " base " << c.base;
  }
}
