#include "platform/Ole.h"

#include <QByteArray>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vexa {

// ---- Status codes --------------------------------------------------------------------------

QString OleErrorMessage(HRESULT code) {
  switch (code) {
    case S_OK: return QStringLiteral("The operation completed successfully");
    case E_NOTIMPL: return QStringLiteral("Not implemented");
    case E_NOINTERFACE: return QStringLiteral("No such interface supported");
    case E_POINTER: return QStringLiteral("Invalid pointer");
    case E_ABORT: return QStringLiteral("Operation aborted");
    case E_FAIL: return QStringLiteral("Unspecified error");
    case E_UNEXPECTED: return QStringLiteral("Unexpected failure");
    case E_OUTOFMEMORY: return QStringLiteral("Out of memory");
    case E_INVALIDARG: return QStringLiteral("One or more arguments are invalid");
    case OLE_E_ADVISENOTSUPPORTED: return QStringLiteral("This data object does not support change notifications");
    case DV_E_FORMATETC: return QStringLiteral("The data format is not offered");
    case DV_E_DVTARGETDEVICE: return QStringLiteral("Invalid target device");
    case DV_E_STGMEDIUM: return QStringLiteral("Invalid storage medium");
    case DV_E_LINDEX: return QStringLiteral("Invalid index of the data");
    case DV_E_TYMED: return QStringLiteral("The storage medium is not offered");
    case DV_E_CLIPFORMAT: return QStringLiteral("Invalid clipboard format");
    case DV_E_DVASPECT: return QStringLiteral("The data aspect is not offered");
    case DRAGDROP_E_NOTREGISTERED: return QStringLiteral("The window is not registered as a drop target");
    case DRAGDROP_E_ALREADYREGISTERED: return QStringLiteral("The window is already registered as a drop target");
    case CLIPBRD_E_CANT_OPEN: return QStringLiteral("The clipboard cannot be opened");
    default:
      return QStringLiteral("OLE error %1").arg(QString::number(static_cast<uint32_t>(code), 16).toUpper(), 8, QLatin1Char('0'));
  }
}

HRESULT OleCheck(HRESULT code) {
  if (FAILED(code)) throw EOleError(OleErrorMessage(code), code);
  return code;
}

// ---- Global memory blocks ------------------------------------------------------------------

struct TGlobalMemoryBlock {
  uint8_t* Data = nullptr;
  size_t Size = 0;
  int Locks = 0;
};

namespace {

// The live blocks, so that a stale or foreign handle is refused instead of being followed.
struct TGlobalBlockTable {
  std::mutex Lock;
  std::unordered_set<HGLOBAL> Live;
};

TGlobalBlockTable& GlobalBlocks() {
  static TGlobalBlockTable table;
  return table;
}

}  // namespace

HGLOBAL GlobalAlloc(uint32_t /*flags*/, size_t size) {
  // One byte more than asked, so that an empty block still has an address to lock.
  if (size == SIZE_MAX) return nullptr;
  auto* data = static_cast<uint8_t*>(std::calloc(size + 1, 1));
  if (!data) return nullptr;
  auto* block = new (std::nothrow) TGlobalMemoryBlock{data, size, 0};
  if (!block) {
    std::free(data);
    return nullptr;
  }
  TGlobalBlockTable& table = GlobalBlocks();
  try {
    std::lock_guard guard(table.Lock);
    table.Live.insert(block);
  } catch (...) {
    std::free(data);
    delete block;
    return nullptr;
  }
  return block;
}

HGLOBAL GlobalAllocCopy(const void* data, size_t size) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, size);
  if (handle && size > 0) std::memcpy(handle->Data, data, size);
  return handle;
}

void* GlobalLock(HGLOBAL handle) {
  TGlobalBlockTable& table = GlobalBlocks();
  std::lock_guard guard(table.Lock);
  if (!handle || !table.Live.count(handle)) return nullptr;
  ++handle->Locks;
  return handle->Data;
}

bool GlobalUnlock(HGLOBAL handle) {
  TGlobalBlockTable& table = GlobalBlocks();
  std::lock_guard guard(table.Lock);
  if (!handle || !table.Live.count(handle) || handle->Locks == 0) return false;
  return --handle->Locks > 0;
}

size_t GlobalSize(HGLOBAL handle) {
  TGlobalBlockTable& table = GlobalBlocks();
  std::lock_guard guard(table.Lock);
  if (!handle || !table.Live.count(handle)) return 0;
  return handle->Size;
}

HGLOBAL GlobalFree(HGLOBAL handle) {
  if (!handle) return nullptr;
  TGlobalBlockTable& table = GlobalBlocks();
  {
    std::lock_guard guard(table.Lock);
    if (!table.Live.erase(handle)) return handle;
  }
  std::free(handle->Data);
  delete handle;
  return nullptr;
}

void ReleaseStgMedium(STGMEDIUM& medium) {
  if (medium.pUnkForRelease) {
    medium.pUnkForRelease->Release();
  } else if (medium.tymed == TYMED_HGLOBAL || medium.tymed == TYMED_MFPICT) {
    GlobalFree(medium.hGlobal);
  } else if (medium.tymed == TYMED_ISTREAM || medium.tymed == TYMED_ISTORAGE) {
    if (medium.pstm) medium.pstm->Release();
  }
  medium = STGMEDIUM{};
}

// ---- Clipboard format registry -------------------------------------------------------------

namespace {

constexpr size_t MaxFormatNameLength = 255;

struct TFormatRegistry {
  std::mutex Lock;
  std::vector<QByteArray> Names;  // index i holds the name of format 0xC000 + i
  std::unordered_map<std::string, uint32_t> ByFoldedName;
};

TFormatRegistry& FormatRegistry() {
  static TFormatRegistry registry;
  return registry;
}

std::string FoldCase(const QByteArray& name) {
  std::string folded = name.toStdString();
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return folded;
}

}  // namespace

uint32_t RegisterClipboardFormatA(const char* name) {
  if (!name || !*name) return 0;
  const size_t length = std::strlen(name);
  if (length > MaxFormatNameLength) return 0;
  const QByteArray exact(name, qsizetype(length));
  const std::string folded = FoldCase(exact);
  TFormatRegistry& registry = FormatRegistry();
  std::lock_guard guard(registry.Lock);
  if (auto found = registry.ByFoldedName.find(folded); found != registry.ByFoldedName.end()) return found->second;
  const size_t capacity = 0x10000u - FirstRegisteredClipboardFormat;
  if (registry.Names.size() >= capacity) return 0;
  const uint32_t format = FirstRegisteredClipboardFormat + uint32_t(registry.Names.size());
  registry.Names.push_back(exact);
  registry.ByFoldedName.emplace(folded, format);
  return format;
}

namespace {

bool LookUpFormatName(uint32_t format, QByteArray& name) {
  if (format < FirstRegisteredClipboardFormat) return false;
  TFormatRegistry& registry = FormatRegistry();
  std::lock_guard guard(registry.Lock);
  const size_t index = format - FirstRegisteredClipboardFormat;
  if (index >= registry.Names.size()) return false;
  name = registry.Names[index];
  return true;
}

}  // namespace

int GetClipboardFormatNameA(uint32_t format, char* buffer, int maxCount) {
  QByteArray name;
  if (!buffer || maxCount <= 0 || !LookUpFormatName(format, name)) return 0;
  const int copied = int(std::min<qsizetype>(name.size(), maxCount - 1));
  std::memcpy(buffer, name.constData(), size_t(copied));
  buffer[copied] = '\0';
  return copied;
}

QString ClipboardFormatName(uint32_t format) {
  QByteArray name;
  if (!LookUpFormatName(format, name)) return {};
  return QString::fromLatin1(name);
}

// ---- Initialisation ------------------------------------------------------------------------

namespace {
std::atomic<int> OleInitCount{0};
}

HRESULT OleInitialize(void* /*reserved*/) { return OleInitCount.fetch_add(1) == 0 ? S_OK : S_FALSE; }

void OleUninitialize() {
  int count = OleInitCount.load();
  while (count > 0 && !OleInitCount.compare_exchange_weak(count, count - 1)) {
  }
}

int OleInitializeCount() { return OleInitCount.load(); }

}  // namespace vexa
