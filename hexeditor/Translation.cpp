#include "hexeditor/Translation.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/CodePages.h"

namespace vexa {

namespace {

constexpr TKorHByteTable IdentityTable() {
  TKorHByteTable t{};
  for (int i = 0; i < 256; ++i) t[i] = uint8_t(i);
  return t;
}

constexpr bool IsPermutation(const TKorHByteTable& t) {
  bool seen[256] = {};
  for (uint8_t v : t) {
    if (seen[v]) return false;
    seen[v] = true;
  }
  return true;
}

constexpr TKorHByteTable Inverse(const TKorHByteTable& t) {
  TKorHByteTable inv{};
  for (int i = 0; i < 256; ++i) inv[t[i]] = uint8_t(i);
  return inv;
}

// The lower half of the Macintosh table shows the bytes themselves.
constexpr TKorHByteTable MacintoshTable() {
  constexpr uint8_t upper[128] = {
    0xC4, 0xC5, 0xC7, 0xC9, 0xD1, 0xD6, 0xDC, 0xE1, 0xE0, 0xE2, 0xE4, 0xE3, 0xE5, 0xE7, 0xE9, 0xE8,  // 8_
    0xEA, 0xEB, 0xED, 0xEC, 0xEE, 0xEF, 0xF1, 0xF3, 0xF2, 0xF4, 0xF6, 0xF5, 0xFA, 0xF9, 0xFB, 0xFC,  // 9_
    0xA0, 0xB0, 0xA2, 0xA3, 0xA7, 0xB4, 0xB6, 0xDF, 0xAE, 0xA9, 0x8E, 0x82, 0x8C, 0xAD, 0xC6, 0xD8,  // A_
    0x8D, 0xB1, 0xB2, 0xB3, 0xA5, 0xB5, 0xA6, 0xB7, 0xB8, 0xB9, 0xBC, 0xAA, 0xBA, 0xBD, 0xE6, 0xF8,  // B_
    0xBF, 0xA1, 0xAC, 0x92, 0x80, 0x81, 0xA8, 0xAB, 0xBB, 0x83, 0xBE, 0xC0, 0xC3, 0xD5, 0x91, 0x93,  // C_
    0xD0, 0x84, 0x96, 0x94, 0x95, 0x90, 0xF7, 0xD7, 0xFF, 0xDD, 0x98, 0x97, 0x86, 0x99, 0xDE, 0xA4,  // D_
    0x88, 0x87, 0x89, 0x8B, 0x8A, 0xC2, 0xCA, 0xC1, 0xCB, 0xC8, 0xCD, 0xCE, 0xCF, 0xCC, 0xD3, 0xD4,  // E_
    0xF0, 0xD2, 0xDA, 0xDB, 0xD9, 0x9B, 0x9A, 0x85, 0x8F, 0x9D, 0x9C, 0x9E, 0x9F, 0xFD, 0xFE, 0xAF,  // F_
  };
  TKorHByteTable t = IdentityTable();
  for (int i = 0; i < 128; ++i) t[128 + i] = upper[i];
  return t;
}

constexpr TKorHByteTable EbcdicTable = {
    0x00, 0x01, 0x02, 0x03, 0xF7, 0x09, 0xD2, 0x7F, 0xF2, 0xA8, 0x93, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,  // 0_
    0x10, 0x11, 0x12, 0x13, 0xD3, 0xA1, 0x08, 0xD7, 0x18, 0x19, 0x96, 0xD0, 0x1C, 0x1D, 0x1E, 0x1F,  // 1_
    0x7C, 0xD6, 0x81, 0xC0, 0xD1, 0x0A, 0x17, 0x1B, 0xD4, 0xE9, 0xE0, 0xD5, 0x92, 0x05, 0x06, 0x07,  // 2_
    0xF0, 0xF1, 0x16, 0xF3, 0xF4, 0xF5, 0xF6, 0x04, 0xF8, 0xF9, 0xA9, 0x94, 0x14, 0x15, 0x95, 0x1A,  // 3_
    0x20, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0x5B, 0x2E, 0x3C, 0x28, 0x2B, 0x21,  // 4_
    0x26, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0x5D, 0x24, 0x2A, 0x29, 0x3B, 0x5E,  // 5_
    0x2D, 0x2F, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0xA6, 0x2C, 0x25, 0x5F, 0x3E, 0x3F,  // 6_
    0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0x91, 0xA7, 0x60, 0x3A, 0x23, 0x40, 0x27, 0x3D, 0x22,  // 7_
    0x80, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,  // 8_
    0x90, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,  // 9_
    0xA0, 0x7E, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,  // A_
    0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,  // B_
    0x7B, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,  // C_
    0x7D, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,  // D_
    0x5C, 0xE1, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,  // E_
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,  // F_
};

constexpr TKorHByteTable MacintoshTableValue = MacintoshTable();
static_assert(IsPermutation(MacintoshTableValue), "the Macintosh display table must be invertible");
static_assert(IsPermutation(EbcdicTable), "the EBCDIC display table must be invertible");

}  // namespace

constinit const TKorHByteTable MacintoshByteToChar = MacintoshTableValue;
constinit const TKorHByteTable MacintoshCharToByte = Inverse(MacintoshTableValue);
constinit const TKorHByteTable EbcdicByteToChar = EbcdicTable;
constinit const TKorHByteTable EbcdicCharToByte = Inverse(EbcdicTable);

// Constant-initialised: the identity is in place before any dynamic initialisation runs.
constinit TKorHByteTable CustomByteToChar = IdentityTable();
constinit TKorHByteTable CustomCharToByte = IdentityTable();

TKorHCharSet DefaultMaskedChars() {
  TKorHCharSet set;
  for (int c = 0; c < 0x20; ++c) set.set(c);
  return set;
}

uint8_t ByteToDisplayChar(uint8_t b, TKorHTranslationKind kind, uint8_t maskChar, const TKorHCharSet& masked) {
  uint8_t c;
  switch (kind) {
    case tkAsIs: c = b; break;
    case tkDos8: c = OemToAnsiChar(b); break;
    case tkASCII: c = b < 0x80 ? OemToAnsiChar(b) : maskChar; break;
    case tkMac: c = MacintoshByteToChar[b]; break;
    case tkBCD: c = EbcdicByteToChar[b]; break;
    case tkCustom: c = CustomByteToChar[b]; break;
    default: c = maskChar; break;
  }
  if (maskChar != 0 && masked.test(c)) c = maskChar;
  return c;
}

uint8_t TypedCharToByte(uint8_t ch, TKorHTranslationKind kind, const TKorHCharSet& masked) {
  if (masked.test(ch)) return 0;
  uint8_t b = 0;
  switch (kind) {
    case tkAsIs: b = ch; break;
    case tkDos8:
      if (ch <= 0x1F || !TryAnsiToOemChar(ch, b)) b = 0;
      break;
    case tkASCII:
      if (ch <= 0x1F || ch >= 0x80 || !TryAnsiToOemChar(ch, b)) b = 0;
      break;
    case tkMac: b = MacintoshCharToByte[ch]; break;
    case tkBCD: b = EbcdicCharToByte[ch]; break;
    case tkCustom: b = CustomCharToByte[ch]; break;
    default: b = 0; break;
  }
  return masked.test(b) ? 0 : b;
}

void SwapCharBytes(char16_t* chars, int count) {
  for (int i = 0; i < count; ++i) chars[i] = SwappedCharBytes(chars[i]);
}

char16_t UnicodeDisplayChar(const uint8_t* data, int available, bool bigEndian, uint8_t maskChar,
                            const TKorHCharSet& masked) {
  if (available < 1) return char16_t(maskChar);
  char16_t c = char16_t(data[0] | (available >= 2 ? data[1] << 8 : 0));
  if (bigEndian) c = SwappedCharBytes(c);
  if (c < 0x100 && masked.test(c)) c = char16_t(maskChar);
  return c;
}

std::optional<std::array<uint8_t, 2>> TypedCharToUnicodeBytes(uint8_t ch, bool bigEndian, const TKorHCharSet& masked) {
  if (masked.test(ch)) return std::nullopt;
  const char16_t w = AnsiToWideChar(ch);
  const uint8_t lo = uint8_t(w & 0xFF), hi = uint8_t(w >> 8);
  if (bigEndian) return std::array<uint8_t, 2>{hi, lo};
  return std::array<uint8_t, 2>{lo, hi};
}

namespace {

// Each byte's two digits in memory order, for one digit table and nibble order.
struct HexPairTable {
  char pairs[256][2];
  HexPairTable(const char* digits, bool swap) {
    for (int b = 0; b < 256; ++b) {
      const char hi = digits[b >> 4], lo = digits[b & 0x0F];
      pairs[b][0] = swap ? lo : hi;
      pairs[b][1] = swap ? hi : lo;
    }
  }
};

// Value of each character as a hex digit, or -1 when it is not one.
constexpr std::array<int8_t, 256> HexValueTable() {
  std::array<int8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = -1;
  for (int i = 0; i < 10; ++i) t['0' + i] = int8_t(i);
  for (int i = 0; i < 6; ++i) {
    t['a' + i] = int8_t(10 + i);
    t['A' + i] = int8_t(10 + i);
  }
  return t;
}
constexpr std::array<int8_t, 256> HexValue = HexValueTable();

// Below this count a pair table costs more than it saves.
constexpr int PairTableThreshold = 64;

#if defined(__SSE2__)

// The 16 bytes at in as 32 digits at out. letterOffset is what lifts 10..15 from '0' + n to
// the first letter: 7 for "A".."F", 39 for "a".."f".
inline void EncodeHexBlock(const uint8_t* in, char* out, bool swap, __m128i letterOffset) {
  const __m128i nibbleMask = _mm_set1_epi8(0x0F);
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i hi = _mm_and_si128(_mm_srli_epi16(x, 4), nibbleMask);
  const __m128i lo = _mm_and_si128(x, nibbleMask);
  auto digit = [&](__m128i n) {
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(n, _mm_set1_epi8(9)), letterOffset);
    return _mm_add_epi8(_mm_add_epi8(n, _mm_set1_epi8('0')), letter);
  };
  const __m128i first = digit(swap ? lo : hi), second = digit(swap ? hi : lo);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(first, second));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi8(first, second));
}

// Nibble values of 16 characters; validMask gets a bit per character that is a hex digit.
inline __m128i HexNibbles(__m128i v, int& validMask) {
  const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8('0'));
  const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d);
  const __m128i l = _mm_sub_epi8(_mm_or_si128(v, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
  const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(l, _mm_set1_epi8(5)), l);
  validMask = _mm_movemask_epi8(_mm_or_si128(isDigit, isLetter));
  return _mm_or_si128(_mm_and_si128(isDigit, d), _mm_andnot_si128(isDigit, _mm_add_epi8(l, _mm_set1_epi8(10))));
}

// Each pair of nibbles (first, second) as one byte in the low half of a 16-bit lane.
inline __m128i JoinNibblePairs(__m128i n, bool swap) {
  const __m128i lowByte = _mm_set1_epi16(0x00FF);
  if (swap)
    return _mm_or_si128(_mm_and_si128(_mm_srli_epi16(n, 4), _mm_set1_epi16(0x00F0)),
                        _mm_and_si128(n, _mm_set1_epi16(0x000F)));
  return _mm_and_si128(_mm_or_si128(_mm_slli_epi16(n, 4), _mm_srli_epi16(n, 8)), lowByte);
}

// Decodes 32 characters that are all hex digits into 16 bytes; writes nothing and returns
// false when any of them is not a digit.
inline bool DecodeHexBlock(const unsigned char* in, uint8_t* out, bool swap) {
  int validA, validB;
  const __m128i a = HexNibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), validA);
  const __m128i b = HexNibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16)), validB);
  if ((validA & validB) != 0xFFFF) return false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_packus_epi16(JoinNibblePairs(a, swap), JoinNibblePairs(b, swap)));
  return true;
}

#endif

}  // namespace

char* BytesToHexText(const uint8_t* Source, char* Dest, int Count, bool Swap, const char* digits) {
  if (Count <= 0) {
    Dest[0] = 0;
    return Dest;
  }
  char* out = Dest;
  int i = 0;
#if defined(__SSE2__)
  // The two usual digit tables are computed 16 bytes at a time.
  const bool upper = std::memcmp(digits, "0123456789ABCDEF", 16) == 0;
  if (upper || std::memcmp(digits, "0123456789abcdef", 16) == 0) {
    const __m128i letterOffset = _mm_set1_epi8(upper ? 'A' - '0' - 10 : 'a' - '0' - 10);
    for (; Count - i >= 16; i += 16, out += 32) EncodeHexBlock(Source + i, out, Swap, letterOffset);
  }
#endif
  if (Count - i >= PairTableThreshold) {
    const HexPairTable table(digits, Swap);
    for (; i < Count; ++i, out += 2) std::memcpy(out, table.pairs[Source[i]], 2);
  }
  for (; i < Count; ++i) {
    const uint8_t b = Source[i];
    const char hi = digits[b >> 4], lo = digits[b & 0x0F];
    *out++ = Swap ? lo : hi;
    *out++ = Swap ? hi : lo;
  }
  *out = 0;
  return Dest;
}

uint8_t* HexTextToBytes(const char* Source, uint8_t* Dest, int Count, bool Swap, int& Written) {
  const unsigned char* in = reinterpret_cast<const unsigned char*>(Source);
  const unsigned char* const end = in + (Count > 0 ? Count : 0);
  uint8_t* out = Dest;
  const int shiftFirst = Swap ? 0 : 4, shiftSecond = Swap ? 4 : 0;
  int first = -1;  // the first nibble of an incomplete pair, or -1
  while (in < end) {
    if (first < 0) {
#if defined(__SSE2__)
      // Runs of unbroken hex text go 32 characters at a time.
      while (end - in >= 32 && DecodeHexBlock(in, out, Swap)) {
        in += 32;
        out += 16;
      }
#endif
      while (end - in >= 2) {
        const int hi = HexValue[in[0]], lo = HexValue[in[1]];
        if ((hi | lo) < 0) break;
        *out++ = uint8_t((hi << shiftFirst) | (lo << shiftSecond));
        in += 2;
      }
      if (in == end) break;
    }
    // Text with separators: one character at a time, pairing digits however far apart.
    const unsigned char* const stop = end - in > 64 ? in + 64 : end;
    for (; in < stop; ++in) {
      const int v = HexValue[*in];
      if (v < 0) continue;
      if (first < 0) {
        first = v;
      } else {
        *out++ = uint8_t((first << shiftFirst) | (v << shiftSecond));
        first = -1;
      }
    }
  }
  // A last digit without a partner (first >= 0) is dropped.
  Written = int(out - Dest);
  return Dest;
}

bool MaskCharIsStored(uint8_t maskChar) { return maskChar != DefaultMaskChar; }

QJsonValue MaskCharToInteger(uint8_t maskChar) { return QJsonValue(int(maskChar)); }

uint8_t MaskCharFromInteger(const QJsonValue& value) {
  if (!value.isDouble()) return DefaultMaskChar;
  const double d = value.toDouble();
  if (!(d >= 0 && d <= 255) || d != double(int(d))) return DefaultMaskChar;
  return uint8_t(int(d));
}

uint8_t MaskCharFromText(const QJsonValue& value) {
  if (!value.isString()) return DefaultMaskChar;
  const QString text = value.toString();
  uint8_t c = DefaultMaskChar;
  if (text.size() != 1 || !TryWideCharToAnsiChar(text.at(0).unicode(), c)) return DefaultMaskChar;
  return c;
}

}  // namespace vexa
