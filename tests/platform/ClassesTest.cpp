// Streams, file opening rules and bit lists.

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/resource.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/Classes.h"
#include "platform/SysUtils.h"

using namespace vexa;

TEST(MemoryStream, ReadsWritesSeeksAndGrows) {
  TMemoryStream s;
  EXPECT_EQ(s.Write("hello", 5), 5);
  EXPECT_EQ(s.Size(), 5);
  s.SetPosition(3);
  EXPECT_EQ(s.Write("p!", 2), 2);
  s.Seek(-1, soEnd);
  char c = 0;
  EXPECT_EQ(s.Read(&c, 4), 1);
  EXPECT_EQ(c, '!');
  EXPECT_EQ(s.Read(&c, 1), 0);
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(s.Memory()), 5), "help!");
  char buf[8];
  s.SetPosition(2);
  EXPECT_THROW(s.ReadBuffer(buf, 8), EReadError);
  s.SetSize(0);
  EXPECT_EQ(s.Memory(), nullptr);
  EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, FailedAllocationRaisesAndKeepsTheStream) {
  const int result = vexa::test::RunWithMemoryLimit(512L << 20, [] {
    TMemoryStream s;
    s.Write("abc", 3);
    try {
      s.SetSize(int64_t(1) << 31);
      return 1;
    } catch (const EOutOfMemory&) {
      return s.Size() == 3 && s.Memory()[0] == 'a' ? 0 : 2;
    }
  });
  EXPECT_EQ(result, 0);
}

TEST(FileOpen, AppliesAccessAndShareRules) {
  QTemporaryDir dir;
  const QString file = dir.filePath("f.bin");
  vexa::test::WriteFile(file, "data");

  // Exclusive holds block every other locking open, at once.
  const int ex = FileOpen(file, fmOpenReadWrite | fmShareExclusive);
  ASSERT_GE(ex, 0);
  EXPECT_EQ(FileOpen(file, fmOpenRead | fmShareDenyWrite), -1);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  const int free = FileOpen(file, fmOpenRead | fmShareDenyNone);
  EXPECT_GE(free, 0);
  FileClose(free);
  FileClose(ex);

  // No write permission bit: read-only for everybody, root included.
  ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
  EXPECT_EQ(FileOpen(file, fmOpenReadWrite | fmShareExclusive), -1);
  EXPECT_EQ(GetLastError(), EACCES);
  const int ro = FileOpen(file, fmOpenRead | fmShareDenyNone);
  EXPECT_GE(ro, 0);
  FileClose(ro);

  EXPECT_EQ(FileOpen(dir.path(), fmOpenRead), -1);
  EXPECT_EQ(GetLastError(), EISDIR);
  EXPECT_EQ(FileOpen(dir.filePath("missing"), fmOpenRead), -1);
  EXPECT_EQ(GetLastError(), ENOENT);
}

TEST(FileStream, ReportsOpenAndCreateErrorsWithTheSystemText) {
  QTemporaryDir dir;
  const QString missing = dir.filePath("missing.bin");
  try {
    TFileStream s(missing, fmOpenRead);
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file \"" + missing + "\". No such file or directory");
  }
  const QString inMissingDir = dir.filePath("no/such/dir.bin");
  EXPECT_THROW(TFileStream(inMissingDir, fmCreate), EFCreateError);

  {
    TFileStream s(dir.filePath("new.bin"), fmCreate);
    s.WriteBuffer("abcdef", 6);
    EXPECT_EQ(s.Size(), 6);
    s.SetSize(3);
    EXPECT_EQ(s.Size(), 3);
  }
  EXPECT_EQ(vexa::test::ReadFile(dir.filePath("new.bin")), "abc");
}

TEST(Bits, GrowOnWriteAndReadClearBeyondTheEnd) {
  TBits bits;
  EXPECT_FALSE(bits.Bits(5));
  bits.SetBits(70, true);
  EXPECT_EQ(bits.Size(), 71);
  EXPECT_TRUE(bits.Bits(70));
  EXPECT_FALSE(bits.Bits(69));
  EXPECT_EQ(bits.OpenBit(), 0);
  bits.SetSize(65);
  bits.SetSize(100);
  EXPECT_FALSE(bits.Bits(70));  // truncated bits do not come back
  for (int i = 0; i < 3; ++i) bits.SetBits(i, true);
  EXPECT_EQ(bits.OpenBit(), 3);
}
