#pragma once
// The file version of the executable.
//
// The build stamps a fixed version record into the executable, in an ELF section of its own
// (".vexa_version"), the way a version resource carries a fixed file information record.
// GetAppVersion reads that record back from the executable file on disk.

#include <QString>
#include <cstdint>
#include <optional>

namespace vexa {

// The stamped record. Words are in the byte order of the machine that built it.
struct TFixedVersionRecord {
  char Magic[8];              // "VEXAVER" and a NUL
  uint32_t Signature;         // 0xFEEF04BD
  uint32_t StrucVersion;      // 0x00010000
  uint32_t FileVersionMS;     // major << 16 | minor
  uint32_t FileVersionLS;     // release << 16 | build
  uint32_t ProductVersionMS;  // as FileVersionMS
  uint32_t ProductVersionLS;  // as FileVersionLS
};

constexpr char kVersionSectionName[] = ".vexa_version";
constexpr char kVersionMagic[8] = {'V', 'E', 'X', 'A', 'V', 'E', 'R', '\0'};
constexpr uint32_t kVersionSignature = 0xFEEF04BDu;

struct TFileVersion {
  uint16_t Major = 0;
  uint16_t Minor = 0;
  uint16_t Release = 0;
  uint16_t Build = 0;
};

// The record linked into this program (from the configured stamp source).
extern const TFixedVersionRecord VexaVersionStamp;

// Reads the file version from the ".vexa_version" section of the ELF file at path. Every
// read is checked against the file's size; a missing, truncated or malformed file or section
// gives no version.
std::optional<TFileVersion> ReadFileVersion(const QString& path);

// "major.minor.release.build", unsigned decimals without leading zeros.
QString FormatFileVersion(const TFileVersion& version);

// The file version of the running executable. When the executable carries no readable
// version record the text is "0.0.0.0", what an empty fixed record reads as.
QString GetAppVersion();

}  // namespace vexa
