// The control's offset and ruler settings, forwarded to its TKorHOffsetRuler.

#include "hexeditor/KorHexEditor.h"

namespace vexa {

TKorHLayoutValues TCustomKorHexEditor::LayoutValues() const {
  return TKorHLayoutValues{FBytesPerRow, FNibbleGroupWidth / 2, FBytesPerUnit, FUnicodeChars};
}

TKorHOffsetTextRequest TCustomKorHexEditor::OffsetTextRequest() {
  if (!OnGetOffsetText) return {};
  return [this](int64_t number, QString& text) { OnGetOffsetText(this, number, text); };
}

QString TCustomKorHexEditor::FormatOffset(uint32_t Position) {
  return FOffsetRuler.FormatOffset(Position, OffsetTextRequest());
}

void TCustomKorHexEditor::UpdateOffsetColumn() {
  const int width = FOffsetRuler.UpdateOffsetColumn(RowCount(), FBytesPerRow, FCharWidth, OffsetTextRequest());
  SetColWidths(0, width);
}

void TCustomKorHexEditor::UpdateRulerTexts() { FOffsetRuler.UpdateRulerTexts(LayoutValues()); }

void TCustomKorHexEditor::SetOffsetFormat(const QString& value) {
  FOffsetRuler.SetOffsetFormat(value, LayoutValues(), [this] {
    UpdateOffsetColumn();
    viewport()->update();
  });
}

void TCustomKorHexEditor::SetHexLowerCase(bool value) {
  if (FOffsetRuler.SetHexLowerCase(value, LayoutValues())) viewport()->update();
}

void TCustomKorHexEditor::SetRulerBytesPerUnit(int value) {
  if (!FOffsetRuler.SetRulerBytesPerUnit(value, LayoutValues())) return;
  UpdateColumnWidths();
  viewport()->update();
}

void TCustomKorHexEditor::SetRulerNumberBase(int value) {
  if (value < 0 || value > 255) value = 16;
  if (FOffsetRuler.SetRulerNumberBase(static_cast<uint8_t>(value), LayoutValues()) && FShowRuler) viewport()->update();
}

}  // namespace vexa
