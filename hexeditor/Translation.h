#pragma once
// Character translation of the character field and hex text conversion. No widget code: the
// control keeps its own settings (Translation, MaskChar, MaskedChars, UnicodeBigEndian,
// SwapNibbles) and forwards them to these functions.

#include <QJsonValue>
#include <QString>
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>

namespace vexa {

inline const QString msgTranslationInUnicode = QStringLiteral("Translations cannot be used in unicode mode");

enum TKorHTranslationKind { tkAsIs, tkDos8, tkASCII, tkMac, tkBCD, tkCustom };
inline constexpr int TranslationKindCount = 6;

// Names of the translation kinds, indexed by TKorHTranslationKind, for hosts that list them.
inline constexpr std::array<const char*, TranslationKindCount> TranslationDisplayNames = {
    "Windows", "Dos 8 bits", "ASCII 7 bits", "Macintosh", "EBCDIC codepage 38", "Custom translation"};
inline constexpr std::array<const char*, TranslationKindCount> TranslationShortNames = {
    "WIN", "DOS", "ASC", "MAC", "BCD", "Cust"};

// A 256-entry byte table: entry i is what byte (or character) i becomes.
using TKorHByteTable = std::array<uint8_t, 256>;

// Display tables (data byte -> ANSI character) and typing tables (ANSI character -> data
// byte) of tkMac and tkBCD. Each display table is a permutation of 00h..FFh; each typing
// table is its exact inverse.
extern const TKorHByteTable MacintoshByteToChar;
extern const TKorHByteTable MacintoshCharToByte;
extern const TKorHByteTable EbcdicByteToChar;
extern const TKorHByteTable EbcdicCharToByte;

// The tables of tkCustom, shared by every control of the process. They hold the identity
// from static initialisation on, before any code runs; a host may fill them at start-up.
extern TKorHByteTable CustomByteToChar;
extern TKorHByteTable CustomCharToByte;

// A set of 256 characters or bytes.
using TKorHCharSet = std::bitset<256>;
// The characters a control masks: the control characters 00h..1Fh.
TKorHCharSet DefaultMaskedChars();

inline constexpr uint8_t DefaultMaskChar = '.';

// The ANSI character shown for data byte b in the (non-Unicode) character field.
// maskChar 00h switches masking off: translated characters in `masked` are then shown as they are.
uint8_t ByteToDisplayChar(uint8_t b, TKorHTranslationKind kind, uint8_t maskChar, const TKorHCharSet& masked);

// The data byte stored for the typed ANSI character ch, or 0 when the character is refused.
// A refusal is recognised by testing the result against `masked` (0 is itself masked).
// Refused: characters in `masked`; results in `masked` (so no byte below 20h is ever typed);
// under tkASCII characters 80h and above; under tkDos8 and tkASCII characters the OEM code page
// cannot hold (storing '?' in their place would write a byte the user did not type).
uint8_t TypedCharToByte(uint8_t ch, TKorHTranslationKind kind, const TKorHCharSet& masked);

// Exchanges the two bytes of a 16-bit character.
constexpr char16_t SwappedCharBytes(char16_t c) { return char16_t((c >> 8) | (c << 8)); }
inline void SwapCharBytes(char16_t& c) { c = SwappedCharBytes(c); }
// Exchanges the bytes of each of the count characters at chars (count <= 0: nothing).
void SwapCharBytes(char16_t* chars, int count);

// The 16-bit character of the Unicode character cell at a position p. data points at the
// byte at p and available is the number of data bytes from p to the end (the byte at p is
// the low byte; with only one byte left the high byte is 0). bigEndian exchanges the two
// bytes. A resulting code below 100h that is in `masked` shows as maskChar, zero-extended,
// even when maskChar is 00h. available < 1 (no byte at p) gives maskChar.
char16_t UnicodeDisplayChar(const uint8_t* data, int available, bool bigEndian, uint8_t maskChar,
                            const TKorHCharSet& masked);

// The two bytes stored, in data order, for the ANSI character ch typed into the Unicode
// character field: its UTF-16 form, low byte first, or high byte first when bigEndian.
// nullopt when ch is in `masked` (refused).
std::optional<std::array<uint8_t, 2>> TypedCharToUnicodeBytes(uint8_t ch, bool bigEndian, const TKorHCharSet& masked);

// Digits of the hex text that BytesToHexText writes by default.
inline constexpr char HexTextDigits[] = "0123456789ABCDEF";

// Writes 2 * Count hex digits for the Count bytes at Source, high nibble first (low nibble
// first when Swap), no separators, then a NUL at Dest[2 * Count]. digits is a 16-character
// digit table. Count <= 0 writes only the NUL. Returns Dest.
char* BytesToHexText(const uint8_t* Source, char* Dest, int Count, bool Swap, const char* digits = HexTextDigits);

// Reads Count characters at Source and writes the bytes their hex digits (either case) spell
// to Dest; Written receives the number of bytes. Characters that are not hex digits are
// skipped and do not break a pair; a last digit without a partner is dropped. Swap exchanges
// the halves of every byte. Dest must have room for Count / 2 bytes. Returns Dest.
uint8_t* HexTextToBytes(const char* Source, uint8_t* Dest, int Count, bool Swap, int& Written);

// Stored form of MaskChar. "MaskChar_AsInteger" holds the character code and is written only
// when MaskChar is not "."; "MaskChar" is the one-character text older layouts hold, read only.
inline const QString MaskCharIntegerName = QStringLiteral("MaskChar_AsInteger");
inline const QString MaskCharTextName = QStringLiteral("MaskChar");

bool MaskCharIsStored(uint8_t maskChar);
QJsonValue MaskCharToInteger(uint8_t maskChar);
// An integer 0..255 is the character code; anything else (text, fraction, out of range) gives ".".
uint8_t MaskCharFromInteger(const QJsonValue& value);
// A text of exactly one character with an ANSI form gives that character; anything else ".".
uint8_t MaskCharFromText(const QJsonValue& value);

}  // namespace vexa
