#pragma once
// The clipboard formats of the extended control, the byte layout of every block it writes,
// and the data object that carries a snapshot of the selected bytes to the clipboard and to a
// drag. No widget code: the data object is built from a stream, a range and a few settings.

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/Classes.h"
#include "platform/Ole.h"

namespace vexa {

// ---- Registered formats --------------------------------------------------------------------

inline constexpr char PrivateClipboardFormatName[] = "TKorHexeditorEx Clipboard Format";

// The eight names the module registers, in registration order.
inline constexpr std::array<const char*, 8> KorHClipFormatNames = {
    PrivateClipboardFormatName, "RegEdit_HexData",     "Rich Text Format",     "HTML Format",
    "FileContents",             "FileGroupDescriptor", "Performed DropEffect", "Logical Performed DropEffect"};

// Their numbers, registered once per process when the module is initialised (before any
// control exists; the first call registers them should anything ask earlier).
struct TKorHClipFormatIds {
  uint16_t Private;
  uint16_t RegEditHexData;
  uint16_t RichTextFormat;
  uint16_t HtmlFormat;
  uint16_t FileContents;
  uint16_t FileGroupDescriptor;
  uint16_t PerformedDropEffect;
  uint16_t LogicalPerformedDropEffect;
};
const TKorHClipFormatIds& KorHClipFormats();

// A list of clipboard format numbers, in priority order where order matters.
using TClipFormats = std::vector<uint16_t>;

// ---- Private format ------------------------------------------------------------------------
// "KORB", version 0x00010001, byte count N (32-bit little-endian each), then the N bytes.

inline constexpr std::array<uint8_t, 4> PrivateBlockMagic = {'K', 'O', 'R', 'B'};
inline constexpr uint32_t PrivateBlockVersion = 0x00010001;
inline constexpr size_t PrivateBlockHeaderSize = 12;

size_t PrivateBlockSize(int32_t count);
// Writes the block for count bytes at data into dest, which holds PrivateBlockSize(count).
void WritePrivateBlock(const uint8_t* data, int32_t count, uint8_t* dest);
// The bytes a private block carries, as a view into block. nullopt (refused) when the block
// is shorter than its header, the magic or version differ, or the count is negative or more
// than the block holds after the header. A block may be longer than it needs to be.
std::optional<std::span<const uint8_t>> PrivateBlockBytes(const void* block, size_t size);

// ---- Text ----------------------------------------------------------------------------------
// Hex text: two upper-case digits per byte (low nibble first when swapped), then a NUL.
// Raw text: the bytes up to, not including, the first zero byte, then a NUL.

size_t TextBlockSize(const uint8_t* data, int32_t count, bool hexText);
// Writes the text block into dest, which holds TextBlockSize(data, count, hexText).
void WriteTextBlock(const uint8_t* data, int32_t count, bool hexText, bool swapNibbles, uint8_t* dest);

// ---- Virtual file --------------------------------------------------------------------------
// "FileGroupDescriptor": one descriptor block (cItems 1, flags FD_FILESIZE | FD_WRITESTIME,
// the write time, the size N and an ANSI file name) of 336 bytes; "FileContents": the N bytes.

inline constexpr uint32_t FD_WRITESTIME = 0x00000020;
inline constexpr uint32_t FD_FILESIZE = 0x00000040;
inline constexpr size_t FileGroupDescriptorSize = 336;
inline constexpr size_t FileDescriptorNameOffset = 76;
inline constexpr size_t FileDescriptorNameSize = 260;
inline const QString VirtualFileNameFormat = QStringLiteral("Dump of %s.bin");
inline constexpr int MaxVirtualNameLength = 255;

// The name of the virtual file for a document bound to fileName: "Dump of NAME.bin" with the
// bare name (no directory, no extension), at most 255 characters.
QString VirtualFileName(const QString& fileName);
// The current time in UTC as a FILETIME value: 100-nanosecond intervals since 1 January 1601,
// to the millisecond.
uint64_t CurrentFileTime();
// Writes the descriptor block into dest (FileGroupDescriptorSize bytes). The name is stored in
// the ANSI code page ('?' for a character it lacks), cut to 259 characters.
void WriteFileGroupDescriptor(const QString& name, int32_t count, uint64_t lastWriteTime, uint8_t* dest);

// The effect a "Performed DropEffect" block carries (its first 32-bit value); nullopt when
// the block is shorter than four bytes.
std::optional<DROPEFFECT> DropEffectFromBlock(const void* block, size_t size);

// ---- Data object ---------------------------------------------------------------------------

// A snapshot of count bytes of a document that renders them as the private block, as text
// and as a virtual file. It lives by reference counting.
class TKorHDataObject : public TInterfacedObject<IDataObject> {
public:
  // Reads count bytes at start from stream (its position is kept). When stream is null or
  // count is not positive the object holds nothing: Count 0 and an empty name. fileName is the
  // document's file name; only its bare name is used. A short read raises EReadError, a
  // failed allocation EOutOfMemory; no object is made then.
  TKorHDataObject(TStream* stream, int64_t start, int32_t count, const QString& fileName, bool hexText,
                  bool swapNibbles);
  ~TKorHDataObject() override;

  HRESULT GetData(const FORMATETC& format, STGMEDIUM& medium) override;
  HRESULT GetDataHere(const FORMATETC& format, STGMEDIUM& medium) override;
  HRESULT QueryGetData(const FORMATETC& format) override;
  HRESULT GetCanonicalFormatEtc(const FORMATETC& in, FORMATETC& out) override;
  HRESULT SetData(const FORMATETC& format, STGMEDIUM& medium, bool release) override;
  HRESULT EnumFormatEtc(uint32_t direction, ComPtr<IEnumFORMATETC>& result) override;
  HRESULT DAdvise(const FORMATETC& format, uint32_t advf, IAdviseSink* sink, uint32_t& connection) override;
  HRESULT DUnadvise(uint32_t connection) override;
  HRESULT EnumDAdvise(ComPtr<IEnumSTATDATA>& result) override;

  const uint8_t* Bytes() const { return FBytes.get(); }
  int32_t Count() const { return FCount; }
  const QString& VirtualName() const { return FVirtualName; }
  bool PerformedEffectSet() const { return FPerformedEffectSet; }
  DROPEFFECT PerformedEffect() const { return FPerformedEffect; }
  bool HexText() const { return FHexText; }
  bool SwapNibbles() const { return FSwapNibbles; }

  // The size of the block GetData renders for an offered format (0 for any other).
  size_t BlockSize(uint16_t format) const;

private:
  void RenderBlock(uint16_t format, uint8_t* dest) const;

  std::unique_ptr<uint8_t[]> FBytes;
  int32_t FCount = 0;
  QString FVirtualName;
  bool FPerformedEffectSet = false;
  DROPEFFECT FPerformedEffect = DROPEFFECT_NONE;
  bool FHexText = false;
  bool FSwapNibbles = false;
};

// Enumerates the four formats a data object offers: the private format, CF_TEXT,
// "FileGroupDescriptor" and "FileContents", each as content in a global block, lindex -1.
class TKorHEnumFormatETC : public TInterfacedObject<IEnumFORMATETC> {
public:
  static constexpr uint32_t EntryCount = 4;
  explicit TKorHEnumFormatETC(uint32_t cursor = 0);

  HRESULT Next(uint32_t count, FORMATETC* entries, uint32_t* fetched) override;
  HRESULT Skip(uint32_t count) override;
  HRESULT Reset() override;
  HRESULT Clone(ComPtr<IEnumFORMATETC>& result) override;

  uint32_t Cursor() const { return FCursor; }
  // The offered entries, in order.
  static std::array<FORMATETC, EntryCount> Entries();

private:
  std::array<FORMATETC, EntryCount> FEntries;
  uint32_t FCursor;
};

}  // namespace vexa
