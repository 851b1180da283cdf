// Status codes, reference counting, global memory blocks, storage media and the clipboard
// format registry of the OLE layer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "TestSupport.h"
#include "platform/Ole.h"

using namespace vexa;

TEST(OleStatus, CodesHaveTheirWindowsValuesAndSeverity) {
  struct Case {
    HRESULT code;
    uint32_t value;
  };
  const Case cases[] = {
      {S_OK, 0},
      {S_FALSE, 1},
      {E_NOTIMPL, 0x80004001},
      {E_NOINTERFACE, 0x80004002},
      {E_POINTER, 0x80004003},
      {E_FAIL, 0x80004005},
      {E_OUTOFMEMORY, 0x8007000E},
      {E_INVALIDARG, 0x80070057},
      {OLE_E_ADVISENOTSUPPORTED, 0x80040003},
      {DV_E_FORMATETC, 0x80040064},
      {DV_E_STGMEDIUM, 0x80040066},
      {DV_E_LINDEX, 0x80040068},
      {DV_E_TYMED, 0x80040069},
      {DV_E_DVASPECT, 0x8004006B},
      {DATA_S_SAMEFORMATETC, 0x00040130},
      {DRAGDROP_S_DROP, 0x00040100},
      {DRAGDROP_S_CANCEL, 0x00040101},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(static_cast<uint32_t>(c.code), c.value);
    EXPECT_EQ(FAILED(c.code), (c.value & 0x80000000u) != 0);
    EXPECT_EQ(SUCCEEDED(c.code), !FAILED(c.code));
  }
}

TEST(OleStatus, OleCheckRaisesForFailuresOnly) {
  EXPECT_EQ(OleCheck(S_OK), S_OK);
  EXPECT_EQ(OleCheck(S_FALSE), S_FALSE);
  EXPECT_EQ(OleCheck(DATA_S_SAMEFORMATETC), DATA_S_SAMEFORMATETC);

  try {
    OleCheck(DV_E_TYMED);
    ADD_FAILURE() << "no exception";
  } catch (const EOleError& e) {
    EXPECT_EQ(e.ErrorCode(), DV_E_TYMED);
    EXPECT_EQ(e.Message(), OleErrorMessage(DV_E_TYMED));
    EXPECT_FALSE(e.Message().isEmpty());
  }
  const HRESULT unknown = MakeHResult(0x8004ABCDu);
  EXPECT_EQ(test::MessageOf<EOleError>([&] { OleCheck(unknown); }), QStringLiteral("OLE error 8004ABCD"));
  EXPECT_EQ(OleErrorMessage(MakeHResult(0x80000001u)), QStringLiteral("OLE error 80000001"));
}

namespace {

class IFirst : public IUnknown {
public:
  static constexpr IID Iid = {0x11111111, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}};
  virtual int First() = 0;
};
class ISecond : public IUnknown {
public:
  static constexpr IID Iid = {0x22222222, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}};
  virtual int Second() = 0;
};

class TTwoFaced : public TInterfacedObject<IFirst, ISecond> {
public:
  explicit TTwoFaced(bool& destroyed) : FDestroyed(destroyed) {}
  ~TTwoFaced() override { FDestroyed = true; }
  int First() override { return 1; }
  int Second() override { return 2; }

private:
  bool& FDestroyed;
};

}  // namespace

TEST(OleReferences, ComPtrCountsReferencesAndTheLastReleaseDestroys) {
  bool destroyed = false;
  auto* raw = new TTwoFaced(destroyed);
  EXPECT_EQ(raw->RefCount(), 0u);
  {
    ComPtr<IFirst> a(raw);
    EXPECT_EQ(raw->RefCount(), 1u);
    ComPtr<IFirst> b = a;
    EXPECT_EQ(raw->RefCount(), 2u);
    ComPtr<IFirst> c = std::move(b);
    EXPECT_FALSE(b);
    EXPECT_EQ(raw->RefCount(), 2u);
    c = a;  // same object: no change
    EXPECT_EQ(raw->RefCount(), 2u);
    c.Reset();
    EXPECT_EQ(raw->RefCount(), 1u);

    IFirst* detached = a.Detach();
    EXPECT_EQ(raw->RefCount(), 1u);
    ComPtr<IFirst> adopted;
    adopted.Attach(detached);
    EXPECT_EQ(raw->RefCount(), 1u);
    EXPECT_FALSE(destroyed);
  }
  EXPECT_TRUE(destroyed);
}

TEST(OleReferences, QueryInterfaceAnswersForEachImplementedInterface) {
  bool destroyed = false;
  {
    ComPtr<TTwoFaced> object = MakeComObject<TTwoFaced>(destroyed);
    void* out = reinterpret_cast<void*>(1);

    ASSERT_EQ(object->QueryInterface(ISecond::Iid, &out), S_OK);
    ComPtr<ISecond> second;
    second.Attach(static_cast<ISecond*>(out));
    EXPECT_EQ(second->Second(), 2);
    EXPECT_EQ(object->RefCount(), 2u);

    ASSERT_EQ(object->QueryInterface(IFirst::Iid, &out), S_OK);
    ComPtr<IFirst> first;
    first.Attach(static_cast<IFirst*>(out));
    EXPECT_EQ(first->First(), 1);

    ASSERT_EQ(object->QueryInterface(IUnknown::Iid, &out), S_OK);
    ComPtr<IUnknown> unknown;
    unknown.Attach(static_cast<IUnknown*>(out));
    EXPECT_EQ(object->RefCount(), 4u);

    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(IDataObject::Iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object->QueryInterface(IFirst::Iid, nullptr), E_POINTER);
    EXPECT_EQ(object->RefCount(), 4u);
  }
  EXPECT_TRUE(destroyed);
}

TEST(OleGlobalMemory, BlocksAreZeroFilledSizedLockedAndFreedOnce) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 64);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 64u);
  auto* data = static_cast<uint8_t*>(GlobalLock(block));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::count(data, data + 64, 0), 64);
  EXPECT_EQ(GlobalLock(block), data);  // a second lock, same address
  EXPECT_TRUE(GlobalUnlock(block));    // one lock left
  EXPECT_FALSE(GlobalUnlock(block));   // none left
  EXPECT_FALSE(GlobalUnlock(block));   // unlocking an unlocked block

  EXPECT_EQ(GlobalFree(block), nullptr);
  // The handle is dead now: every use is refused instead of touching freed memory.
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GlobalSize(block), 0u);
  EXPECT_EQ(GlobalFree(block), block);

  EXPECT_EQ(GlobalLock(nullptr), nullptr);
  EXPECT_EQ(GlobalSize(nullptr), 0u);
  EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST(OleGlobalMemory, EmptyBlocksCopiesAndImpossibleSizes) {
  HGLOBAL empty = GlobalAlloc(GHND, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(GlobalSize(empty), 0u);
  EXPECT_NE(GlobalLock(empty), nullptr);
  GlobalUnlock(empty);
  GlobalFree(empty);

  HGLOBAL copy = GlobalAllocCopy("abc", 3);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(GlobalSize(copy), 3u);
  EXPECT_EQ(std::memcmp(GlobalLock(copy), "abc", 3), 0);
  GlobalUnlock(copy);
  GlobalFree(copy);

  EXPECT_EQ(GlobalAlloc(GHND, SIZE_MAX), nullptr);
  EXPECT_EQ(GlobalAlloc(GHND, SIZE_MAX / 2), nullptr);
}

namespace {

class TReleaseCounter : public TInterfacedObject<IAdviseSink> {
public:
  explicit TReleaseCounter(int& destroyed) : FDestroyed(destroyed) {}
  ~TReleaseCounter() override { ++FDestroyed; }

private:
  int& FDestroyed;
};

}  // namespace

TEST(OleStgMedium, ReleaseFreesTheBlockOrHandsItToItsOwner) {
  STGMEDIUM medium;
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = GlobalAlloc(GHND, 8);
  HGLOBAL block = medium.hGlobal;
  ReleaseStgMedium(medium);
  EXPECT_EQ(GlobalSize(block), 0u) << "the block is freed";
  EXPECT_EQ(medium.tymed, TYMED_NULL);
  EXPECT_EQ(medium.hGlobal, nullptr);

  // With an owner the owner is released and the block left to it.
  int destroyed = 0;
  auto* owner = new TReleaseCounter(destroyed);
  owner->AddRef();
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = GlobalAlloc(GHND, 8);
  medium.pUnkForRelease = owner;
  block = medium.hGlobal;
  ReleaseStgMedium(medium);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(GlobalSize(block), 8u);
  EXPECT_EQ(medium.pUnkForRelease, nullptr);
  GlobalFree(block);

  // A stream medium releases its interface.
  auto* stream = new TReleaseCounter(destroyed);
  stream->AddRef();
  medium.tymed = TYMED_ISTREAM;
  medium.pstm = stream;
  ReleaseStgMedium(medium);
  EXPECT_EQ(destroyed, 2);
  EXPECT_EQ(medium.pstm, nullptr);

  ReleaseStgMedium(medium);  // an empty medium: nothing to do
}

TEST(OleClipboardFormats, StandardNumbers) {
  EXPECT_EQ(CF_TEXT, 1);
  EXPECT_EQ(CF_BITMAP, 2);
  EXPECT_EQ(CF_METAFILEPICT, 3);
  EXPECT_EQ(CF_TIFF, 6);
  EXPECT_EQ(CF_OEMTEXT, 7);
  EXPECT_EQ(CF_DIB, 8);
  EXPECT_EQ(CF_PALETTE, 9);
  EXPECT_EQ(CF_RIFF, 11);
  EXPECT_EQ(CF_WAVE, 12);
  EXPECT_EQ(CF_UNICODETEXT, 13);
  EXPECT_EQ(CF_ENHMETAFILE, 14);
  EXPECT_EQ(CF_HDROP, 15);
  EXPECT_EQ(CF_LOCALE, 16);
}

TEST(OleClipboardFormats, RegistrationIsStableAndIgnoresCase) {
  const uint32_t a = RegisterClipboardFormatA("Vexa Test Format A");
  const uint32_t b = RegisterClipboardFormatA("Vexa Test Format B");
  EXPECT_GE(a, 0xC000u);
  EXPECT_LE(a, 0xFFFFu);
  EXPECT_GE(b, 0xC000u);
  EXPECT_NE(a, b);
  EXPECT_EQ(RegisterClipboardFormatA("Vexa Test Format A"), a);
  EXPECT_EQ(RegisterClipboardFormatA("VEXA test FORMAT a"), a);

  char name[64];
  EXPECT_EQ(GetClipboardFormatNameA(a, name, sizeof name), 18);
  EXPECT_STREQ(name, "Vexa Test Format A") << "the name as first registered";
  EXPECT_EQ(ClipboardFormatName(b), QStringLiteral("Vexa Test Format B"));

  char small[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetClipboardFormatNameA(a, small, sizeof small), 4);
  EXPECT_STREQ(small, "Vexa");

  // Standard and unknown formats have no registered name; the buffer is left alone.
  std::strcpy(name, "untouched");
  EXPECT_EQ(GetClipboardFormatNameA(CF_TEXT, name, sizeof name), 0);
  EXPECT_EQ(GetClipboardFormatNameA(0xFFFF, name, sizeof name), 0);
  EXPECT_EQ(GetClipboardFormatNameA(a, name, 0), 0);
  EXPECT_STREQ(name, "untouched");
  EXPECT_TRUE(ClipboardFormatName(CF_HDROP).isEmpty());
}

TEST(OleClipboardFormats, RefusedNames) {
  EXPECT_EQ(RegisterClipboardFormatA(nullptr), 0u);
  EXPECT_EQ(RegisterClipboardFormatA(""), 0u);
  EXPECT_EQ(RegisterClipboardFormatA(std::string(256, 'n').c_str()), 0u);
  EXPECT_GE(RegisterClipboardFormatA(std::string(255, 'n').c_str()), 0xC000u);
}

TEST(OleClipboardFormats, NumbersRunOutAt0xFFFF) {
  // In a child process, so that the filled registry does not outlive the test.
  const int result = test::RunWithMemoryLimit(int64_t(4) << 30, [] {
    uint32_t last = 0;
    for (int i = 0; i < 0x4000; ++i) {
      const uint32_t f = RegisterClipboardFormatA(("exhaust " + std::to_string(i)).c_str());
      if (f == 0) break;
      last = f;
    }
    if (last != 0xFFFF) return 1;
    if (RegisterClipboardFormatA("one too many") != 0) return 2;
    if (RegisterClipboardFormatA("exhaust 7") == 0) return 3;  // known names still answer
    return 0;
  });
  EXPECT_EQ(result, 0);
}

TEST(OleInitialisation, CountsPairedCalls) {
  const int before = OleInitializeCount();
  EXPECT_EQ(OleInitialize(nullptr), before == 0 ? S_OK : S_FALSE);
  EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
  EXPECT_EQ(OleInitializeCount(), before + 2);
  OleUninitialize();
  OleUninitialize();
  EXPECT_EQ(OleInitializeCount(), before);
  if (before == 0) {
    OleUninitialize();  // unpaired: ignored
    EXPECT_EQ(OleInitializeCount(), 0);
    EXPECT_EQ(OleInitialize(nullptr), S_OK);
    OleUninitialize();
  }
}
