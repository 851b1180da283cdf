#include "hexeditor/DataObject.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "hexeditor/Translation.h"
#include "platform/CodePages.h"
#include "platform/SysUtils.h"

namespace vexa {

// ---- Registered formats --------------------------------------------------------------------

namespace {

TKorHClipFormatIds RegisterKorHClipFormats() {
  std::array<uint16_t, KorHClipFormatNames.size()> ids{};
  for (size_t i = 0; i < ids.size(); ++i) ids[i] = uint16_t(RegisterClipboardFormatA(KorHClipFormatNames[i]));
  return {ids[0], ids[1], ids[2], ids[3], ids[4], ids[5], ids[6], ids[7]};
}

}  // namespace

const TKorHClipFormatIds& KorHClipFormats() {
  static const TKorHClipFormatIds ids = RegisterKorHClipFormats();
  return ids;
}

namespace {

// Initialises OLE and registers the formats when the program starts, and uninitialises OLE
// when it ends.
struct TKorHDataTransferModule {
  TKorHDataTransferModule() {
    OleInitialize(nullptr);
    KorHClipFormats();
  }
  ~TKorHDataTransferModule() { OleUninitialize(); }
};
const TKorHDataTransferModule DataTransferModule;

void PutLE32(uint8_t* dest, uint32_t value) {
  for (int i = 0; i < 4; ++i) dest[i] = uint8_t(value >> (8 * i));
}

uint32_t GetLE32(const uint8_t* src) {
  return uint32_t(src[0]) | uint32_t(src[1]) << 8 | uint32_t(src[2]) << 16 | uint32_t(src[3]) << 24;
}

}  // namespace

// ---- Private format ------------------------------------------------------------------------

size_t PrivateBlockSize(int32_t count) { return PrivateBlockHeaderSize + size_t(count > 0 ? count : 0); }

void WritePrivateBlock(const uint8_t* data, int32_t count, uint8_t* dest) {
  const int32_t n = count > 0 ? count : 0;
  std::memcpy(dest, PrivateBlockMagic.data(), PrivateBlockMagic.size());
  PutLE32(dest + 4, PrivateBlockVersion);
  PutLE32(dest + 8, uint32_t(n));
  if (n > 0) std::memcpy(dest + PrivateBlockHeaderSize, data, size_t(n));
}

std::optional<std::span<const uint8_t>> PrivateBlockBytes(const void* block, size_t size) {
  if (!block || size < PrivateBlockHeaderSize) return std::nullopt;
  const auto* bytes = static_cast<const uint8_t*>(block);
  if (std::memcmp(bytes, PrivateBlockMagic.data(), PrivateBlockMagic.size()) != 0) return std::nullopt;
  if (GetLE32(bytes + 4) != PrivateBlockVersion) return std::nullopt;
  const auto count = static_cast<int32_t>(GetLE32(bytes + 8));
  if (count < 0 || size_t(count) > size - PrivateBlockHeaderSize) return std::nullopt;
  return std::span<const uint8_t>(bytes + PrivateBlockHeaderSize, size_t(count));
}

// ---- Text ----------------------------------------------------------------------------------

namespace {

size_t RawTextLength(const uint8_t* data, int32_t count) {
  if (count <= 0) return 0;
  const void* zero = std::memchr(data, 0, size_t(count));
  return zero ? size_t(static_cast<const uint8_t*>(zero) - data) : size_t(count);
}

}  // namespace

size_t TextBlockSize(const uint8_t* data, int32_t count, bool hexText) {
  if (hexText) return 2 * size_t(count > 0 ? count : 0) + 1;
  return RawTextLength(data, count) + 1;
}

void WriteTextBlock(const uint8_t* data, int32_t count, bool hexText, bool swapNibbles, uint8_t* dest) {
  if (hexText) {
    BytesToHexText(data, reinterpret_cast<char*>(dest), count, swapNibbles, HexTextDigits);
    return;
  }
  const size_t length = RawTextLength(data, count);
  if (length > 0) std::memcpy(dest, data, length);
  dest[length] = 0;
}

// ---- Virtual file --------------------------------------------------------------------------

QString VirtualFileName(const QString& fileName) {
  QString bare = ExtractFileName(fileName);
  // A leading dot starts a hidden file's name, not an extension.
  const qsizetype dot = bare.lastIndexOf(QLatin1Char('.'));
  if (dot > 0) bare.truncate(dot);
  QString name = Format(VirtualFileNameFormat, {bare});
  if (name.size() > MaxVirtualNameLength) {
    qsizetype keep = MaxVirtualNameLength;
    if (name.at(keep - 1).isHighSurrogate()) --keep;
    name.truncate(keep);
  }
  return name;
}

uint64_t CurrentFileTime() {
  // FILETIME counts from 1601-01-01; the Unix epoch lies 11644473600 seconds later.
  constexpr uint64_t EpochOffset = 116444736000000000ull;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
  return EpochOffset + uint64_t(ms) * 10000u;
}

void WriteFileGroupDescriptor(const QString& name, int32_t count, uint64_t lastWriteTime, uint8_t* dest) {
  std::memset(dest, 0, FileGroupDescriptorSize);
  PutLE32(dest + 0, 1);                              // cItems
  PutLE32(dest + 4, FD_FILESIZE | FD_WRITESTIME);    // dwFlags
  PutLE32(dest + 60, uint32_t(lastWriteTime));       // ftLastWriteTime, low part
  PutLE32(dest + 64, uint32_t(lastWriteTime >> 32)); // ftLastWriteTime, high part
  PutLE32(dest + 68, 0);                             // nFileSizeHigh
  PutLE32(dest + 72, uint32_t(count > 0 ? count : 0));
  uint8_t* out = dest + FileDescriptorNameOffset;
  size_t written = 0;
  for (qsizetype i = 0; i < name.size() && written < FileDescriptorNameSize - 1; ++i) {
    const QChar c = name.at(i);
    if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
      out[written++] = DefaultCodePageChar;
      ++i;
      continue;
    }
    out[written++] = WideCharToAnsiChar(c.unicode());
  }
}

std::optional<DROPEFFECT> DropEffectFromBlock(const void* block, size_t size) {
  if (!block || size < 4) return std::nullopt;
  return GetLE32(static_cast<const uint8_t*>(block));
}

// ---- Data object ---------------------------------------------------------------------------

TKorHDataObject::TKorHDataObject(TStream* stream, int64_t start, int32_t count, const QString& fileName,
                                 bool hexText, bool swapNibbles)
    : FHexText(hexText), FSwapNibbles(swapNibbles) {
  if (!stream || count <= 0) return;
  std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[size_t(count)]);
  if (!bytes) throw EOutOfMemory(QStringLiteral("Out of memory"));
  const int64_t position = stream->Position();
  try {
    stream->SetPosition(start);
    stream->ReadBuffer(bytes.get(), count);
  } catch (...) {
    stream->SetPosition(position);
    throw;
  }
  stream->SetPosition(position);
  FBytes = std::move(bytes);
  FCount = count;
  FVirtualName = VirtualFileName(fileName);
}

TKorHDataObject::~TKorHDataObject() = default;

size_t TKorHDataObject::BlockSize(uint16_t format) const {
  const TKorHClipFormatIds& ids = KorHClipFormats();
  if (format == ids.Private) return PrivateBlockSize(FCount);
  if (format == CF_TEXT) return TextBlockSize(FBytes.get(), FCount, FHexText);
  if (format == ids.FileGroupDescriptor) return FileGroupDescriptorSize;
  if (format == ids.FileContents) return size_t(FCount);
  return 0;
}

void TKorHDataObject::RenderBlock(uint16_t format, uint8_t* dest) const {
  const TKorHClipFormatIds& ids = KorHClipFormats();
  if (format == ids.Private) {
    WritePrivateBlock(FBytes.get(), FCount, dest);
  } else if (format == CF_TEXT) {
    WriteTextBlock(FBytes.get(), FCount, FHexText, FSwapNibbles, dest);
  } else if (format == ids.FileGroupDescriptor) {
    WriteFileGroupDescriptor(FVirtualName, FCount, CurrentFileTime(), dest);
  } else if (format == ids.FileContents) {
    if (FCount > 0) std::memcpy(dest, FBytes.get(), size_t(FCount));
  }
}

HRESULT TKorHDataObject::GetData(const FORMATETC& format, STGMEDIUM& medium) {
  medium = STGMEDIUM{};
  const HRESULT accepted = QueryGetData(format);
  if (FAILED(accepted)) return accepted;
  const size_t size = BlockSize(format.cfFormat);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, size);
  if (!block) return E_OUTOFMEMORY;
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = block;
  try {
    auto* dest = static_cast<uint8_t*>(GlobalLock(block));
    if (!dest) throw std::bad_alloc();
    RenderBlock(format.cfFormat, dest);
    GlobalUnlock(block);
  } catch (...) {
    GlobalFree(block);
    medium = STGMEDIUM{};
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT TKorHDataObject::GetDataHere(const FORMATETC& /*format*/, STGMEDIUM& /*medium*/) { return DV_E_FORMATETC; }

HRESULT TKorHDataObject::QueryGetData(const FORMATETC& format) {
  const TKorHClipFormatIds& ids = KorHClipFormats();
  if (format.dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!(format.tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
  if (format.lindex != -1 && format.lindex != 0 && format.cfFormat != ids.FileContents) return DV_E_LINDEX;
  const uint16_t f = format.cfFormat;
  if (f != ids.Private && f != CF_TEXT && f != ids.FileGroupDescriptor && f != ids.FileContents) return DV_E_FORMATETC;
  return S_OK;
}

HRESULT TKorHDataObject::GetCanonicalFormatEtc(const FORMATETC& in, FORMATETC& out) {
  out = in;
  out.ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT TKorHDataObject::SetData(const FORMATETC& format, STGMEDIUM& medium, bool release) {
  const TKorHClipFormatIds& ids = KorHClipFormats();
  HRESULT result = E_NOTIMPL;
  if ((format.cfFormat == ids.PerformedDropEffect || format.cfFormat == ids.LogicalPerformedDropEffect) &&
      medium.tymed == TYMED_HGLOBAL) {
    // A block too small to hold the effect is refused rather than read past its end.
    result = DV_E_STGMEDIUM;
    const size_t size = GlobalSize(medium.hGlobal);
    if (const void* block = GlobalLock(medium.hGlobal)) {
      if (const std::optional<DROPEFFECT> effect = DropEffectFromBlock(block, size)) {
        FPerformedEffect = *effect;
        FPerformedEffectSet = true;
        result = S_OK;
      }
      GlobalUnlock(medium.hGlobal);
    }
  }
  if (release) ReleaseStgMedium(medium);
  return result;
}

HRESULT TKorHDataObject::EnumFormatEtc(uint32_t direction, ComPtr<IEnumFORMATETC>& result) {
  result = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  try {
    result = MakeComObject<TKorHEnumFormatETC>();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT TKorHDataObject::DAdvise(const FORMATETC& /*format*/, uint32_t /*advf*/, IAdviseSink* /*sink*/,
                                 uint32_t& /*connection*/) {
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TKorHDataObject::DUnadvise(uint32_t /*connection*/) { return OLE_E_ADVISENOTSUPPORTED; }

HRESULT TKorHDataObject::EnumDAdvise(ComPtr<IEnumSTATDATA>& result) {
  result = nullptr;
  return OLE_E_ADVISENOTSUPPORTED;
}

// ---- Format enumerator ---------------------------------------------------------------------

std::array<FORMATETC, TKorHEnumFormatETC::EntryCount> TKorHEnumFormatETC::Entries() {
  const TKorHClipFormatIds& ids = KorHClipFormats();
  std::array<FORMATETC, EntryCount> entries;
  const uint16_t formats[EntryCount] = {ids.Private, CF_TEXT, ids.FileGroupDescriptor, ids.FileContents};
  for (uint32_t i = 0; i < EntryCount; ++i) entries[i] = FORMATETC{formats[i], nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return entries;
}

TKorHEnumFormatETC::TKorHEnumFormatETC(uint32_t cursor) : FEntries(Entries()), FCursor(std::min(cursor, EntryCount)) {}

HRESULT TKorHEnumFormatETC::Next(uint32_t count, FORMATETC* entries, uint32_t* fetched) {
  if (fetched) *fetched = 0;
  if (count > 0 && !entries) return E_POINTER;
  uint32_t copied = 0;
  while (copied < count && FCursor < EntryCount) entries[copied++] = FEntries[FCursor++];
  if (fetched) *fetched = copied;
  return copied == count ? S_OK : S_FALSE;
}

HRESULT TKorHEnumFormatETC::Skip(uint32_t count) {
  if (count > EntryCount - FCursor) return S_FALSE;
  FCursor += count;
  return S_OK;
}

HRESULT TKorHEnumFormatETC::Reset() {
  FCursor = 0;
  return S_OK;
}

HRESULT TKorHEnumFormatETC::Clone(ComPtr<IEnumFORMATETC>& result) {
  result = nullptr;
  try {
    result = MakeComObject<TKorHEnumFormatETC>(FCursor);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace vexa
