#include <gtest/gtest.h>

#include <QJsonValue>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "hexeditor/Translation.h"
#include "platform/CodePages.h"

using namespace vexa;

namespace {

const TKorHCharSet Masked = DefaultMaskedChars();

struct DisplayCase {
  TKorHTranslationKind kind;
  uint8_t byte;
  uint8_t maskChar;
  uint8_t shown;
};

struct TypingCase {
  TKorHTranslationKind kind;
  uint8_t typed;
  uint8_t stored;  // 0: refused
};

// Restores the process-wide custom tables after a test fills them.
class CustomTables : public testing::Test {
protected:
  void TearDown() override {
    CustomByteToChar = FSavedByteToChar;
    CustomCharToByte = FSavedCharToByte;
  }

private:
  TKorHByteTable FSavedByteToChar = CustomByteToChar;
  TKorHByteTable FSavedCharToByte = CustomCharToByte;
};

}  // namespace

TEST(Translation, NamesInKindOrder) {
  EXPECT_STREQ(TranslationDisplayNames[tkAsIs], "Windows");
  EXPECT_STREQ(TranslationDisplayNames[tkDos8], "Dos 8 bits");
  EXPECT_STREQ(TranslationDisplayNames[tkASCII], "ASCII 7 bits");
  EXPECT_STREQ(TranslationDisplayNames[tkMac], "Macintosh");
  EXPECT_STREQ(TranslationDisplayNames[tkBCD], "EBCDIC codepage 38");
  EXPECT_STREQ(TranslationDisplayNames[tkCustom], "Custom translation");
  const char* shortNames[] = {"WIN", "DOS", "ASC", "MAC", "BCD", "Cust"};
  for (int k = 0; k < TranslationKindCount; ++k) EXPECT_STREQ(TranslationShortNames[k], shortNames[k]);
}

TEST(Translation, MaskedCharsAreTheControlCharacters) {
  EXPECT_EQ(Masked.count(), 32u);
  EXPECT_TRUE(Masked.test(0x00));
  EXPECT_TRUE(Masked.test(0x1F));
  EXPECT_FALSE(Masked.test(0x20));
  EXPECT_FALSE(Masked.test(0x7F));
}

TEST(Translation, DisplayTablesArePermutationsAndTypingTablesTheirInverses) {
  const struct {
    const char* name;
    const TKorHByteTable& display;
    const TKorHByteTable& typing;
  } tables[] = {{"Macintosh", MacintoshByteToChar, MacintoshCharToByte},
                {"EBCDIC", EbcdicByteToChar, EbcdicCharToByte}};
  for (const auto& t : tables) {
    SCOPED_TRACE(t.name);
    std::vector<bool> seen(256, false);
    for (int b = 0; b < 256; ++b) {
      EXPECT_FALSE(seen[t.display[b]]) << "character " << int(t.display[b]) << " shown twice";
      seen[t.display[b]] = true;
      EXPECT_EQ(t.typing[t.display[b]], b);
    }
  }
  // Bytes below 80h show themselves on the Macintosh.
  for (int b = 0; b < 0x80; ++b) EXPECT_EQ(MacintoshByteToChar[b], b);
}

TEST(Translation, ByteToDisplayCharPerKind) {
  const DisplayCase cases[] = {
      {tkAsIs, 0x41, '.', 'A'},
      {tkAsIs, 0x09, '.', '.'},
      {tkAsIs, 0x09, 0x00, 0x09},  // masking off: the raw control character
      {tkAsIs, 0x1F, '*', '*'},
      {tkAsIs, 0x20, '.', 0x20},
      {tkAsIs, 0xC4, '.', 0xC4},
      {tkDos8, 0x84, '.', 0xE4},   // OEM ä
      {tkDos8, 0x41, '.', 'A'},
      {tkDos8, 0x09, '.', '.'},
      {tkDos8, 0xC4, '.', '?'},    // ─ has no ANSI form
      {tkASCII, 0x41, '.', 'A'},
      {tkASCII, 0x7F, '.', 0x7F},
      {tkASCII, 0x84, '.', '.'},
      {tkASCII, 0xC4, '.', '.'},
      {tkASCII, 0xC4, '#', '#'},
      {tkASCII, 0x0A, '.', '.'},
      {tkMac, 0x80, '.', 0xC4},
      {tkMac, 0xA5, '.', 0xB4},
      {tkMac, 0xFF, '.', 0xAF},
      {tkMac, 0x41, '.', 'A'},
      {tkMac, 0x0D, '.', '.'},
      {tkBCD, 0xC1, '.', 'A'},
      {tkBCD, 0xF0, '.', '0'},
      {tkBCD, 0x40, '.', ' '},
      {tkBCD, 0x25, '.', '.'},     // translated to 0Ah, which is masked
      {tkBCD, 0x25, 0x00, 0x0A},
      {tkBCD, 0x0A, '.', 0x93},    // the byte is a control character, its translation is not
      {tkCustom, 0x41, '.', 'A'},
      {tkCustom, 0x09, '.', '.'},
      {tkCustom, 0xC4, '.', 0xC4},
      {TKorHTranslationKind(6), 0x41, '.', '.'},
  };
  for (const DisplayCase& c : cases)
    EXPECT_EQ(ByteToDisplayChar(c.byte, c.kind, c.maskChar, Masked), c.shown)
        << "kind " << c.kind << " byte " << std::hex << int(c.byte) << " mask " << int(c.maskChar);
}

TEST(Translation, TypedCharToBytePerKind) {
  const TypingCase cases[] = {
      {tkAsIs, 'A', 'A'},
      {tkAsIs, 0xC4, 0xC4},
      {tkAsIs, 0x09, 0},
      {tkDos8, 0xE4, 0x84},   // ANSI ä
      {tkDos8, 'A', 'A'},
      {tkDos8, 0x1F, 0},
      {tkDos8, 0x80, 0},      // € has no OEM form: refused, not stored as '?'
      {tkDos8, 0xC0, 0},      // À likewise
      {tkASCII, 'A', 'A'},
      {tkASCII, 0x7F, 0x7F},
      {tkASCII, 0xC4, 0},
      {tkASCII, 0xE4, 0},     // has an OEM form, but is not 7-bit
      {tkASCII, 0x0D, 0},
      {tkMac, 0xC4, 0x80},
      {tkMac, 0xB4, 0xA5},
      {tkMac, 'A', 'A'},
      {tkMac, 0x0D, 0},
      {tkBCD, 'A', 0xC1},
      {tkBCD, '0', 0xF0},
      {tkBCD, ' ', 0x40},
      {tkBCD, 0xF7, 0},       // its EBCDIC byte 04h is a control character
      {tkBCD, 0x0A, 0},       // a control character is refused before translation
      {tkCustom, 'A', 'A'},
      {tkCustom, 0x05, 0},
      {TKorHTranslationKind(6), 'A', 0},
  };
  for (const TypingCase& c : cases)
    EXPECT_EQ(TypedCharToByte(c.typed, c.kind, Masked), c.stored)
        << "kind " << c.kind << " char " << std::hex << int(c.typed);
}

TEST(Translation, NoKindLetsAControlByteBeTyped) {
  for (int kind = tkAsIs; kind <= tkCustom; ++kind)
    for (int ch = 0; ch < 256; ++ch) {
      const uint8_t b = TypedCharToByte(uint8_t(ch), TKorHTranslationKind(kind), Masked);
      EXPECT_TRUE(b == 0 || !Masked.test(b)) << "kind " << kind << " char " << ch;
    }
}

TEST(Translation, TypingRoundTripsThroughTheDisplay) {
  // Every accepted character shows as itself again, for every kind.
  for (int kind = tkAsIs; kind <= tkCustom; ++kind)
    for (int ch = 0x20; ch < 256; ++ch) {
      const uint8_t b = TypedCharToByte(uint8_t(ch), TKorHTranslationKind(kind), Masked);
      if (b == 0) continue;
      EXPECT_EQ(ByteToDisplayChar(b, TKorHTranslationKind(kind), '.', Masked), ch) << "kind " << kind;
    }
}

TEST_F(CustomTables, IdentityTablesBehaveLikeAsIs) {
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(CustomByteToChar[i], i);
    ASSERT_EQ(CustomCharToByte[i], i);
    EXPECT_EQ(ByteToDisplayChar(uint8_t(i), tkCustom, '.', Masked), ByteToDisplayChar(uint8_t(i), tkAsIs, '.', Masked));
    EXPECT_EQ(TypedCharToByte(uint8_t(i), tkCustom, Masked), TypedCharToByte(uint8_t(i), tkAsIs, Masked));
  }
}

TEST_F(CustomTables, HostFilledTablesAreUsed) {
  CustomByteToChar[0x80] = 'Z';
  CustomByteToChar[0x81] = 0x07;  // translates to a control character: masked
  CustomCharToByte['Z'] = 0x80;
  CustomCharToByte['Y'] = 0x03;   // would store a control byte: refused
  EXPECT_EQ(ByteToDisplayChar(0x80, tkCustom, '.', Masked), 'Z');
  EXPECT_EQ(ByteToDisplayChar(0x81, tkCustom, '.', Masked), '.');
  EXPECT_EQ(TypedCharToByte('Z', tkCustom, Masked), 0x80);
  EXPECT_EQ(TypedCharToByte('Y', tkCustom, Masked), 0);
}

TEST(Translation, SwapCharBytes) {
  EXPECT_EQ(int(SwappedCharBytes(0x4100)), 0x0041);
  char16_t c = 0x12AB;
  SwapCharBytes(c);
  EXPECT_EQ(int(c), 0xAB12);
  char16_t text[] = {0x0041, 0x20AC, 0xFFFE};
  SwapCharBytes(text, 3);
  EXPECT_EQ(int(text[0]), 0x4100);
  EXPECT_EQ(int(text[1]), 0xAC20);
  EXPECT_EQ(int(text[2]), 0xFEFF);
  SwapCharBytes(text, 0);
  EXPECT_EQ(int(text[0]), 0x4100);
}

TEST(Translation, UnicodeDisplayChar) {
  const struct {
    std::vector<uint8_t> bytes;  // from position p to the end of the data
    bool bigEndian;
    uint8_t maskChar;
    char16_t shown;
  } cases[] = {
      {{0x41, 0x00}, false, '.', u'A'},
      {{0x41, 0x00}, true, '.', 0x4100},
      {{0x0A, 0x00}, false, '.', u'.'},
      {{0x00, 0x0A}, true, '.', u'.'},
      {{0x00, 0x0A}, false, '.', 0x0A00},  // not below 100h: shown as it is
      {{0x0A, 0x00}, false, 0x00, 0x0000}, // masked even with MaskChar 00h
      {{0x0A, 0x00}, false, '*', u'*'},
      {{0xAC, 0x20}, false, '.', 0x20AC},
      {{0x41, 0x00, 0x42}, false, '.', u'A'},  // only the first two bytes count
      {{0x42}, false, '.', u'B'},          // last byte alone: high byte 0
      {{0x42}, true, '.', 0x4200},
      {{0x09}, false, '.', u'.'},
      {{}, false, '.', u'.'},
  };
  for (const auto& c : cases)
    EXPECT_EQ(int(UnicodeDisplayChar(c.bytes.data(), int(c.bytes.size()), c.bigEndian, c.maskChar, Masked)),
              int(c.shown))
        << "bytes " << c.bytes.size() << " big endian " << c.bigEndian;
}

TEST(Translation, TypedCharToUnicodeBytes) {
  using Bytes = std::array<uint8_t, 2>;
  EXPECT_EQ(TypedCharToUnicodeBytes('A', false, Masked), (Bytes{0x41, 0x00}));
  EXPECT_EQ(TypedCharToUnicodeBytes('A', true, Masked), (Bytes{0x00, 0x41}));
  EXPECT_EQ(TypedCharToUnicodeBytes(0x80, false, Masked), (Bytes{0xAC, 0x20}));  // €
  EXPECT_EQ(TypedCharToUnicodeBytes(0x80, true, Masked), (Bytes{0x20, 0xAC}));
  EXPECT_EQ(TypedCharToUnicodeBytes(0xE4, false, Masked), (Bytes{0xE4, 0x00}));
  EXPECT_EQ(TypedCharToUnicodeBytes(0x09, false, Masked), std::nullopt);
  EXPECT_EQ(TypedCharToUnicodeBytes(0x00, true, Masked), std::nullopt);
}

TEST(HexText, BytesToHexText) {
  const uint8_t bytes[] = {0x1F, 0xA0};
  char text[8];
  memset(text, 'x', sizeof text);
  EXPECT_EQ(BytesToHexText(bytes, text, 2, false), text);
  EXPECT_STREQ(text, "1FA0");
  BytesToHexText(bytes, text, 2, true);
  EXPECT_STREQ(text, "F10A");
  BytesToHexText(bytes, text, 2, false, "0123456789abcdef");
  EXPECT_STREQ(text, "1fa0");
  memset(text, 'x', sizeof text);
  BytesToHexText(bytes, text, 0, false);
  EXPECT_EQ(text[0], 0);
  EXPECT_EQ(text[1], 'x');
}

TEST(HexText, LongRunsMatchTheDigitRule) {
  // Long inputs take the pair-table path; every byte value, both orders, both cases.
  std::vector<uint8_t> bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7 + 3);
  for (bool swap : {false, true})
    for (const char* digits : {"0123456789ABCDEF", "0123456789abcdef", "0123456789XYZUVW"}) {
      std::string text(bytes.size() * 2 + 1, 'x');
      BytesToHexText(bytes.data(), text.data(), int(bytes.size()), swap, digits);
      ASSERT_EQ(text.back(), '\0');
      for (size_t i = 0; i < bytes.size(); ++i) {
        const char hi = digits[bytes[i] >> 4], lo = digits[bytes[i] & 15];
        ASSERT_EQ(text[2 * i], swap ? lo : hi) << i;
        ASSERT_EQ(text[2 * i + 1], swap ? hi : lo) << i;
      }
      if (digits[10] == 'X') continue;  // not hex text
      std::vector<uint8_t> back(bytes.size() + 1, 0xEE);
      int written = -1;
      HexTextToBytes(text.data(), back.data(), int(text.size() - 1), swap, written);
      ASSERT_EQ(written, int(bytes.size()));
      back.pop_back();
      EXPECT_EQ(back, bytes);
    }
}

TEST(HexText, HexTextToBytes) {
  const struct {
    std::string text;
    bool swap;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"1F a0", false, {0x1F, 0xA0}},
      {"1F A", false, {0x1F}},               // a last digit alone is dropped
      {"xyz", false, {}},
      {"", false, {}},
      {"1F", true, {0xF1}},
      {"1F A0", true, {0xF1, 0x0A}},
      {"1 F", false, {0x1F}},                // a separator does not break a pair
      {"1\r\nF-g:A,0", false, {0x1F, 0xA0}}, // line breaks, punctuation, letters beyond f
      {"  de AD Be eF  ", false, {0xDE, 0xAD, 0xBE, 0xEF}},
      {"0g1h2", false, {0x01}},
      {"abc", false, {0xAB}},
      {std::string("1\0" "2", 3), false, {0x12}},  // NUL is just another non-digit
      {"\xC1\xE4" "12", false, {0x12}},     // bytes above 7Fh are not digits
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> out(c.text.size() / 2 + 1, 0xEE);
    int written = -1;
    EXPECT_EQ(HexTextToBytes(c.text.data(), out.data(), int(c.text.size()), c.swap, written), out.data());
    ASSERT_EQ(written, int(c.bytes.size())) << c.text;
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + written), c.bytes) << c.text;
    EXPECT_EQ(out[written], 0xEE) << "wrote past the decoded bytes: " << c.text;
  }
}

TEST(HexText, HexTextToBytesAgreesWithThePairingRuleOnMixedText) {
  // Long runs of digits are decoded in blocks; separators may fall anywhere in them, and the
  // characters just outside the digit ranges must never count as digits.
  const std::string digits = "0123456789abcdefABCDEF";
  const std::string others = std::string("/:@G`g \r\n,x\x7F\x80\xB0\xC1\xE6\xFF") + '\0';
  auto reference = [](const std::string& text, bool swap) {
    std::vector<uint8_t> bytes;
    int first = -1;
    for (unsigned char c : text) {
      int v = -1;
      if (c >= '0' && c <= '9') v = c - '0';
      else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
      if (v < 0) continue;
      if (first < 0) {
        first = v;
      } else {
        bytes.push_back(uint8_t(swap ? (v << 4) | first : (first << 4) | v));
        first = -1;
      }
    }
    return bytes;
  };
  std::mt19937 rng(7);
  for (int round = 0; round < 600; ++round) {
    const double separatorShare = (round % 3 == 0) ? 0.0 : (round % 3 == 1) ? 0.01 : 0.3;
    std::bernoulli_distribution separator(separatorShare);
    std::string text(rng() % 300, ' ');
    for (char& c : text)
      c = separator(rng) ? others[rng() % others.size()] : digits[rng() % digits.size()];
    const bool swap = round % 2 == 1;
    const std::vector<uint8_t> expected = reference(text, swap);
    std::vector<uint8_t> out(text.size() / 2 + 1, 0xEE);
    int written = -1;
    HexTextToBytes(text.data(), out.data(), int(text.size()), swap, written);
    ASSERT_EQ(written, int(expected.size())) << "round " << round;
    ASSERT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + written), expected) << "round " << round;
    ASSERT_EQ(out[written], 0xEE) << "round " << round;
  }
}

TEST(HexText, ReadsOnlyCountCharacters) {
  const char text[] = "1F2A3B";
  uint8_t out[4] = {};
  int written = -1;
  HexTextToBytes(text, out, 3, false, written);
  EXPECT_EQ(written, 1);
  EXPECT_EQ(out[0], 0x1F);
  EXPECT_EQ(out[1], 0);
  HexTextToBytes(text, out, -5, false, written);
  EXPECT_EQ(written, 0);
}

TEST(MaskCharStoredForm, WrittenOnlyWhenNotTheDefault) {
  EXPECT_FALSE(MaskCharIsStored('.'));
  EXPECT_TRUE(MaskCharIsStored('*'));
  EXPECT_TRUE(MaskCharIsStored(0x00));
  EXPECT_EQ(MaskCharToInteger('*'), QJsonValue(42));
  EXPECT_EQ(MaskCharFromInteger(MaskCharToInteger(0xB7)), 0xB7);
}

TEST(MaskCharStoredForm, ReadFromInteger) {
  const struct {
    QJsonValue stored;
    uint8_t maskChar;
  } cases[] = {
      {QJsonValue(42), '*'},
      {QJsonValue(0), 0x00},
      {QJsonValue(255), 0xFF},
      {QJsonValue(256), '.'},
      {QJsonValue(-1), '.'},
      {QJsonValue(42.5), '.'},
      {QJsonValue(QStringLiteral("42")), '.'},
      {QJsonValue(true), '.'},
      {QJsonValue(), '.'},
  };
  for (const auto& c : cases) EXPECT_EQ(MaskCharFromInteger(c.stored), c.maskChar) << c.stored.toVariant().toString().toStdString();
}

TEST(MaskCharStoredForm, ReadFromOlderText) {
  const struct {
    QJsonValue stored;
    uint8_t maskChar;
  } cases[] = {
      {QJsonValue(QStringLiteral("*")), '*'},
      {QJsonValue(QStringLiteral("ab")), '.'},
      {QJsonValue(QStringLiteral("")), '.'},
      {QJsonValue(QString(QChar(0x00E4))), 0xE4},  // ä
      {QJsonValue(QString(QChar(0x20AC))), 0x80},  // € is ANSI 80h
      {QJsonValue(QString(QChar(0x2500))), '.'},   // no ANSI form
      {QJsonValue(42), '.'},
  };
  for (const auto& c : cases) EXPECT_EQ(MaskCharFromText(c.stored), c.maskChar) << c.stored.toString().toStdString();
}
