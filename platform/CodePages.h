#pragma once
// Single-byte conversions between the system's OEM code page (CP437) and its ANSI code page
// (CP1252), and from ANSI to UTF-16 for drawing. One byte in, one byte out, the way
// OemToCharA / CharToOemA work.
//
// The tables are built once, on first use, from glibc's iconv converters; they are never
// typed in by hand. Building them raises Exception when iconv lacks one of the two code pages.
//
// Defined answers where the code pages do not match:
// - A character the target code page cannot hold converts to '?' (3Fh), the default character
//   Windows substitutes when it has no best-fit form. CP437's box-drawing characters (C4h '─')
//   and Greek letters, and CP1252 characters such as 80h '€' or C0h 'À', are examples.
//   The Try... variants report these cases instead of substituting.
// - The five bytes CP1252 leaves undefined (81h, 8Dh, 8Fh, 90h, 9Dh) become the C1 control
//   code point of the same value in UTF-16 (U+0081 …), as Windows does, and back again. They
//   have no CP437 form, so AnsiToOemChar gives '?' for them.
// - Bytes 00h..7Fh are the same in both code pages and convert to themselves.

#include <cstdint>

namespace vexa {

// The character substituted when a conversion has no answer.
inline constexpr uint8_t DefaultCodePageChar = '?';

// CP437 byte -> CP1252 byte; '?' when CP1252 has no such character.
uint8_t OemToAnsiChar(uint8_t oem);
// CP1252 byte -> CP437 byte; '?' when CP437 has no such character.
uint8_t AnsiToOemChar(uint8_t ansi);

// As above, but return false (leaving `out` untouched) instead of substituting '?'.
bool TryOemToAnsiChar(uint8_t oem, uint8_t& out);
bool TryAnsiToOemChar(uint8_t ansi, uint8_t& out);

// CP1252 byte -> UTF-16 code unit. Every byte has an answer (undefined bytes -> C1 controls).
char16_t AnsiToWideChar(uint8_t ansi);

// UTF-16 code unit -> CP1252 byte: the inverse of AnsiToWideChar. WideCharToAnsiChar gives
// '?' for a unit with no CP1252 form (including surrogate halves); TryWideCharToAnsiChar
// returns false for it.
uint8_t WideCharToAnsiChar(char16_t wide);
bool TryWideCharToAnsiChar(char16_t wide, uint8_t& out);

}  // namespace vexa
