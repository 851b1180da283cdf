// The colour set of the control.

#include "hexeditor/Colors.h"

#include "hexeditor/KorHexEditor.h"

namespace vexa {

TKorHColors::TKorHColors(TCustomKorHexEditor* Owner) : QObject(nullptr), FOwner(Owner) {}

void TKorHColors::Set(TColor& field, TColor value) {
  if (field == value) return;
  field = value;
  Changed();
}

void TKorHColors::Changed() {
  if (FOwner) FOwner->viewport()->update();
  if (OnChange) OnChange(this);
}

void TKorHColors::SetBackground(TColor value) {
  if (value == FBackground) return;
  FBackground = value;
  if (FOwner) FOwner->SetColor(value);
  Changed();
}

void TKorHColors::SetChangedBackground(TColor value) { Set(FChangedBackground, value); }
void TKorHColors::SetChangedText(TColor value) { Set(FChangedText, value); }
void TKorHColors::SetCursorFrame(TColor value) { Set(FCursorFrame, value); }
void TKorHColors::SetOffset(TColor value) { Set(FOffset, value); }
void TKorHColors::SetOddColumn(TColor value) { Set(FOddColumn, value); }
void TKorHColors::SetEvenColumn(TColor value) { Set(FEvenColumn, value); }
void TKorHColors::SetCurrentOffsetBackground(TColor value) { Set(FCurrentOffsetBackground, value); }
void TKorHColors::SetOffsetBackGround(TColor value) { Set(FOffsetBackGround, value); }
void TKorHColors::SetCurrentOffset(TColor value) { Set(FCurrentOffset, value); }
void TKorHColors::SetGrid(TColor value) { Set(FGrid, value); }
void TKorHColors::SetNonFocusCursorFrame(TColor value) { Set(FNonFocusCursorFrame, value); }
void TKorHColors::SetActiveFieldBackground(TColor value) { Set(FActiveFieldBackground, value); }

void TKorHColors::Assign(const QObject* Source) {
  const auto* source = qobject_cast<const TKorHColors*>(Source);
  if (!source || source == this) return;
  SetBackground(source->FBackground);
  SetChangedBackground(source->FChangedBackground);
  SetChangedText(source->FChangedText);
  SetCursorFrame(source->FCursorFrame);
  SetOffset(source->FOffset);
  SetOddColumn(source->FOddColumn);
  SetEvenColumn(source->FEvenColumn);
  SetCurrentOffsetBackground(source->FCurrentOffsetBackground);
  SetOffsetBackGround(source->FOffsetBackGround);
  SetCurrentOffset(source->FCurrentOffset);
  SetGrid(source->FGrid);
  SetNonFocusCursorFrame(source->FNonFocusCursorFrame);
  SetActiveFieldBackground(source->FActiveFieldBackground);
}

}  // namespace vexa
