#include "hexeditor/PrintOptions.h"

#include "platform/SysUtils.h"

namespace vexa {

const char* TKorHPrintFlags::FlagName(TKorHPrintFlag f) {
  static const char* const names[FlagCount] = {"pfSelectionOnly",      "pfSelectionBold",   "pfMonochrome",
                                               "pfUseBackgroundColor", "pfCurrentViewOnly", "pfIncludeRuler"};
  return f < FlagCount ? names[f] : "";
}

int32_t TKorHPrintOptions::GetMargin(int Index) const {
  switch (Index) {
    case 1: return FMarginLeft;
    case 2: return FMarginTop;
    case 3: return FMarginRight;
    default: return FMarginBottom;
  }
}

void TKorHPrintOptions::SetMargin(int Index, int32_t Value) {
  switch (Index) {
    case 1: FMarginLeft = Value; break;
    case 2: FMarginTop = Value; break;
    case 3: FMarginRight = Value; break;
    default: FMarginBottom = Value; break;
  }
}

QStringList TKorHPrintOptions::FlagNames() const {
  QStringList names;
  for (int i = 0; i < TKorHPrintFlags::FlagCount; ++i) {
    const auto f = static_cast<TKorHPrintFlag>(i);
    if (FFlags.Contains(f)) names << QString::fromLatin1(TKorHPrintFlags::FlagName(f));
  }
  return names;
}

void TKorHPrintOptions::SetFlagNames(const QStringList& names) {
  TKorHPrintFlags flags;
  for (const QString& name : names) {
    int i = 0;
    while (i < TKorHPrintFlags::FlagCount &&
           name != QLatin1String(TKorHPrintFlags::FlagName(static_cast<TKorHPrintFlag>(i))))
      ++i;
    if (i == TKorHPrintFlags::FlagCount) throw Exception(Format("Invalid print flag %s", {name}));
    flags.Include(static_cast<TKorHPrintFlag>(i));
  }
  FFlags = flags;
}

void TKorHPrintOptions::Assign(const QObject* Source) {
  const auto* other = qobject_cast<const TKorHPrintOptions*>(Source);
  if (!other) {
    const QString from = Source ? QString::fromLatin1(Source->metaObject()->className()) : QStringLiteral("nil");
    throw EConvertError(Format("Cannot assign a %s to a %s", {from, QStringLiteral("TKorHPrintOptions")}));
  }
  if (other == this) return;
  FMarginLeft = other->FMarginLeft;
  FMarginTop = other->FMarginTop;
  FMarginRight = other->FMarginRight;
  FMarginBottom = other->FMarginBottom;
  FHeaders = other->FHeaders;
  FFlags = other->FFlags;
}

}  // namespace vexa
