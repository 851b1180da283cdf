#include <gtest/gtest.h>

#include <optional>

#include "platform/CodePages.h"

using namespace vexa;

namespace {

struct ByteCase {
  uint8_t in;
  std::optional<uint8_t> out;  // nullopt: no form in the target code page
};

void ExpectSingleByte(const ByteCase& c, uint8_t (*convert)(uint8_t), bool (*tryConvert)(uint8_t, uint8_t&)) {
  SCOPED_TRACE(testing::Message() << "byte " << std::hex << int(c.in));
  uint8_t out = 0x55;
  const bool ok = tryConvert(c.in, out);
  EXPECT_EQ(ok, c.out.has_value());
  if (c.out) {
    EXPECT_EQ(out, *c.out);
    EXPECT_EQ(convert(c.in), *c.out);
  } else {
    EXPECT_EQ(out, 0x55) << "a failed Try must leave its output alone";
    EXPECT_EQ(convert(c.in), '?');
  }
}

}  // namespace

TEST(CodePages, OemToAnsiKnownValues) {
  const ByteCase cases[] = {
      {0x00, 0x00}, {0x09, 0x09}, {0x1F, 0x1F}, {0x41, 0x41}, {0x7F, 0x7F},
      {0x84, 0xE4},                  // ä
      {0x81, 0xFC},                  // ü
      {0x9C, 0xA3},                  // £
      {0x9F, 0x83},                  // ƒ lands in CP1252's 80h..9Fh block
      {0xE1, 0xDF},                  // ß
      {0xFA, 0xB7},                  // middle dot
      {0xFF, 0xA0},                  // no-break space
      {0xC4, std::nullopt},          // ─ box drawing
      {0xB0, std::nullopt},          // ░ shade
      {0xE3, std::nullopt},          // π
  };
  for (const ByteCase& c : cases) ExpectSingleByte(c, OemToAnsiChar, TryOemToAnsiChar);
}

TEST(CodePages, AnsiToOemKnownValues) {
  const ByteCase cases[] = {
      {0x00, 0x00}, {0x20, 0x20}, {0x41, 0x41}, {0x7E, 0x7E},
      {0xE4, 0x84},                  // ä
      {0xA3, 0x9C},                  // £
      {0x83, 0x9F},                  // ƒ
      {0xDF, 0xE1},                  // ß
      {0x80, std::nullopt},          // €
      {0xC0, std::nullopt},          // À
      {0x81, std::nullopt}, {0x8D, std::nullopt}, {0x8F, std::nullopt},
      {0x90, std::nullopt}, {0x9D, std::nullopt},  // undefined in CP1252
  };
  for (const ByteCase& c : cases) ExpectSingleByte(c, AnsiToOemChar, TryAnsiToOemChar);
}

TEST(CodePages, OemAndAnsiConversionsAreInverseWhereDefined) {
  int mapped = 0;
  for (int b = 0; b < 256; ++b) {
    uint8_t ansi = 0, back = 0;
    if (!TryOemToAnsiChar(uint8_t(b), ansi)) continue;
    ++mapped;
    ASSERT_TRUE(TryAnsiToOemChar(ansi, back)) << b;
    EXPECT_EQ(back, b) << "OEM byte " << b << " via ANSI " << int(ansi);
  }
  // The ASCII half maps to itself; of the upper half only some characters are shared.
  EXPECT_GT(mapped, 128);
  EXPECT_LT(mapped, 256);
}

TEST(CodePages, AnsiToWideKnownValues) {
  const struct {
    uint8_t ansi;
    char16_t wide;
  } cases[] = {
      {0x00, 0x0000}, {0x41, 0x0041}, {0x7F, 0x007F},
      {0x80, 0x20AC},                  // €
      {0x99, 0x2122},                  // ™
      {0x9F, 0x0178},                  // Ÿ
      {0xA0, 0x00A0}, {0xE4, 0x00E4}, {0xFF, 0x00FF},
      {0x81, 0x0081}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x9D, 0x009D},  // C1 controls
  };
  for (const auto& c : cases) EXPECT_EQ(int(AnsiToWideChar(c.ansi)), int(c.wide)) << std::hex << int(c.ansi);
}

TEST(CodePages, WideToAnsiInvertsAnsiToWide) {
  for (int b = 0; b < 256; ++b) {
    uint8_t out = 0;
    ASSERT_TRUE(TryWideCharToAnsiChar(AnsiToWideChar(uint8_t(b)), out)) << b;
    EXPECT_EQ(out, b);
    EXPECT_EQ(WideCharToAnsiChar(AnsiToWideChar(uint8_t(b))), b);
  }
  // Units with no CP1252 form: a C1 control CP1252 redefines, box drawing, a surrogate half.
  for (char16_t w : {char16_t(0x0080), char16_t(0x0099), char16_t(0x2500), char16_t(0xD800), char16_t(0xFFFF)}) {
    uint8_t out = 0x55;
    EXPECT_FALSE(TryWideCharToAnsiChar(w, out)) << std::hex << int(w);
    EXPECT_EQ(out, 0x55);
    EXPECT_EQ(WideCharToAnsiChar(w), '?');
  }
}
