#include "app/AppVersion.h"

#include <QCoreApplication>
#include <QFile>
#include <cstring>
#include <elf.h>
#include <vector>

namespace vexa {

namespace {

// Bounded reads from the file: a read that would reach past the end fails.
class TBoundedFile {
public:
  explicit TBoundedFile(const QString& path) : FFile(path) {
    if (FFile.open(QIODevice::ReadOnly)) FSize = static_cast<uint64_t>(FFile.size());
  }
  bool IsOpen() const { return FFile.isOpen(); }
  bool ReadAt(uint64_t offset, uint64_t count, void* out) {
    if (!IsOpen() || offset > FSize || count > FSize - offset) return false;
    if (!FFile.seek(static_cast<qint64>(offset))) return false;
    return FFile.read(static_cast<char*>(out), static_cast<qint64>(count)) == static_cast<qint64>(count);
  }
  uint64_t Size() const { return FSize; }

private:
  QFile FFile;
  uint64_t FSize = 0;
};

template <class Ehdr, class Shdr>
std::optional<TFileVersion> ReadFromElf(TBoundedFile& file) {
  Ehdr eh;
  if (!file.ReadAt(0, sizeof eh, &eh)) return std::nullopt;
  if (eh.e_shoff == 0 || eh.e_shentsize < sizeof(Shdr)) return std::nullopt;

  auto header = [&](uint64_t index, Shdr& out) {
    // index * e_shentsize cannot overflow: index is below 2^32 and e_shentsize below 2^16.
    const uint64_t offset = static_cast<uint64_t>(eh.e_shoff) + index * eh.e_shentsize;
    if (offset < static_cast<uint64_t>(eh.e_shoff)) return false;
    return file.ReadAt(offset, sizeof out, &out);
  };

  // Extended numbering: with many sections the counts live in section header 0.
  uint64_t count = eh.e_shnum;
  uint64_t strIndex = eh.e_shstrndx;
  if (count == 0 || strIndex == SHN_XINDEX) {
    Shdr first;
    if (!header(0, first)) return std::nullopt;
    if (count == 0) count = first.sh_size;
    if (strIndex == SHN_XINDEX) strIndex = first.sh_link;
  }
  if (count == 0 || count > 0xFFFFFFFFu || strIndex >= count) return std::nullopt;
  if (count * eh.e_shentsize > file.Size()) return std::nullopt;

  Shdr strtab;
  if (!header(strIndex, strtab) || strtab.sh_type == SHT_NOBITS) return std::nullopt;
  if (strtab.sh_size > file.Size()) return std::nullopt;
  std::vector<char> names(static_cast<size_t>(strtab.sh_size));
  if (!file.ReadAt(strtab.sh_offset, strtab.sh_size, names.data())) return std::nullopt;

  const size_t wantedLength = sizeof kVersionSectionName;  // with its NUL
  for (uint64_t i = 1; i < count; ++i) {
    Shdr sh;
    if (!header(i, sh)) return std::nullopt;
    if (sh.sh_name >= names.size() || names.size() - sh.sh_name < wantedLength) continue;
    if (std::memcmp(names.data() + sh.sh_name, kVersionSectionName, wantedLength) != 0) continue;
    if (sh.sh_type == SHT_NOBITS || sh.sh_size < sizeof(TFixedVersionRecord)) return std::nullopt;
    TFixedVersionRecord record;
    if (!file.ReadAt(sh.sh_offset, sizeof record, &record)) return std::nullopt;
    if (std::memcmp(record.Magic, kVersionMagic, sizeof record.Magic) != 0 ||
        record.Signature != kVersionSignature)
      return std::nullopt;
    TFileVersion v;
    v.Major = static_cast<uint16_t>(record.FileVersionMS >> 16);
    v.Minor = static_cast<uint16_t>(record.FileVersionMS & 0xFFFF);
    v.Release = static_cast<uint16_t>(record.FileVersionLS >> 16);
    v.Build = static_cast<uint16_t>(record.FileVersionLS & 0xFFFF);
    return v;
  }
  return std::nullopt;
}

constexpr unsigned char kHostData =
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;

}  // namespace

std::optional<TFileVersion> ReadFileVersion(const QString& path) {
  TBoundedFile file(path);
  unsigned char ident[EI_NIDENT];
  if (!file.ReadAt(0, sizeof ident, ident)) return std::nullopt;
  if (std::memcmp(ident, ELFMAG, SELFMAG) != 0) return std::nullopt;
  // The record's words are in the builder's byte order, which is the host's.
  if (ident[EI_DATA] != kHostData) return std::nullopt;
  switch (ident[EI_CLASS]) {
    case ELFCLASS64: return ReadFromElf<Elf64_Ehdr, Elf64_Shdr>(file);
    case ELFCLASS32: return ReadFromElf<Elf32_Ehdr, Elf32_Shdr>(file);
    default: return std::nullopt;
  }
}

QString FormatFileVersion(const TFileVersion& v) {
  return QStringLiteral("%1.%2.%3.%4").arg(v.Major).arg(v.Minor).arg(v.Release).arg(v.Build);
}

QString GetAppVersion() {
  QString path;
  if (QCoreApplication::instance()) path = QCoreApplication::applicationFilePath();
  if (path.isEmpty()) path = QStringLiteral("/proc/self/exe");
  // No readable record reads as an all-zero version, "0.0.0.0".
  return FormatFileVersion(ReadFileVersion(path).value_or(TFileVersion{}));
}

}  // namespace vexa
