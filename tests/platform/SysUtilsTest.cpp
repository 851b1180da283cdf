#include <gtest/gtest.h>

#include <cerrno>

#include "platform/SysUtils.h"

using namespace vexa;

TEST(Format, FillsPlaceholdersInOrder) {
  struct Case {
    QString fmt;
    std::initializer_list<FormatArg> args;
    QString expected;
  };
  const Case cases[] = {
      {"Cannot open %s.\r\n(%s.)", {QString("a.bin"), QString("No such file")}, "Cannot open a.bin.\r\n(No such file.)"},
      {"Invalid bytes per unit value %d, allowed: 1,2,4,8", {3LL}, "Invalid bytes per unit value 3, allowed: 1,2,4,8"},
      {"OLE error %x", {static_cast<long long>(int32_t(0x80004005))}, "OLE error 80004005"},
      {"100%% of %d", {7LL}, "100% of 7"},
      {"%s and %s", {QString("one")}, "one and %s"},
      {"no placeholders", {QString("x")}, "no placeholders"},
      {"trailing %", {}, "trailing %"},
  };
  for (const Case& c : cases) EXPECT_EQ(Format(c.fmt, c.args), c.expected) << c.fmt.toStdString();
}

TEST(SysErrorMessage, GivesTheSystemText) {
  EXPECT_EQ(SysErrorMessage(ENOENT), "No such file or directory");
  EXPECT_EQ(SysErrorMessage(EFBIG), "File too large");
  EXPECT_EQ(SysErrorMessage(ERROR_NOT_REGULAR_FILE), "Not a regular file");
}

TEST(FilePaths, NamePartAndFolderPart) {
  EXPECT_EQ(ExtractFileName("/tmp/dir/data.bin"), "data.bin");
  EXPECT_EQ(ExtractFileName("data.bin"), "data.bin");
  EXPECT_EQ(ExtractFilePath("/tmp/dir/data.bin"), "/tmp/dir/");
  EXPECT_EQ(ExtractFilePath("data.bin"), "");
}
