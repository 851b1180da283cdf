#pragma once
// The print settings the extended control carries: page margins, a page header and footer,
// and flags that say what a print covers and how it looks. The control only keeps, copies
// and stores them.

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace vexa {

enum TKorHPrintFlag : uint8_t {
  pfSelectionOnly,
  pfSelectionBold,
  pfMonochrome,
  pfUseBackgroundColor,
  pfCurrentViewOnly,
  pfIncludeRuler,
};

// A set of print flags, one bit per flag in its order.
class TKorHPrintFlags {
public:
  constexpr TKorHPrintFlags() = default;
  constexpr TKorHPrintFlags(std::initializer_list<TKorHPrintFlag> flags) {
    for (TKorHPrintFlag f : flags) FBits |= Bit(f);
  }
  static constexpr TKorHPrintFlags FromBits(uint8_t bits) {
    TKorHPrintFlags s;
    s.FBits = bits & kAll;
    return s;
  }
  constexpr uint8_t Bits() const { return FBits; }
  constexpr bool Contains(TKorHPrintFlag f) const { return (FBits & Bit(f)) != 0; }
  constexpr void Include(TKorHPrintFlag f) { FBits |= Bit(f); }
  constexpr void Exclude(TKorHPrintFlag f) { FBits &= uint8_t(~Bit(f)); }
  constexpr bool operator==(const TKorHPrintFlags&) const = default;

  static constexpr int FlagCount = 6;
  // The flags' names, in their order.
  static const char* FlagName(TKorHPrintFlag f);

private:
  static constexpr uint8_t Bit(TKorHPrintFlag f) { return uint8_t(1u << f); }
  static constexpr uint8_t kAll = (1u << FlagCount) - 1;
  uint8_t FBits = 0;
};

// Element 0 is the page header, element 1 the page footer.
using TKorHPrintHeaders = std::array<QString, 2>;

// Every property is stored: none has a default that would leave it out.
class TKorHPrintOptions : public QObject {
  Q_OBJECT
  Q_PROPERTY(int MarginLeft READ MarginLeft WRITE SetMarginLeft)
  Q_PROPERTY(int MarginTop READ MarginTop WRITE SetMarginTop)
  Q_PROPERTY(int MarginRight READ MarginRight WRITE SetMarginRight)
  Q_PROPERTY(int MarginBottom READ MarginBottom WRITE SetMarginBottom)
  Q_PROPERTY(QString PageHeader READ PageHeader WRITE SetPageHeader)
  Q_PROPERTY(QString PageFooter READ PageFooter WRITE SetPageFooter)
  // The flags as their names, e.g. ["pfSelectionBold", "pfMonochrome"].
  Q_PROPERTY(QStringList Flags READ FlagNames WRITE SetFlagNames)

public:
  explicit TKorHPrintOptions(QObject* parent = nullptr) : QObject(parent) {}

  // Index 1 is the left margin, 2 the top, 3 the right, any other the bottom.
  int32_t GetMargin(int Index) const;
  void SetMargin(int Index, int32_t Value);
  // Index 0 is the header, 1 the footer.
  const QString& GetHeader(int Index) const { return FHeaders[Index == 0 ? 0 : 1]; }
  void SetHeader(int Index, const QString& Value) { FHeaders[Index == 0 ? 0 : 1] = Value; }

  int MarginLeft() const { return GetMargin(1); }
  void SetMarginLeft(int v) { SetMargin(1, v); }
  int MarginTop() const { return GetMargin(2); }
  void SetMarginTop(int v) { SetMargin(2, v); }
  int MarginRight() const { return GetMargin(3); }
  void SetMarginRight(int v) { SetMargin(3, v); }
  int MarginBottom() const { return GetMargin(4); }
  void SetMarginBottom(int v) { SetMargin(4, v); }
  QString PageHeader() const { return GetHeader(0); }
  void SetPageHeader(const QString& v) { SetHeader(0, v); }
  QString PageFooter() const { return GetHeader(1); }
  void SetPageFooter(const QString& v) { SetHeader(1, v); }

  TKorHPrintFlags Flags() const { return FFlags; }
  void SetFlags(TKorHPrintFlags value) { FFlags = value; }
  QStringList FlagNames() const;
  // Raises Exception for a name that is no print flag; nothing changes then.
  void SetFlagNames(const QStringList& names);

  // Copies every value of another TKorHPrintOptions; any other source (or none) raises
  // EConvertError, as an assignment between unrelated kinds does.
  void Assign(const QObject* Source);

private:
  int32_t FMarginLeft = 20;
  int32_t FMarginTop = 15;
  int32_t FMarginRight = 25;
  int32_t FMarginBottom = 25;
  TKorHPrintHeaders FHeaders;
  TKorHPrintFlags FFlags{pfSelectionBold, pfMonochrome};
};

}  // namespace vexa
