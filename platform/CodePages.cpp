#include "platform/CodePages.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>
#include <vector>

#include "platform/SysUtils.h"

namespace vexa {

namespace {

constexpr const char* OemCodePage = "CP437";
constexpr const char* AnsiCodePage = "CP1252";

// One iconv converter, closed when it goes out of scope.
class Converter {
public:
  Converter(const char* to, const char* from) : FHandle(iconv_open(to, from)) {
    if (FHandle == reinterpret_cast<iconv_t>(-1)) {
      const int code = errno;
      throw Exception(Format("Code page conversion from %s to %s is not available (%s)",
                             {QString::fromLatin1(from), QString::fromLatin1(to), SysErrorMessage(code)}));
    }
  }
  ~Converter() { iconv_close(FHandle); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts the single byte `in`; returns the number of output bytes, or -1 when the byte
  // is undefined in the source or its character has no form in the target.
  int Convert(uint8_t in, unsigned char* out, size_t outSize) {
    iconv(FHandle, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    char inBuf[1] = {static_cast<char>(in)};
    char* inPtr = inBuf;
    size_t inLeft = 1;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t outLeft = outSize;
    if (iconv(FHandle, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
      return -1;
    return static_cast<int>(outSize - outLeft);
  }

private:
  iconv_t FHandle;
};

struct Tables {
  std::array<uint8_t, 256> OemToAnsi{};
  std::array<bool, 256> OemToAnsiDefined{};
  std::array<uint8_t, 256> AnsiToOem{};
  std::array<bool, 256> AnsiToOemDefined{};
  std::array<char16_t, 256> AnsiToWide{};
  // Inverse of AnsiToWide: direct for units below 100h, a sorted list above.
  std::array<uint8_t, 256> LatinToAnsi{};
  std::array<bool, 256> LatinToAnsiDefined{};
  std::vector<std::pair<char16_t, uint8_t>> WideToAnsi;

  Tables() {
    BuildSingleByte(AnsiCodePage, OemCodePage, OemToAnsi, OemToAnsiDefined);
    BuildSingleByte(OemCodePage, AnsiCodePage, AnsiToOem, AnsiToOemDefined);

    Converter toWide("UTF-16LE", AnsiCodePage);
    for (int b = 0; b < 256; ++b) {
      unsigned char out[8];
      const int n = toWide.Convert(static_cast<uint8_t>(b), out, sizeof out);
      // Undefined CP1252 bytes stand for the C1 control of the same value.
      AnsiToWide[b] = n == 2 ? static_cast<char16_t>(out[0] | (out[1] << 8)) : static_cast<char16_t>(b);
    }
    for (int b = 0; b < 256; ++b) {
      const char16_t w = AnsiToWide[b];
      if (w < 0x100) {
        LatinToAnsi[w] = static_cast<uint8_t>(b);
        LatinToAnsiDefined[w] = true;
      } else {
        WideToAnsi.emplace_back(w, static_cast<uint8_t>(b));
      }
    }
    std::sort(WideToAnsi.begin(), WideToAnsi.end());
  }

  static void BuildSingleByte(const char* to, const char* from, std::array<uint8_t, 256>& table,
                              std::array<bool, 256>& defined) {
    Converter conv(to, from);
    for (int b = 0; b < 256; ++b) {
      unsigned char out[8];
      const int n = conv.Convert(static_cast<uint8_t>(b), out, sizeof out);
      defined[b] = n == 1;
      table[b] = n == 1 ? out[0] : DefaultCodePageChar;
    }
  }
};

// Built on first use; C++ guarantees the initialisation runs once even with several threads.
const Tables& CodePageTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

uint8_t OemToAnsiChar(uint8_t oem) { return CodePageTables().OemToAnsi[oem]; }

uint8_t AnsiToOemChar(uint8_t ansi) { return CodePageTables().AnsiToOem[ansi]; }

bool TryOemToAnsiChar(uint8_t oem, uint8_t& out) {
  const Tables& t = CodePageTables();
  if (!t.OemToAnsiDefined[oem]) return false;
  out = t.OemToAnsi[oem];
  return true;
}

bool TryAnsiToOemChar(uint8_t ansi, uint8_t& out) {
  const Tables& t = CodePageTables();
  if (!t.AnsiToOemDefined[ansi]) return false;
  out = t.AnsiToOem[ansi];
  return true;
}

char16_t AnsiToWideChar(uint8_t ansi) { return CodePageTables().AnsiToWide[ansi]; }

bool TryWideCharToAnsiChar(char16_t wide, uint8_t& out) {
  const Tables& t = CodePageTables();
  if (wide < 0x100) {
    if (!t.LatinToAnsiDefined[wide]) return false;
    out = t.LatinToAnsi[wide];
    return true;
  }
  const auto it = std::lower_bound(t.WideToAnsi.begin(), t.WideToAnsi.end(), std::make_pair(wide, uint8_t{0}));
  if (it == t.WideToAnsi.end() || it->first != wide) return false;
  out = it->second;
  return true;
}

uint8_t WideCharToAnsiChar(char16_t wide) {
  uint8_t out = DefaultCodePageChar;
  TryWideCharToAnsiChar(wide, out);
  return out;
}

}  // namespace vexa
