// The control's character translation settings: Translation, MaskChar (with its stored
// form), SwapNibbles, and the two mapping directions of the character field.

#include "hexeditor/KorHexEditor.h"

namespace vexa {

void TCustomKorHexEditor::SetTranslation(TKorHTranslationKind value) {
  if (value == FTranslation) return;
  if (value != tkAsIs && FUnicodeChars) throw EKorHexEditor(msgTranslationInUnicode);
  FTranslation = value;
  viewport()->update();
}

void TCustomKorHexEditor::SetMaskChar(uint8_t value) {
  if (value == FMaskChar) return;
  FMaskChar = value;
  viewport()->update();
}

void TCustomKorHexEditor::SetSwapNibbles(bool value) {
  const int v = value ? 1 : 0;
  if (v == FSwapNibbles) return;
  FSwapNibbles = v;
  viewport()->update();
}

uint8_t TCustomKorHexEditor::ByteToDisplayChar(uint8_t b) const {
  return vexa::ByteToDisplayChar(b, FTranslation, FMaskChar, FMaskedChars);
}

uint8_t TCustomKorHexEditor::TypedCharToByte(uint8_t ch) const {
  return vexa::TypedCharToByte(ch, FTranslation, FMaskedChars);
}

char16_t TCustomKorHexEditor::UnicodeCharAt(int32_t Pos) {
  const int32_t available = DataSize() - Pos;
  if (Pos < 0 || available < 1) return FMaskChar;
  return UnicodeDisplayChar(FDataStorage->RawPointer(Pos), available, FUnicodeBigEndian, FMaskChar, FMaskedChars);
}

// Switching Unicode mode on resets the translation directly: no check, no repaint of its own.
void TCustomKorHexEditor::UnicodeModeSwitchingOn() { FTranslation = tkAsIs; }

// "MaskChar_AsInteger" is written only for a mask character other than "."; older layouts
// stored the character itself as "MaskChar".
void TCustomKorHexEditor::DefineProperties(TFiler& filer) {
  filer.DefineProperty(
      MaskCharIntegerName, [this](const QJsonValue& v) { SetMaskChar(MaskCharFromInteger(v)); },
      [this] { return MaskCharToInteger(FMaskChar); }, MaskCharIsStored(FMaskChar));
  filer.DefineProperty(
      MaskCharTextName, [this](const QJsonValue& v) { SetMaskChar(MaskCharFromText(v)); },
      [] { return QJsonValue(); }, false);
}

}  // namespace vexa
