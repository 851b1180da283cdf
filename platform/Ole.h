#pragma once
// The small OLE layer the control's data transfer needs: status codes with the same values as
// on Windows, reference-counted interfaces, FORMATETC/STGMEDIUM, global memory blocks and the
// clipboard format registry. Nothing here touches a widget; the bridge to QClipboard and QDrag
// is built on top of it.

#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <type_traits>
#include <utility>

#include "platform/SysUtils.h"

namespace vexa {

// ---- Status codes --------------------------------------------------------------------------

using HRESULT = int32_t;

constexpr HRESULT MakeHResult(uint32_t value) { return static_cast<HRESULT>(value); }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002u);
inline constexpr HRESULT E_POINTER = MakeHResult(0x80004003u);
inline constexpr HRESULT E_ABORT = MakeHResult(0x80004004u);
inline constexpr HRESULT E_FAIL = MakeHResult(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057u);

inline constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = MakeHResult(0x80040003u);
inline constexpr HRESULT DV_E_FORMATETC = MakeHResult(0x80040064u);
inline constexpr HRESULT DV_E_DVTARGETDEVICE = MakeHResult(0x80040065u);
inline constexpr HRESULT DV_E_STGMEDIUM = MakeHResult(0x80040066u);
inline constexpr HRESULT DV_E_LINDEX = MakeHResult(0x80040068u);
inline constexpr HRESULT DV_E_TYMED = MakeHResult(0x80040069u);
inline constexpr HRESULT DV_E_CLIPFORMAT = MakeHResult(0x8004006Au);
inline constexpr HRESULT DV_E_DVASPECT = MakeHResult(0x8004006Bu);
inline constexpr HRESULT DATA_S_SAMEFORMATETC = MakeHResult(0x00040130u);

inline constexpr HRESULT DRAGDROP_S_DROP = MakeHResult(0x00040100u);
inline constexpr HRESULT DRAGDROP_S_CANCEL = MakeHResult(0x00040101u);
inline constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = MakeHResult(0x00040102u);
inline constexpr HRESULT DRAGDROP_E_NOTREGISTERED = MakeHResult(0x80040100u);
inline constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = MakeHResult(0x80040101u);
inline constexpr HRESULT CLIPBRD_E_CANT_OPEN = MakeHResult(0x800401D0u);

// A short text for a status code: known codes have their own wording, any other reads
// "OLE error 80004005"-style with the code in eight hex digits.
QString OleErrorMessage(HRESULT code);

// The error raised when a failing status code surfaces outside an OLE callback.
class EOleError : public Exception {
public:
  EOleError(QString message, HRESULT code) : Exception(std::move(message)), FErrorCode(code) {}
  HRESULT ErrorCode() const { return FErrorCode; }

private:
  HRESULT FErrorCode;
};

// Raises EOleError (message OleErrorMessage(code)) when code is a failure; success codes,
// S_FALSE included, pass. Returns the code.
HRESULT OleCheck(HRESULT code);

// ---- Interface identities and reference counting -------------------------------------------

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
  friend constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
      if (a.Data4[i] != b.Data4[i]) return false;
    return true;
  }
};
using IID = GUID;

// The interface identities of the standard OLE interfaces, the well-known values
// {0000xxxx-0000-0000-C000-000000000046}.
constexpr IID OleInterfaceId(uint32_t data1) { return IID{data1, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}; }

// The root of every interface. Implementations start with no reference; the first ComPtr (or
// AddRef) takes one, and the last Release destroys the object.
class IUnknown {
public:
  static constexpr IID Iid = OleInterfaceId(0x00000000);
  // Stores an added reference to the interface iid in *object and returns S_OK, or stores
  // nullptr and returns E_NOINTERFACE (E_POINTER when object is null).
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

protected:
  virtual ~IUnknown() = default;
};

// Holds one reference to an interface and releases it when it goes.
template <class T>
class ComPtr {
public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to p.
  ComPtr(T* p) : FPtr(p) {
    if (FPtr) FPtr->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.FPtr) {}
  ComPtr(ComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.Get())) {}
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  // Adopts p without adding a reference (p arrives with one reference that is now ours).
  void Attach(T* p) {
    Reset();
    FPtr = p;
  }
  // Gives up the reference without releasing it.
  T* Detach() { return std::exchange(FPtr, nullptr); }
  void Reset() {
    if (T* p = std::exchange(FPtr, nullptr)) p->Release();
  }
  void Swap(ComPtr& other) noexcept { std::swap(FPtr, other.FPtr); }
  // For out parameters that hand over a reference: releases the held one first.
  T** ReleaseAndGetAddressOf() {
    Reset();
    return &FPtr;
  }

  T* Get() const { return FPtr; }
  T* operator->() const { return FPtr; }
  T& operator*() const { return *FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }
  friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.FPtr == b.FPtr; }

private:
  T* FPtr = nullptr;
};

// The reference-counted base of our interface implementations. Intfs are the interfaces the
// object implements (each derived from IUnknown, each with a static Iid); QueryInterface
// answers for them and for IUnknown. The count starts at 0, as with every new object here.
template <class... Intfs>
class TInterfacedObject : public Intfs... {
  static_assert(sizeof...(Intfs) > 0, "an interfaced object implements at least one interface");

public:
  TInterfacedObject() = default;
  TInterfacedObject(const TInterfacedObject&) = delete;
  TInterfacedObject& operator=(const TInterfacedObject&) = delete;

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    using First = std::tuple_element_t<0, std::tuple<Intfs...>>;
    if (iid == IUnknown::Iid) {
      *object = static_cast<IUnknown*>(static_cast<First*>(this));
    } else {
      ((iid == Intfs::Iid && !*object ? (void)(*object = static_cast<Intfs*>(this)) : (void)0), ...);
    }
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  uint32_t AddRef() override { return ++FRefCount; }
  uint32_t Release() override {
    const uint32_t count = --FRefCount;
    if (count == 0) delete this;
    return count;
  }
  uint32_t RefCount() const { return FRefCount; }

private:
  std::atomic<uint32_t> FRefCount{0};
};

// Creates an implementation object and hands back the first reference to it.
template <class T, class... Args>
ComPtr<T> MakeComObject(Args&&... args) {
  return ComPtr<T>(new T(std::forward<Args>(args)...));
}

// ---- Global memory blocks ------------------------------------------------------------------

// A handle to a heap block that knows its size; the data stays at one address while it lives.
struct TGlobalMemoryBlock;
using HGLOBAL = TGlobalMemoryBlock*;

inline constexpr uint32_t GMEM_FIXED = 0x0000;
inline constexpr uint32_t GMEM_MOVEABLE = 0x0002;
inline constexpr uint32_t GMEM_ZEROINIT = 0x0040;
inline constexpr uint32_t GMEM_DDESHARE = 0x2000;
inline constexpr uint32_t GMEM_SHARE = GMEM_DDESHARE;
inline constexpr uint32_t GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// A new block of size bytes (zero-filled whatever the flags say), or nullptr when the memory
// cannot be had. A block of size 0 is valid and still locks to a non-null address.
HGLOBAL GlobalAlloc(uint32_t flags, size_t size);
// The block's address and one more lock, or nullptr for a handle that is null or not a live
// block.
void* GlobalLock(HGLOBAL handle);
// Drops one lock; true while locks remain, false when none is left (or the handle is invalid).
bool GlobalUnlock(HGLOBAL handle);
// The size the block was allocated with; 0 for a null or invalid handle.
size_t GlobalSize(HGLOBAL handle);
// Frees the block. Returns nullptr on success, the handle itself when it is not a live block.
HGLOBAL GlobalFree(HGLOBAL handle);
// A new block holding a copy of size bytes at data (nullptr when memory cannot be had).
HGLOBAL GlobalAllocCopy(const void* data, size_t size);

// ---- Data transfer structures --------------------------------------------------------------

inline constexpr uint16_t CF_TEXT = 1;
inline constexpr uint16_t CF_BITMAP = 2;
inline constexpr uint16_t CF_METAFILEPICT = 3;
inline constexpr uint16_t CF_SYLK = 4;
inline constexpr uint16_t CF_DIF = 5;
inline constexpr uint16_t CF_TIFF = 6;
inline constexpr uint16_t CF_OEMTEXT = 7;
inline constexpr uint16_t CF_DIB = 8;
inline constexpr uint16_t CF_PALETTE = 9;
inline constexpr uint16_t CF_PENDATA = 10;
inline constexpr uint16_t CF_RIFF = 11;
inline constexpr uint16_t CF_WAVE = 12;
inline constexpr uint16_t CF_UNICODETEXT = 13;
inline constexpr uint16_t CF_ENHMETAFILE = 14;
inline constexpr uint16_t CF_HDROP = 15;
inline constexpr uint16_t CF_LOCALE = 16;

// Registered format numbers run from here to 0xFFFF.
inline constexpr uint16_t FirstRegisteredClipboardFormat = 0xC000;

// The number of the named format: the same number for the same name (compared without regard
// to ASCII case), a new one from 0xC000 up for a new name. 0 for a null or empty name, a name
// longer than 255 characters, or when all numbers are taken.
uint32_t RegisterClipboardFormatA(const char* name);
// Copies the registered name of format (as first registered) into buffer, truncated to
// maxCount - 1 characters and NUL-terminated; returns the number of characters copied, or 0
// for a standard or unknown format (buffer then untouched).
int GetClipboardFormatNameA(uint32_t format, char* buffer, int maxCount);
// The registered name of format as a QString; empty for a standard or unknown format.
QString ClipboardFormatName(uint32_t format);

inline constexpr uint32_t TYMED_NULL = 0;
inline constexpr uint32_t TYMED_HGLOBAL = 1;
inline constexpr uint32_t TYMED_FILE = 2;
inline constexpr uint32_t TYMED_ISTREAM = 4;
inline constexpr uint32_t TYMED_ISTORAGE = 8;
inline constexpr uint32_t TYMED_GDI = 16;
inline constexpr uint32_t TYMED_MFPICT = 32;
inline constexpr uint32_t TYMED_ENHMF = 64;

inline constexpr uint32_t DVASPECT_CONTENT = 1;
inline constexpr uint32_t DVASPECT_THUMBNAIL = 2;
inline constexpr uint32_t DVASPECT_ICON = 4;
inline constexpr uint32_t DVASPECT_DOCPRINT = 8;

inline constexpr uint32_t DATADIR_GET = 1;
inline constexpr uint32_t DATADIR_SET = 2;

using DROPEFFECT = uint32_t;
inline constexpr DROPEFFECT DROPEFFECT_NONE = 0;
inline constexpr DROPEFFECT DROPEFFECT_COPY = 1;
inline constexpr DROPEFFECT DROPEFFECT_MOVE = 2;
inline constexpr DROPEFFECT DROPEFFECT_LINK = 4;
inline constexpr DROPEFFECT DROPEFFECT_SCROLL = 0x80000000u;

// Target devices are never rendered for; the type only exists to be pointed at.
struct DVTARGETDEVICE;

struct FORMATETC {
  uint16_t cfFormat = 0;
  DVTARGETDEVICE* ptd = nullptr;
  uint32_t dwAspect = DVASPECT_CONTENT;
  int32_t lindex = -1;
  uint32_t tymed = TYMED_HGLOBAL;
};

// A storage medium. Only global blocks are carried as data (tymed TYMED_HGLOBAL, or
// TYMED_MFPICT whose block describes a picture); pstm holds the interface of the stream and
// storage media. pUnkForRelease, when set, owns the data: releasing the medium then releases
// it instead of freeing the block.
struct STGMEDIUM {
  uint32_t tymed = TYMED_NULL;
  HGLOBAL hGlobal = nullptr;
  IUnknown* pstm = nullptr;
  IUnknown* pUnkForRelease = nullptr;
};

// Frees what the medium holds (see STGMEDIUM) and leaves it empty.
void ReleaseStgMedium(STGMEDIUM& medium);

// ---- Interfaces ----------------------------------------------------------------------------

class IEnumFORMATETC : public IUnknown {
public:
  static constexpr IID Iid = OleInterfaceId(0x00000103);
  // Copies up to count entries into entries, advancing; *fetched (when given) gets the number
  // copied. S_OK when count entries were copied, else S_FALSE.
  virtual HRESULT Next(uint32_t count, FORMATETC* entries, uint32_t* fetched) = 0;
  virtual HRESULT Skip(uint32_t count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(ComPtr<IEnumFORMATETC>& result) = 0;
};

// Change notifications are not supported by our data objects; the interfaces exist so that
// the advise methods have their usual shape.
class IAdviseSink : public IUnknown {
public:
  static constexpr IID Iid = OleInterfaceId(0x0000010F);
};
class IEnumSTATDATA : public IUnknown {
public:
  static constexpr IID Iid = OleInterfaceId(0x00000105);
};

class IDataObject : public IUnknown {
public:
  static constexpr IID Iid = OleInterfaceId(0x0000010E);
  // Renders format into a new medium that the caller releases with ReleaseStgMedium.
  virtual HRESULT GetData(const FORMATETC& format, STGMEDIUM& medium) = 0;
  // Renders into a medium the caller provides.
  virtual HRESULT GetDataHere(const FORMATETC& format, STGMEDIUM& medium) = 0;
  virtual HRESULT QueryGetData(const FORMATETC& format) = 0;
  virtual HRESULT GetCanonicalFormatEtc(const FORMATETC& in, FORMATETC& out) = 0;
  // Hands data to the object; with release the object takes the medium over and frees it.
  virtual HRESULT SetData(const FORMATETC& format, STGMEDIUM& medium, bool release) = 0;
  virtual HRESULT EnumFormatEtc(uint32_t direction, ComPtr<IEnumFORMATETC>& result) = 0;
  virtual HRESULT DAdvise(const FORMATETC& format, uint32_t advf, IAdviseSink* sink, uint32_t& connection) = 0;
  virtual HRESULT DUnadvise(uint32_t connection) = 0;
  virtual HRESULT EnumDAdvise(ComPtr<IEnumSTATDATA>& result) = 0;
};

// Key and button state of a drag, as the drag loop reports it.
inline constexpr uint32_t MK_LBUTTON = 0x0001;
inline constexpr uint32_t MK_RBUTTON = 0x0002;
inline constexpr uint32_t MK_SHIFT = 0x0004;
inline constexpr uint32_t MK_CONTROL = 0x0008;
inline constexpr uint32_t MK_MBUTTON = 0x0010;
inline constexpr uint32_t MK_ALT = 0x0020;

// A point in screen coordinates.
struct POINTL {
  int32_t x = 0;
  int32_t y = 0;
};

// The source side of a drag: asked on every turn of the drag loop whether to go on, and for
// the cursor of the effect a target chose.
class IDropSource : public IUnknown {
public:
  static constexpr IID Iid = OleInterfaceId(0x00000121);
  // S_OK to go on, DRAGDROP_S_DROP to drop, DRAGDROP_S_CANCEL to give up.
  virtual HRESULT QueryContinueDrag(bool escapePressed, uint32_t keyState) = 0;
  // DRAGDROP_S_USEDEFAULTCURSORS for the standard cursors.
  virtual HRESULT GiveFeedback(DROPEFFECT effect) = 0;
};

// The target side of a drag; effect carries the allowed effects in and the chosen one out.
class IDropTarget : public IUnknown {
public:
  static constexpr IID Iid = OleInterfaceId(0x00000122);
  virtual HRESULT DragEnter(IDataObject* dataObject, uint32_t keyState, POINTL point, DROPEFFECT& effect) = 0;
  virtual HRESULT DragOver(uint32_t keyState, POINTL point, DROPEFFECT& effect) = 0;
  virtual HRESULT DragLeave() = 0;
  virtual HRESULT Drop(IDataObject* dataObject, uint32_t keyState, POINTL point, DROPEFFECT& effect) = 0;
};

// ---- Initialisation ------------------------------------------------------------------------

// OLE needs no set-up here; the calls keep a count so that paired use works as on Windows:
// OleInitialize answers S_OK for the first call and S_FALSE while already initialised.
HRESULT OleInitialize(void* reserved);
void OleUninitialize();
// The number of OleInitialize calls not yet paired with OleUninitialize.
int OleInitializeCount();

}  // namespace vexa
