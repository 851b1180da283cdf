// The print settings: their values after creation, copying between controls, the print font
// and its flag, and the stored layout.

#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "TestSupport.h"
#include "hexeditor/KorHexEditorEx.h"
#include "hexeditor/PrintOptions.h"
#include "platform/StoredLayout.h"

namespace vexa {
namespace {

struct PrintValues {
  int left, top, right, bottom;
  QString header, footer;
  uint8_t flags;
};

PrintValues ValuesOf(const TKorHPrintOptions& o) {
  return {o.MarginLeft(), o.MarginTop(), o.MarginRight(), o.MarginBottom(), o.PageHeader(), o.PageFooter(), o.Flags().Bits()};
}

void ExpectValues(const TKorHPrintOptions& o, const PrintValues& v) {
  const PrintValues got = ValuesOf(o);
  EXPECT_EQ(got.left, v.left);
  EXPECT_EQ(got.top, v.top);
  EXPECT_EQ(got.right, v.right);
  EXPECT_EQ(got.bottom, v.bottom);
  EXPECT_EQ(got.header, v.header);
  EXPECT_EQ(got.footer, v.footer);
  EXPECT_EQ(got.flags, v.flags);
}

constexpr uint8_t kDefaultFlags = (1u << pfSelectionBold) | (1u << pfMonochrome);

TEST(KorHPrintOptions, NewOptionsHoldTheDefaults) {
  TKorHPrintOptions o;
  ExpectValues(o, {20, 15, 25, 25, QString(), QString(), kDefaultFlags});
  EXPECT_EQ(o.FlagNames(), (QStringList{"pfSelectionBold", "pfMonochrome"}));
  EXPECT_EQ(o.Flags(), (TKorHPrintFlags{pfMonochrome, pfSelectionBold}));
}

TEST(KorHPrintOptions, IndexedAccessorsMapTheirIndices) {
  TKorHPrintOptions o;
  for (int index : {1, 2, 3, 4, 0, 7}) o.SetMargin(index, 100 + index);
  // 1 left, 2 top, 3 right; every other index is the bottom, so the last one wins.
  EXPECT_EQ(o.MarginLeft(), 101);
  EXPECT_EQ(o.MarginTop(), 102);
  EXPECT_EQ(o.MarginRight(), 103);
  EXPECT_EQ(o.MarginBottom(), 107);
  EXPECT_EQ(o.GetMargin(-5), 107);
  o.SetHeader(0, "head");
  o.SetHeader(1, "foot");
  EXPECT_EQ(o.PageHeader(), "head");
  EXPECT_EQ(o.PageFooter(), "foot");
}

TEST(KorHPrintOptions, FlagNamesRoundTripAndUnknownNamesAreRefused) {
  TKorHPrintOptions o;
  const QStringList all{"pfSelectionOnly", "pfSelectionBold", "pfMonochrome", "pfUseBackgroundColor",
                        "pfCurrentViewOnly", "pfIncludeRuler"};
  o.SetFlagNames(all);
  EXPECT_EQ(o.Flags().Bits(), 0x3F);
  EXPECT_EQ(o.FlagNames(), all);
  o.SetFlagNames({});
  EXPECT_EQ(o.Flags().Bits(), 0);
  o.SetFlagNames({"pfIncludeRuler"});
  EXPECT_EQ(test::MessageOf([&] { o.SetFlagNames({"pfMonochrome", "pfColour"}); }), "Invalid print flag pfColour");
  EXPECT_EQ(o.FlagNames(), QStringList{"pfIncludeRuler"});
}

TEST(KorHPrintOptions, AssignCopiesEveryValueAndRefusesOtherSources) {
  TKorHPrintOptions source, target;
  source.SetMarginLeft(1);
  source.SetMarginTop(2);
  source.SetMarginRight(3);
  source.SetMarginBottom(4);
  source.SetPageHeader("Header");
  source.SetPageFooter("Footer");
  source.SetFlags({pfSelectionOnly, pfIncludeRuler});
  target.Assign(&source);
  ExpectValues(target, ValuesOf(source));

  QObject foreign;
  EXPECT_NE(test::MessageOf<EConvertError>([&] { target.Assign(&foreign); }), "no exception");
  EXPECT_NE(test::MessageOf<EConvertError>([&] { target.Assign(nullptr); }), "no exception");
  ExpectValues(target, ValuesOf(source));
}

class PrintSettingsTest : public test::EditorTest {};

TEST_F(PrintSettingsTest, ControlOwnsItsSettingsAndCopiesAssignedOnes) {
  ExpectValues(*Editor->PrintOptions(), {20, 15, 25, 25, QString(), QString(), kDefaultFlags});
  EXPECT_TRUE(Editor->UseEditorFontForPrinting());
  EXPECT_TRUE(Editor->PrintFont()->SameAs(*Editor->Font()));
  EXPECT_NE(Editor->PrintFont(), Editor->Font());

  TKorHexEditorEx other;
  other.PrintOptions()->SetMarginLeft(7);
  other.PrintOptions()->SetPageFooter("page");
  other.PrintOptions()->SetFlags({pfCurrentViewOnly});
  TKorHPrintOptions* own = Editor->PrintOptions();
  Editor->SetPrintOptions(other.PrintOptions());
  EXPECT_EQ(Editor->PrintOptions(), own);
  ExpectValues(*own, ValuesOf(*other.PrintOptions()));

  // Changing the owned font directly keeps the editor's font in use; assigning one does not.
  Editor->PrintFont()->SetHeight(-20);
  EXPECT_TRUE(Editor->UseEditorFontForPrinting());
  TFont font;
  font.SetName("Liberation Mono");
  font.SetHeight(-11);
  TFont* ownFont = Editor->PrintFont();
  Editor->SetPrintFont(&font);
  EXPECT_EQ(Editor->PrintFont(), ownFont);
  EXPECT_TRUE(ownFont->SameAs(font));
  EXPECT_FALSE(Editor->UseEditorFontForPrinting());
}

TEST_F(PrintSettingsTest, StoredLayoutKeepsTheSettingsAsNestedObjects) {
  Editor->PrintOptions()->SetMarginTop(33);
  Editor->PrintOptions()->SetPageHeader("Title");
  Editor->PrintOptions()->SetFlags({pfUseBackgroundColor});
  const QJsonObject stored = WriteStoredLayout(Editor.get());
  const QJsonObject print = stored.value("PrintOptions").toObject();
  EXPECT_EQ(print.keys(), (QStringList{"Flags", "MarginBottom", "MarginLeft", "MarginRight", "MarginTop",
                                       "PageFooter", "PageHeader"}));
  EXPECT_EQ(print.value("Flags").toArray(), QJsonArray{"pfUseBackgroundColor"});
  EXPECT_TRUE(stored.value("PrintFont").isObject());

  // Reading fills the existing objects without the setters: the print font keeps the
  // editor's font in use.
  TKorHexEditorEx other;
  TKorHPrintOptions* own = other.PrintOptions();
  QJsonObject layout{{"PrintOptions", print}, {"PrintFont", QJsonObject{{"Name", "Courier New"}, {"Height", -15}}}};
  ReadStoredLayout(&other, layout);
  EXPECT_EQ(other.PrintOptions(), own);
  ExpectValues(*own, ValuesOf(*Editor->PrintOptions()));
  EXPECT_EQ(other.PrintFont()->Height(), -15);
  EXPECT_TRUE(other.UseEditorFontForPrinting());

  other.SetUseEditorFontForPrinting(false);
  TKorHexEditorEx third;
  ReadStoredLayout(&third, WriteStoredLayout(&other));
  EXPECT_FALSE(third.UseEditorFontForPrinting());
}

}  // namespace
}  // namespace vexa
