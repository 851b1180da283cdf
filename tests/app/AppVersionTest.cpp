#include "app/AppVersion.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstring>
#include <elf.h>
#include <functional>
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace vexa {
namespace {

// A small ELF file: header, the version record, the section name table and three section
// headers (null, ".shstrtab", the version section). Tweak edits the headers before they are
// laid down, so each test can break one thing.
template <class Ehdr, class Shdr>
struct TElfImage {
  Ehdr Header{};
  Shdr Sections[3]{};
  TFixedVersionRecord Record{};
  QByteArray Names = QByteArray("\0.shstrtab\0.vexa_version\0", 26);
  int TableAt = 0;  // where Bytes() lays the section headers, whatever e_shoff says

  TElfImage(uint16_t major, uint16_t minor, uint16_t release, uint16_t build, unsigned char cls) {
    std::memcpy(Header.e_ident, ELFMAG, SELFMAG);
    Header.e_ident[EI_CLASS] = cls;
    Header.e_ident[EI_DATA] = ELFDATA2LSB;
    Header.e_ident[EI_VERSION] = EV_CURRENT;
    Header.e_type = ET_EXEC;
    Header.e_ehsize = sizeof(Ehdr);
    Header.e_shentsize = sizeof(Shdr);
    Header.e_shnum = 3;
    Header.e_shstrndx = 1;
    std::memcpy(Record.Magic, kVersionMagic, sizeof Record.Magic);
    Record.Signature = kVersionSignature;
    Record.StrucVersion = 0x10000;
    Record.FileVersionMS = static_cast<uint32_t>(major) << 16 | minor;
    Record.FileVersionLS = static_cast<uint32_t>(release) << 16 | build;

    const auto recordAt = sizeof(Ehdr);
    const auto namesAt = recordAt + sizeof(TFixedVersionRecord);
    TableAt = static_cast<int>((namesAt + Names.size() + 7) / 8 * 8);
    Header.e_shoff = TableAt;
    Sections[1].sh_name = 1;
    Sections[1].sh_type = SHT_STRTAB;
    Sections[1].sh_offset = namesAt;
    Sections[1].sh_size = Names.size();
    Sections[2].sh_name = 11;
    Sections[2].sh_type = SHT_PROGBITS;
    Sections[2].sh_offset = recordAt;
    Sections[2].sh_size = sizeof(TFixedVersionRecord);
  }

  QByteArray Bytes() const {
    QByteArray out(TableAt, '\0');
    std::memcpy(out.data(), &Header, sizeof Header);
    std::memcpy(out.data() + sizeof(Ehdr), &Record, sizeof Record);
    std::memcpy(out.data() + sizeof(Ehdr) + sizeof Record, Names.constData(), Names.size());
    out.append(reinterpret_cast<const char*>(Sections), sizeof Sections);
    return out;
  }
};

using TElf64 = TElfImage<Elf64_Ehdr, Elf64_Shdr>;
using TElf32 = TElfImage<Elf32_Ehdr, Elf32_Shdr>;

class AppVersionFile : public ::testing::Test {
protected:
  std::optional<TFileVersion> ReadBytes(const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("image"));
    test::WriteFile(path, bytes);
    return ReadFileVersion(path);
  }
  QString Text(const QByteArray& bytes) {
    const auto v = ReadBytes(bytes);
    return v ? FormatFileVersion(*v) : QStringLiteral("none");
  }
  QTemporaryDir dir;
};

TEST_F(AppVersionFile, ReadsTheFourNumbersFrom64And32BitFiles) {
  EXPECT_EQ(Text(TElf64(3, 14, 159, 2653, ELFCLASS64).Bytes()), QStringLiteral("3.14.159.2653"));
  EXPECT_EQ(Text(TElf32(1, 0, 0, 1, ELFCLASS32).Bytes()), QStringLiteral("1.0.0.1"));
  EXPECT_EQ(Text(TElf64(65535, 0, 65535, 0, ELFCLASS64).Bytes()), QStringLiteral("65535.0.65535.0"));
}

TEST_F(AppVersionFile, EveryTruncationOfAGoodFileGivesNoVersion) {
  for (const QByteArray& good : {TElf64(1, 2, 3, 4, ELFCLASS64).Bytes(), TElf32(1, 2, 3, 4, ELFCLASS32).Bytes()}) {
    ASSERT_TRUE(ReadBytes(good).has_value());
    for (int n = 0; n < good.size(); ++n) {
      EXPECT_FALSE(ReadBytes(good.left(n)).has_value()) << "prefix of " << n << " bytes";
    }
  }
}

TEST_F(AppVersionFile, MalformedHeadersAndSectionsGiveNoVersion) {
  struct Case {
    const char* what;
    std::function<void(TElf64&)> breakIt;
  } cases[] = {
      {"not ELF", [](TElf64& e) { e.Header.e_ident[0] = 'M'; }},
      {"unknown class", [](TElf64& e) { e.Header.e_ident[EI_CLASS] = 7; }},
      {"foreign byte order", [](TElf64& e) { e.Header.e_ident[EI_DATA] = ELFDATA2MSB; }},
      {"no section table", [](TElf64& e) { e.Header.e_shoff = 0; }},
      {"short section headers", [](TElf64& e) { e.Header.e_shentsize = 16; }},
      {"too many sections", [](TElf64& e) { e.Header.e_shnum = 0xFF00; }},
      {"name table index out of range", [](TElf64& e) { e.Header.e_shstrndx = 3; }},
      {"section table offset wraps", [](TElf64& e) { e.Header.e_shoff = ~0ull - 8; }},
      {"name table past the end", [](TElf64& e) { e.Sections[1].sh_offset = 1u << 30; }},
      {"huge name table", [](TElf64& e) { e.Sections[1].sh_size = ~0ull; }},
      {"section name past the table", [](TElf64& e) { e.Sections[2].sh_name = 1000; }},
      {"name without its end", [](TElf64& e) { e.Sections[1].sh_size = 24; }},
      {"other section name", [](TElf64& e) { e.Names[11] = 'X'; }},
      {"longer section name", [](TElf64& e) { e.Names[24] = 'x'; }},
      {"record past the end", [](TElf64& e) { e.Sections[2].sh_offset = 1u << 20; }},
      {"record offset wraps", [](TElf64& e) { e.Sections[2].sh_offset = ~0ull - 4; }},
      {"section too small", [](TElf64& e) { e.Sections[2].sh_size = 12; }},
      {"section without data", [](TElf64& e) { e.Sections[2].sh_type = SHT_NOBITS; }},
      {"bad magic", [](TElf64& e) { e.Record.Magic[0] = 'v'; }},
      {"bad signature", [](TElf64& e) { e.Record.Signature = 0; }},
  };
  for (const Case& c : cases) {
    TElf64 elf(1, 2, 3, 4, ELFCLASS64);
    c.breakIt(elf);
    EXPECT_FALSE(ReadBytes(elf.Bytes()).has_value()) << c.what;
  }
}

TEST_F(AppVersionFile, GarbageMissingAndDirectoryGiveNoVersion) {
  QRandomGenerator random(42);
  for (int size : {0, 3, 16, 64, 1000, 100000}) {
    QByteArray garbage(size, '\0');
    for (char& b : garbage) b = static_cast<char>(random.bounded(256));
    EXPECT_FALSE(ReadBytes(garbage).has_value()) << size;
    // Garbage behind a valid identification, so the header fields themselves are random.
    if (size >= EI_NIDENT) {
      std::memcpy(garbage.data(), ELFMAG, SELFMAG);
      garbage[EI_CLASS] = ELFCLASS64;
      garbage[EI_DATA] = ELFDATA2LSB;
      EXPECT_FALSE(ReadBytes(garbage).has_value()) << size;
    }
  }
  EXPECT_FALSE(ReadFileVersion(dir.filePath(QStringLiteral("missing"))).has_value());
  EXPECT_FALSE(ReadFileVersion(dir.path()).has_value());
}

TEST(AppVersion, RunningExecutableCarriesTheLinkedStamp) {
  const QString text = GetAppVersion();
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$")).match(text).hasMatch()) << text.toStdString();
  EXPECT_NE(text, QStringLiteral("0.0.0.0"));
  const TFixedVersionRecord& r = VexaVersionStamp;
  const TFileVersion linked{static_cast<uint16_t>(r.FileVersionMS >> 16), static_cast<uint16_t>(r.FileVersionMS),
                            static_cast<uint16_t>(r.FileVersionLS >> 16), static_cast<uint16_t>(r.FileVersionLS)};
  EXPECT_EQ(text, FormatFileVersion(linked));
}

// objcopy, an independent reader of the same file, sees the same record.
TEST(AppVersion, SectionMatchesWhatObjcopyExtracts) {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("section.bin"));
  QProcess objcopy;
  objcopy.start(QStringLiteral("objcopy"), {QStringLiteral("-O"), QStringLiteral("binary"),
                                            QStringLiteral("--only-section=.vexa_version"),
                                            QCoreApplication::applicationFilePath(), out});
  if (!objcopy.waitForFinished(60000) || objcopy.exitCode() != 0) GTEST_SKIP() << "objcopy not available";
  const QByteArray section = test::ReadFile(out);
  ASSERT_EQ(section.size(), static_cast<int>(sizeof(TFixedVersionRecord)));
  EXPECT_EQ(std::memcmp(section.constData(), &VexaVersionStamp, sizeof(TFixedVersionRecord)), 0);
}

TEST(AppVersion, TruncatedCopyOfTheExecutableGivesNoVersion) {
  QFile exe(QCoreApplication::applicationFilePath());
  ASSERT_TRUE(exe.open(QIODevice::ReadOnly));
  // The section headers sit at the end of the file, so the front part holds none.
  const QByteArray front = exe.read(exe.size() / 2);
  QTemporaryDir dir;
  const QString copy = dir.filePath(QStringLiteral("front"));
  test::WriteFile(copy, front);
  EXPECT_FALSE(ReadFileVersion(copy).has_value());
}

}  // namespace
}  // namespace vexa
