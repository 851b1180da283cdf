#pragma once
// Offset column and ruler number formatting: the offset format string and its parsed record,
// the text of a row offset, the width of the offset column, the ruler labels and the radix
// conversions they rest on. No widget code: the control holds a TKorHOffsetRuler and forwards
// its offset and ruler properties to it.

#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>

namespace vexa {

// Messages raised by this unit (formatted with Format()).
inline const QString msgOffsetMissingChar = QStringLiteral("Missing char in offset format: %s");
inline const QString msgOffsetInvalidRadix =
    QStringLiteral("Invalid radix in offset format (%xh), allowed: 02h..10h");
inline const QString msgInvalidRulerUnit =
    QStringLiteral("Invalid ruler bytes per unit value %d, allowed: -1,1,2,4,8");
inline const QString msgRadixInvalidChar =
    QStringLiteral("Invalid character %s, cannot convert using radix %xh");
// ToRadixText/FromRadixText work in bases 2 to 16 only.
inline const QString msgInvalidRadix = QStringLiteral("Invalid radix %d, allowed: 2..16");

// The two hex digit tables; HexDigitTable picks the one HexLowerCase selects. Each holds 16
// digits followed by a terminating zero.
inline constexpr char HexDigitsUpper[] = "0123456789ABCDEF";
inline constexpr char HexDigitsLower[] = "0123456789abcdef";
constexpr const char* HexDigitTable(bool HexLowerCase) {
  return HexLowerCase ? HexDigitsLower : HexDigitsUpper;
}

// How MinWidth and UnitSize of an offset format are obtained (bits 0 to 3 of the flag set).
enum TKorHOffsetFormatFlag : uint8_t { ofAutoWidth, ofRowUnit, ofColumnUnit, ofRulerUnit };

// A set of TKorHOffsetFormatFlag, one bit per enumerator.
class TKorHOffsetFormatFlags {
public:
  constexpr TKorHOffsetFormatFlags() = default;
  constexpr TKorHOffsetFormatFlags(std::initializer_list<TKorHOffsetFormatFlag> flags) {
    for (TKorHOffsetFormatFlag f : flags) Include(f);
  }
  constexpr bool Contains(TKorHOffsetFormatFlag f) const { return (FBits & Bit(f)) != 0; }
  constexpr void Include(TKorHOffsetFormatFlag f) { FBits = uint8_t(FBits | Bit(f)); }
  constexpr void Exclude(TKorHOffsetFormatFlag f) { FBits = uint8_t(FBits & ~Bit(f)); }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr uint8_t Bits() const { return FBits; }
  friend constexpr bool operator==(TKorHOffsetFormatFlags, TKorHOffsetFormatFlags) = default;

private:
  static constexpr uint8_t Bit(TKorHOffsetFormatFlag f) { return uint8_t(1u << f); }
  uint8_t FBits = 0;
};

// The parsed offset format.
struct TKorHOffsetFormat {
  QString Format;          // the format string last assigned; empty: rows get no offset text
  QString Prefix;          // put before the digits
  QString Suffix;          // put after the digits
  int32_t MinWidth = 1;    // minimum digit count, padded with "0" on the left
  TKorHOffsetFormatFlags Flags;
  uint8_t Radix = 16;      // 2 to 16
  uint32_t UnitSize = 1;   // the position is divided by this before formatting

  bool operator==(const TKorHOffsetFormat&) const = default;
};

// The layout settings of the grid that offsets and ruler labels read.
struct TKorHLayoutValues {
  int BytesPerRow = 16;
  int BytesPerColumn = 2;
  int BytesPerUnit = 1;
  bool UnicodeChars = false;
};

// --- Radix conversions -------------------------------------------------------------------

// Value in base Radix (2..16) with upper-case digits, padded on the left with "0" to
// MinLength characters; 0 gives "0". Another radix raises EKorHexEditor.
QString ToRadixText(uint32_t Value, int Radix, uint8_t MinLength);
// Reads Text (letters in either case) as a number in base Radix (2..16), wrapping at 32 bits;
// an empty text gives 0. A character that is no digit of the radix raises EKorHexEditor
// "Invalid character %s, cannot convert using radix %xh"; another radix raises too.
uint32_t FromRadixText(const QString& Text, int Radix);

// --- Offset format -----------------------------------------------------------------------

// Parses an offset format string: [unit] [width] radix ":" prefix "|" suffix. Units "R%" and
// "C%" take BytesPerRow and BytesPerColumn, a missing unit or "%" alone the ruler unit, which
// RulerUnit gives. Raises EKorHexEditor on a malformed string. An empty string gives a record
// with no flags whose Format is empty.
TKorHOffsetFormat ParseOffsetFormat(const QString& Text, const TKorHLayoutValues& Layout, int RulerUnit);

// The offset text of Position by the format alone: Prefix + digits + Suffix, the digits in the
// case HexLowerCase selects; no digits when MinWidth and Position are both 0; empty when the
// format string is empty.
QString FormatOffset(const TKorHOffsetFormat& Fmt, uint32_t Position, bool HexLowerCase);

// Position of the first byte of the last data row of a grid with RowCount rows (two of them
// fixed): (RowCount - 3) x BytesPerRow, 0 for fewer rows.
uint32_t LastRowOffset(int RowCount, int BytesPerRow);

// Digit count of the largest row offset, the MinWidth of an automatic-width format.
int32_t AutoOffsetMinWidth(const TKorHOffsetFormat& Fmt, uint32_t LastRowOffset);

// Width of grid column 0: OffsetCharCount x CharWidth + 21, or GutterWidth when that is not -1
// (negative widths other than -1 are taken as 0).
int OffsetColumnWidth(int OffsetCharCount, int CharWidth, int GutterWidth);

// --- Ruler -------------------------------------------------------------------------------

// RulerBytesPerUnit, or BytesPerUnit while RulerBytesPerUnit is -1.
constexpr int RulerUnitOf(int RulerBytesPerUnit, int BytesPerUnit) {
  return RulerBytesPerUnit == -1 ? BytesPerUnit : RulerBytesPerUnit;
}

struct TKorHRulerTexts {
  QString HexRulerText;   // one character per hex digit column, 2 x RulerUnit per unit
  QString CharRulerText;  // one character per character column
  bool operator==(const TKorHRulerTexts&) const = default;
};

// The ruler labels numbering the whole units of a row in base RulerNumberBase (a base outside
// 2..16 counts as 16).
TKorHRulerTexts BuildRulerTexts(int BytesPerRow, int RulerUnit, int RulerNumberBase, bool UnicodeChars,
                                bool HexLowerCase);

// --- The control's offset and ruler state ------------------------------------------------

// Asks the control's OnGetOffsetText handler for the text of a row offset: the control passes
// a callable that fires its event, or an empty one when no handler is assigned.
using TKorHOffsetTextRequest = std::function<void(int64_t Number, QString& OffsetText)>;

// Offset format, HexLowerCase, gutter, ruler settings and the values derived from them, as the
// control keeps them. Setters return whether the value changed; the caller then does its own
// part (re-layout, repaint) as noted on each one.
class TKorHOffsetRuler {
public:
  // Default settings: format "-!10:0x|", upper-case digits, RulerBytesPerUnit -1, base 16,
  // GutterWidth -1, ruler texts built for the default layout.
  TKorHOffsetRuler();

  const TKorHOffsetFormat& OffsetFormatRecord() const { return FFormat; }
  const QString& OffsetFormat() const { return FFormat.Format; }
  // Parses Text into the record; on a failure the record stays as it was.
  void ParseOffsetFormat(const QString& Text, const TKorHLayoutValues& Layout);
  // Assigns a new format (exact comparison first). After a successful parse Apply runs (the
  // control's UpdateOffsetColumn and repaint); when the parse or Apply raises, the previous
  // record is fully restored and the exception propagates.
  bool SetOffsetFormat(const QString& Value, const TKorHLayoutValues& Layout, const std::function<void()>& Apply);

  bool HexLowerCase() const { return FHexLowerCase; }
  const char* HexDigits() const { return FHexDigits; }
  // Stores, selects the digit table and rebuilds the ruler texts; the caller repaints.
  bool SetHexLowerCase(bool Value, const TKorHLayoutValues& Layout);

  int GutterWidth() const { return FGutterWidth; }
  // Stores; the caller runs UpdateOffsetColumn and repaints.
  bool SetGutterWidth(int Value);

  int RulerBytesPerUnit() const { return FRulerBytesPerUnit; }
  int RulerUnit() const { return FRulerUnit; }
  // Allowed -1, 1, 2, 4, 8 (else raises, changing nothing). Stores, sets RulerUnit, lets an
  // ofRulerUnit format follow and rebuilds the ruler texts; the caller runs UpdateColumnWidths
  // and repaints.
  bool SetRulerBytesPerUnit(int Value, const TKorHLayoutValues& Layout);

  uint8_t RulerNumberBase() const { return FRulerNumberBase; }
  // A value outside 2..16 is stored as 16; rebuilds the ruler texts; the caller repaints when
  // the ruler is shown.
  bool SetRulerNumberBase(uint8_t Value, const TKorHLayoutValues& Layout);

  // After BytesPerRow, BytesPerColumn, BytesPerUnit or UnicodeChars changed: RulerUnit follows
  // BytesPerUnit while RulerBytesPerUnit is -1, UnitSize follows the setting its flag names
  // (row length, column group, ruler unit), and the ruler texts are rebuilt.
  void LayoutChanged(const TKorHLayoutValues& Layout);
  // The single follow rules, for setters that apply them one at a time; they take the value
  // as it is, without the parser's 1/2/4/8 check, and leave the ruler texts alone.
  void FollowBytesPerRow(int BytesPerRow);        // ofRowUnit: UnitSize := BytesPerRow
  void FollowBytesPerColumn(int BytesPerColumn);  // ofColumnUnit: UnitSize := BytesPerColumn
  void FollowBytesPerUnit(int BytesPerUnit);      // RulerUnit, then an ofRulerUnit UnitSize

  const QString& HexRulerText() const { return FRuler.HexRulerText; }
  const QString& CharRulerText() const { return FRuler.CharRulerText; }
  void UpdateRulerTexts(const TKorHLayoutValues& Layout);

  // Offset text of a row: from the handler when Request is set and no handler call is running,
  // else from the format. A handler's text is used as it stands.
  QString FormatOffset(uint32_t Position, const TKorHOffsetTextRequest& Request) const;

  int OffsetCharCount() const { return FOffsetCharCount; }
  // Recomputes OffsetCharCount (and the MinWidth of an automatic-width format) from the last
  // row's offset; returns the width of grid column 0.
  int UpdateOffsetColumn(int RowCount, int BytesPerRow, int CharWidth, const TKorHOffsetTextRequest& Request);

private:
  QString RequestText(int64_t Number, const TKorHOffsetTextRequest& Request) const;
  void FollowUnits(const TKorHLayoutValues& Layout);

  TKorHOffsetFormat FFormat;
  bool FHexLowerCase = false;
  const char* FHexDigits = HexDigitsUpper;
  int FGutterWidth = -1;
  int FRulerBytesPerUnit = -1;
  int FRulerUnit = 1;
  uint8_t FRulerNumberBase = 16;
  TKorHRulerTexts FRuler;
  int FOffsetCharCount = -1;
  mutable bool FInOffsetTextRequest = false;  // set while the OnGetOffsetText handler runs
};

}  // namespace vexa
