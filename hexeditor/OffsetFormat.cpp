#include "hexeditor/OffsetFormat.h"

#include <algorithm>

#include "hexeditor/KorHexEditorError.h"
#include "platform/SysUtils.h"

namespace vexa {

namespace {

const QString kInvalidUnit = QStringLiteral("Invalid bytes per unit value %d, allowed: 1,2,4,8");

bool IsValidUnit(uint32_t unit) { return unit == 1 || unit == 2 || unit == 4 || unit == 8; }

void CheckRadix(int radix) {
  if (radix < 2 || radix > 16) throw EKorHexEditor(Format(msgInvalidRadix, {static_cast<long long>(radix)}));
}

// Value of an ASCII hex digit, or -1. Only 0-9, A-F and a-f count, whatever else QChar thinks
// is a digit.
int HexDigitValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  return -1;
}

// Reads format elements from the front of a string. Numbers are runs of hex digits; a run
// longer than eight digits wraps at 32 bits, which keeps every value modulo 256 exact.
class FormatReader {
public:
  explicit FormatReader(const QString& text) : FText(text) {}

  bool AtEnd() const { return FPos >= FText.size(); }
  // The character `ahead` places past the front, or a zero character beyond the end.
  QChar Peek(qsizetype ahead = 0) const {
    const qsizetype i = FPos + ahead;
    return i < FText.size() ? FText[i] : QChar();
  }
  void Skip(qsizetype n) { FPos = std::min(FText.size(), FPos + n); }
  // Length of the hex digit run at the front.
  qsizetype DigitRun() const {
    qsizetype n = 0;
    while (FPos + n < FText.size() && HexDigitValue(FText[FPos + n]) >= 0) ++n;
    return n;
  }
  // Consumes n digits and returns their value modulo 2^32.
  uint32_t TakeNumber(qsizetype n) {
    uint32_t value = 0;
    for (qsizetype i = 0; i < n; ++i) value = value * 16u + static_cast<uint32_t>(HexDigitValue(FText[FPos + i]));
    FPos += n;
    return value;
  }
  QString Rest() const { return FText.mid(FPos); }

private:
  const QString& FText;
  qsizetype FPos = 0;
};

bool StartsWithUnitLetter(const FormatReader& r, char16_t upper) {
  const char16_t c = r.Peek().unicode();
  return (c == upper || c == upper + (u'a' - u'A')) && r.Peek(1) == QLatin1Char('%');
}

}  // namespace

// --- Radix conversions -------------------------------------------------------------------

QString ToRadixText(uint32_t Value, int Radix, uint8_t MinLength) {
  CheckRadix(Radix);
  const uint32_t radix = static_cast<uint32_t>(Radix);
  char digits[32];
  int n = 0;
  do {
    digits[n++] = HexDigitsUpper[Value % radix];
    Value /= radix;
  } while (Value != 0);
  QString text;
  text.reserve(std::max<int>(n, MinLength));
  for (int i = n; i < MinLength; ++i) text += QLatin1Char('0');
  while (n > 0) text += QLatin1Char(digits[--n]);
  return text;
}

uint32_t FromRadixText(const QString& Text, int Radix) {
  CheckRadix(Radix);
  uint32_t result = 0;
  for (qsizetype i = 0; i < Text.size(); ++i) {
    char16_t c = Text[i].unicode();
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - (u'a' - u'A'));
    int digit = -1;
    if (c < 0x80) {
      const char* hit = std::find(HexDigitsUpper, HexDigitsUpper + 16, static_cast<char>(c));
      if (hit != HexDigitsUpper + 16) digit = static_cast<int>(hit - HexDigitsUpper);
    }
    if (digit < 0 || digit >= Radix) {
      // Report the whole character, also when it takes two UTF-16 units.
      const qsizetype len =
          (Text[i].isHighSurrogate() && i + 1 < Text.size() && Text[i + 1].isLowSurrogate()) ? 2 : 1;
      const QString shown = len == 2 ? Text.mid(i, 2) : QString(QChar(c));
      throw EKorHexEditor(Format(msgRadixInvalidChar, {shown, static_cast<long long>(Radix)}));
    }
    result = result * static_cast<uint32_t>(Radix) + static_cast<uint32_t>(digit);
  }
  return result;
}

// --- Offset format -----------------------------------------------------------------------

TKorHOffsetFormat ParseOffsetFormat(const QString& Text, const TKorHLayoutValues& Layout, int RulerUnit) {
  TKorHOffsetFormat f;
  f.Format = Text;
  if (Text.isEmpty()) return f;
  FormatReader r(Text);

  // Unit: "R%", "C%", digits "%", "%" alone, or nothing (the ruler unit).
  if (StartsWithUnitLetter(r, u'R')) {
    f.Flags.Include(ofRowUnit);
    f.UnitSize = static_cast<uint32_t>(Layout.BytesPerRow);
    r.Skip(2);
  } else if (StartsWithUnitLetter(r, u'C')) {
    f.Flags.Include(ofColumnUnit);
    f.UnitSize = static_cast<uint32_t>(Layout.BytesPerColumn);
    r.Skip(2);
  } else {
    const qsizetype run = r.DigitRun();
    if (r.Peek(run) != QLatin1Char('%')) {
      f.Flags.Include(ofRulerUnit);
      f.UnitSize = static_cast<uint32_t>(RulerUnit);
    } else if (run == 0) {
      f.Flags.Include(ofRulerUnit);
      f.UnitSize = static_cast<uint32_t>(RulerUnit);
      r.Skip(1);
    } else {
      f.UnitSize = r.TakeNumber(run) % 256u;
      r.Skip(1);
    }
  }
  if (!IsValidUnit(f.UnitSize))
    throw EKorHexEditor(Format(kInvalidUnit, {static_cast<long long>(f.UnitSize % 256u)}));

  // Width: "-!" automatic, digits "!", "!" alone or nothing (MinWidth 1).
  if (r.Peek() == QLatin1Char('-') && r.Peek(1) == QLatin1Char('!')) {
    f.Flags.Include(ofAutoWidth);
    f.MinWidth = 1;
    r.Skip(2);
  } else {
    const qsizetype run = r.DigitRun();
    f.MinWidth = 1;
    if (r.Peek(run) == QLatin1Char('!')) {
      if (run > 0) f.MinWidth = static_cast<int32_t>(r.TakeNumber(run));
      r.Skip(1);
    }
  }

  // Radix: digits ":".
  const qsizetype run = r.DigitRun();
  if (run == 0) throw EKorHexEditor(Format(msgOffsetMissingChar, {QStringLiteral("number radix")}));
  if (r.Peek(run) != QLatin1Char(':')) throw EKorHexEditor(Format(msgOffsetMissingChar, {QStringLiteral(":")}));
  const uint32_t radix = r.TakeNumber(run) % 256u;
  if (radix < 2 || radix > 16) throw EKorHexEditor(Format(msgOffsetInvalidRadix, {static_cast<long long>(radix)}));
  f.Radix = static_cast<uint8_t>(radix);
  r.Skip(1);

  // Prefix "|" suffix.
  const QString rest = r.Rest();
  const qsizetype bar = rest.indexOf(QLatin1Char('|'));
  if (bar < 0) throw EKorHexEditor(Format(msgOffsetMissingChar, {QStringLiteral("|")}));
  f.Prefix = rest.left(bar);
  f.Suffix = rest.mid(bar + 1);
  return f;
}

QString FormatOffset(const TKorHOffsetFormat& Fmt, uint32_t Position, bool HexLowerCase) {
  if (Fmt.Format.isEmpty()) return QString();
  QString digits;
  if (Fmt.MinWidth != 0 || Position != 0) {
    // A unit of 0 cannot come from the parser or the follow rules; count it as 1 rather than
    // divide by it.
    const uint32_t unit = Fmt.UnitSize == 0 ? 1u : Fmt.UnitSize;
    digits = ToRadixText(Position / unit, Fmt.Radix, static_cast<uint8_t>(Fmt.MinWidth));
    digits = HexLowerCase ? digits.toLower() : digits.toUpper();
  }
  return Fmt.Prefix + digits + Fmt.Suffix;
}

uint32_t LastRowOffset(int RowCount, int BytesPerRow) {
  const int64_t rows = std::max(0, RowCount - 3);
  return static_cast<uint32_t>(rows * std::max(0, BytesPerRow));
}

int32_t AutoOffsetMinWidth(const TKorHOffsetFormat& Fmt, uint32_t LastRowOffset) {
  const uint32_t unit = Fmt.UnitSize == 0 ? 1u : Fmt.UnitSize;
  return static_cast<int32_t>(ToRadixText(LastRowOffset / unit, Fmt.Radix, 0).size());
}

int OffsetColumnWidth(int OffsetCharCount, int CharWidth, int GutterWidth) {
  if (GutterWidth == -1) return OffsetCharCount * CharWidth + 21;
  return std::max(0, GutterWidth);
}

// --- Ruler -------------------------------------------------------------------------------

TKorHRulerTexts BuildRulerTexts(int BytesPerRow, int RulerUnit, int RulerNumberBase, bool UnicodeChars,
                                bool HexLowerCase) {
  TKorHRulerTexts t;
  if (RulerUnit < 1 || BytesPerRow < 1) return t;
  const int base = (RulerNumberBase < 2 || RulerNumberBase > 16) ? 16 : RulerNumberBase;
  const int units = BytesPerRow / RulerUnit;
  const int hexWidth = 2 * RulerUnit;
  const int charWidth = UnicodeChars ? RulerUnit / 2 : RulerUnit;
  t.HexRulerText.reserve(units * hexWidth);
  t.CharRulerText.reserve(units * charWidth);
  for (int k = 0; k < units; ++k) {
    const uint32_t n = static_cast<uint32_t>(k);
    t.HexRulerText += ToRadixText(n, base, static_cast<uint8_t>(hexWidth)).right(hexWidth);
    const QString label = ToRadixText(n, base, 0);
    t.CharRulerText += label.size() > charWidth ? label.right(charWidth) : label.rightJustified(charWidth, u' ');
  }
  if (HexLowerCase) {
    t.HexRulerText = t.HexRulerText.toLower();
    t.CharRulerText = t.CharRulerText.toLower();
  } else {
    t.HexRulerText = t.HexRulerText.toUpper();
    t.CharRulerText = t.CharRulerText.toUpper();
  }
  return t;
}

// --- TKorHOffsetRuler --------------------------------------------------------------------

TKorHOffsetRuler::TKorHOffsetRuler() {
  const TKorHLayoutValues defaults;
  FFormat = vexa::ParseOffsetFormat(QStringLiteral("-!10:0x|"), defaults, FRulerUnit);
  UpdateRulerTexts(defaults);
}

void TKorHOffsetRuler::ParseOffsetFormat(const QString& Text, const TKorHLayoutValues& Layout) {
  FFormat = vexa::ParseOffsetFormat(Text, Layout, FRulerUnit);
}

bool TKorHOffsetRuler::SetOffsetFormat(const QString& Value, const TKorHLayoutValues& Layout,
                                       const std::function<void()>& Apply) {
  if (Value == FFormat.Format) return false;
  // Parsing into a fresh record leaves the current one untouched on a failure; when applying
  // fails, the saved record (with its automatic width and followed unit) comes back as it was.
  TKorHOffsetFormat parsed = vexa::ParseOffsetFormat(Value, Layout, FRulerUnit);
  const TKorHOffsetFormat previous = FFormat;
  const int previousCharCount = FOffsetCharCount;
  FFormat = std::move(parsed);
  try {
    if (Apply) Apply();
  } catch (...) {
    FFormat = previous;
    FOffsetCharCount = previousCharCount;
    throw;
  }
  return true;
}

bool TKorHOffsetRuler::SetHexLowerCase(bool Value, const TKorHLayoutValues& Layout) {
  if (Value == FHexLowerCase) return false;
  FHexLowerCase = Value;
  FHexDigits = HexDigitTable(Value);
  UpdateRulerTexts(Layout);
  return true;
}

bool TKorHOffsetRuler::SetGutterWidth(int Value) {
  if (Value == FGutterWidth) return false;
  FGutterWidth = Value;
  return true;
}

bool TKorHOffsetRuler::SetRulerBytesPerUnit(int Value, const TKorHLayoutValues& Layout) {
  if (Value != -1 && !IsValidUnit(static_cast<uint32_t>(Value)))
    throw EKorHexEditor(Format(msgInvalidRulerUnit, {static_cast<long long>(Value)}));
  if (Value == FRulerBytesPerUnit) return false;
  FRulerBytesPerUnit = Value;
  FollowBytesPerUnit(Layout.BytesPerUnit);
  UpdateRulerTexts(Layout);
  return true;
}

bool TKorHOffsetRuler::SetRulerNumberBase(uint8_t Value, const TKorHLayoutValues& Layout) {
  if (Value == FRulerNumberBase) return false;
  FRulerNumberBase = (Value < 2 || Value > 16) ? 16 : Value;
  UpdateRulerTexts(Layout);
  return true;
}

void TKorHOffsetRuler::FollowBytesPerRow(int BytesPerRow) {
  if (FFormat.Flags.Contains(ofRowUnit)) FFormat.UnitSize = static_cast<uint32_t>(BytesPerRow);
}

void TKorHOffsetRuler::FollowBytesPerColumn(int BytesPerColumn) {
  if (FFormat.Flags.Contains(ofColumnUnit)) FFormat.UnitSize = static_cast<uint32_t>(BytesPerColumn);
}

void TKorHOffsetRuler::FollowBytesPerUnit(int BytesPerUnit) {
  FRulerUnit = RulerUnitOf(FRulerBytesPerUnit, BytesPerUnit);
  if (FFormat.Flags.Contains(ofRulerUnit)) FFormat.UnitSize = static_cast<uint32_t>(FRulerUnit);
}

void TKorHOffsetRuler::LayoutChanged(const TKorHLayoutValues& Layout) {
  FollowBytesPerRow(Layout.BytesPerRow);
  FollowBytesPerColumn(Layout.BytesPerColumn);
  FollowBytesPerUnit(Layout.BytesPerUnit);
  UpdateRulerTexts(Layout);
}

void TKorHOffsetRuler::UpdateRulerTexts(const TKorHLayoutValues& Layout) {
  FRuler = BuildRulerTexts(Layout.BytesPerRow, FRulerUnit, FRulerNumberBase, Layout.UnicodeChars, FHexLowerCase);
}

QString TKorHOffsetRuler::RequestText(int64_t Number, const TKorHOffsetTextRequest& Request) const {
  // The guard stays set only while the handler runs, also when it raises, so a nested
  // request for offset text is answered from the format.
  struct Guard {
    bool& flag;
    explicit Guard(bool& f) : flag(f) { flag = true; }
    ~Guard() { flag = false; }
  } guard(FInOffsetTextRequest);
  QString text;
  Request(Number, text);
  return text;
}

QString TKorHOffsetRuler::FormatOffset(uint32_t Position, const TKorHOffsetTextRequest& Request) const {
  if (Request && !FInOffsetTextRequest) return RequestText(static_cast<int64_t>(Position), Request);
  return vexa::FormatOffset(FFormat, Position, FHexLowerCase);
}

int TKorHOffsetRuler::UpdateOffsetColumn(int RowCount, int BytesPerRow, int CharWidth,
                                         const TKorHOffsetTextRequest& Request) {
  const uint32_t last = LastRowOffset(RowCount, BytesPerRow);
  if (Request && !FInOffsetTextRequest) {
    FOffsetCharCount = static_cast<int>(RequestText(static_cast<int64_t>(last), Request).size()) + 1;
  } else {
    if (FFormat.Flags.Contains(ofAutoWidth)) FFormat.MinWidth = AutoOffsetMinWidth(FFormat, last);
    FOffsetCharCount = static_cast<int>(vexa::FormatOffset(FFormat, last, FHexLowerCase).size()) + 1;
  }
  return OffsetColumnWidth(FOffsetCharCount, CharWidth, FGutterWidth);
}

}  // namespace vexa
