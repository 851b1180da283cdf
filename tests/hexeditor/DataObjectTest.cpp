// The registered formats, the layout of every block the control writes, the data object's
// rendering, checks and drop-effect feedback, and the format enumerator.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>

#include <sys/resource.h>

#include <memory>
#include <vector>

#include "TestSupport.h"
#include "hexeditor/DataObject.h"
#include "platform/Classes.h"

using namespace vexa;

namespace {

QByteArray Bytes(std::initializer_list<uint8_t> bytes) {
  QByteArray result;
  for (uint8_t b : bytes) result.append(char(b));
  return result;
}

uint32_t LE32(const QByteArray& block, int offset) {
  const auto* p = reinterpret_cast<const uint8_t*>(block.constData()) + offset;
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

FORMATETC Request(uint16_t format, int32_t lindex = -1, uint32_t tymed = TYMED_HGLOBAL,
                  uint32_t aspect = DVASPECT_CONTENT) {
  return FORMATETC{format, nullptr, aspect, lindex, tymed};
}

// A medium that holds a copy of bytes in a global block.
STGMEDIUM BlockMedium(const QByteArray& bytes) {
  STGMEDIUM medium;
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = GlobalAllocCopy(bytes.constData(), size_t(bytes.size()));
  return medium;
}

class DataObjectTest : public ::testing::Test {
protected:
  // A data object over the bytes of a document stream, taken from start on.
  ComPtr<TKorHDataObject> Make(const QByteArray& document, int64_t start, int32_t count, bool hexText = false,
                               bool swap = false, const QString& fileName = QStringLiteral("image.dat")) {
    Stream.Clear();
    Stream.Write(document.constData(), int32_t(document.size()));
    return MakeComObject<TKorHDataObject>(&Stream, start, count, fileName, hexText, swap);
  }
  ComPtr<TKorHDataObject> Make(const QByteArray& bytes, bool hexText = false, bool swap = false) {
    return Make(bytes, 0, int32_t(bytes.size()), hexText, swap);
  }

  // What GetData renders for format, read back and released; fails the test on an error.
  static QByteArray Render(IDataObject& object, uint16_t format, int32_t lindex = -1) {
    STGMEDIUM medium;
    const HRESULT hr = object.GetData(Request(format, lindex), medium);
    EXPECT_EQ(hr, S_OK);
    if (hr != S_OK) return {};
    EXPECT_EQ(medium.tymed, TYMED_HGLOBAL);
    EXPECT_EQ(medium.pUnkForRelease, nullptr);
    const auto* data = static_cast<const char*>(GlobalLock(medium.hGlobal));
    QByteArray block(data, qsizetype(GlobalSize(medium.hGlobal)));
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(medium);
    return block;
  }

  const TKorHClipFormatIds& Ids = KorHClipFormats();
  TMemoryStream Stream;
};

}  // namespace

TEST(KorHClipFormats, TheEightNamesAreRegisteredInOrderWithOleInitialised) {
  const TKorHClipFormatIds& ids = KorHClipFormats();
  const uint16_t numbers[] = {ids.Private,      ids.RegEditHexData,      ids.RichTextFormat,      ids.HtmlFormat,
                              ids.FileContents, ids.FileGroupDescriptor, ids.PerformedDropEffect, ids.LogicalPerformedDropEffect};
  const char* names[] = {"TKorHexeditorEx Clipboard Format", "RegEdit_HexData",     "Rich Text Format",
                         "HTML Format",                      "FileContents",        "FileGroupDescriptor",
                         "Performed DropEffect",             "Logical Performed DropEffect"};
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_STREQ(KorHClipFormatNames[size_t(i)], names[i]);
    EXPECT_EQ(numbers[i], RegisterClipboardFormatA(names[i])) << "registering again gives the same number";
    EXPECT_EQ(ClipboardFormatName(numbers[i]), QString::fromLatin1(names[i]));
    if (i > 0) {
      EXPECT_GT(numbers[i], numbers[i - 1]);
    }
  }
  EXPECT_GE(OleInitializeCount(), 1);
}

TEST_F(DataObjectTest, RendersThePrivateBlockTextAndFileContents) {
  auto object = Make(Bytes({0x41, 0x42, 0x00, 0x43}));
  EXPECT_EQ(Render(*object, Ids.Private), QByteArray("KORB\x01\x00\x01\x00\x04\x00\x00\x00" "AB\x00" "C", 16));
  EXPECT_EQ(Render(*object, CF_TEXT), QByteArray("AB\0", 3));
  EXPECT_EQ(Render(*object, Ids.FileContents), Bytes({0x41, 0x42, 0x00, 0x43}));
  EXPECT_EQ(Render(*object, Ids.FileContents, 5), Bytes({0x41, 0x42, 0x00, 0x43})) << "one file, any index";
  EXPECT_EQ(object->VirtualName(), QStringLiteral("Dump of image.bin"));
}

TEST_F(DataObjectTest, TextRenderings) {
  struct Case {
    QByteArray bytes;
    bool hexText;
    bool swap;
    QByteArray text;  // without the NUL
  };
  const Case cases[] = {
      {Bytes({0x1F}), true, false, "1F"},
      {Bytes({0x1F}), true, true, "F1"},
      {Bytes({0x00, 0xAB, 0xCD, 0xEF, 0x09}), true, false, "00ABCDEF09"},
      {Bytes({0xAB, 0x0C}), true, true, "BAC0"},
      {Bytes({0x41, 0x00, 0x42}), true, false, "410042"},
      {Bytes({0x41, 0x42, 0x00, 0x43}), false, false, "AB"},
      {Bytes({0x00, 0x41}), false, false, ""},
      {Bytes({0x80, 0x01, 0xFF}), false, true, "\x80\x01\xFF"},  // no translation, no masking
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.toHex().toStdString() + (c.hexText ? " hex" : " raw") + (c.swap ? " swapped" : ""));
    auto object = Make(c.bytes, c.hexText, c.swap);
    EXPECT_EQ(Render(*object, CF_TEXT), c.text + QByteArray(1, '\0'));
    EXPECT_EQ(object->BlockSize(CF_TEXT), size_t(c.text.size() + 1));
  }
}

TEST_F(DataObjectTest, FileGroupDescriptorLayout) {
  const uint64_t before = CurrentFileTime();
  auto object = Make(QByteArray(1000, 'x'), 10, 300, false, false, QStringLiteral("/data/dir.d/image.dat"));
  const QByteArray block = Render(*object, Ids.FileGroupDescriptor);
  const uint64_t after = CurrentFileTime();
  ASSERT_EQ(block.size(), 336);
  EXPECT_EQ(LE32(block, 0), 1u);
  EXPECT_EQ(LE32(block, 4), 0x60u);
  EXPECT_EQ(block.mid(8, 52), QByteArray(52, '\0')) << "clsid, sizel, pointl, attributes, creation and access time";
  const uint64_t written = uint64_t(LE32(block, 60)) | uint64_t(LE32(block, 64)) << 32;
  EXPECT_GE(written, before);
  EXPECT_LE(written, after);
  EXPECT_EQ(LE32(block, 68), 0u);
  EXPECT_EQ(LE32(block, 72), 300u);
  const QByteArray name = "Dump of image.bin";
  EXPECT_EQ(block.mid(76, name.size()), name);
  EXPECT_EQ(block.mid(76 + name.size()), QByteArray(260 - name.size(), '\0'));
}

TEST(VirtualFile, NameFromTheDocumentsFileName) {
  struct Case {
    QString fileName;
    QString name;
  };
  const Case cases[] = {
      {"/home/user/image.dat", "Dump of image.bin"},
      {"Untitled", "Dump of Untitled.bin"},
      {"archive.tar.gz", "Dump of archive.tar.bin"},
      {"/etc/.bashrc", "Dump of .bashrc.bin"},
      {"/a.dir/noext", "Dump of noext.bin"},
  };
  for (const Case& c : cases) EXPECT_EQ(VirtualFileName(c.fileName), c.name) << c.fileName.toStdString();

  const QString longName = VirtualFileName(QString(300, QLatin1Char('n')) + ".dat");
  EXPECT_EQ(longName.size(), 255);
  EXPECT_TRUE(longName.startsWith("Dump of nnn"));
}

TEST(VirtualFile, DescriptorNameIsAnsiAndEndsWithinItsField) {
  uint8_t block[FileGroupDescriptorSize];
  WriteFileGroupDescriptor(QString::fromUtf8("Dump of d\u00E9j\u00E0 \u20AC\u2713\U0001F600.bin"), 1, 0, block);
  const QByteArray name(reinterpret_cast<const char*>(block + 76));
  EXPECT_EQ(name, QByteArray("Dump of d\xE9j\xE0 \x80??.bin")) << "one '?' per character CP1252 lacks";

  WriteFileGroupDescriptor(QString(400, QLatin1Char('z')), 1, 0, block);
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(block + 76)).size(), 259);
  EXPECT_EQ(block[335], 0);
}

TEST_F(DataObjectTest, IsASnapshotOfItsRange) {
  const QByteArray document = "0123456789";
  Stream.Write(document.constData(), 10);
  Stream.SetPosition(7);
  ComPtr<IDataObject> object = MakeComObject<TKorHDataObject>(&Stream, 2, 5, QStringLiteral("f.bin"), false, false);
  EXPECT_EQ(Stream.Position(), 7) << "the document's position is kept";

  Stream.Memory()[3] = '!';
  Stream.Clear();
  EXPECT_EQ(Render(*object, Ids.FileContents), QByteArray("23456"));
  EXPECT_EQ(Render(*object, Ids.Private).mid(12), QByteArray("23456"));
}

TEST_F(DataObjectTest, NothingToCopyGivesAnEmptyObject) {
  struct Case {
    TStream* stream;
    int32_t count;
  };
  Stream.Write("abc", 3);
  for (const Case& c : {Case{nullptr, 3}, Case{&Stream, 0}, Case{&Stream, -5}}) {
    auto object = MakeComObject<TKorHDataObject>(c.stream, 0, c.count, QStringLiteral("a.dat"), true, false);
    EXPECT_EQ(object->Count(), 0);
    EXPECT_EQ(object->Bytes(), nullptr);
    EXPECT_TRUE(object->VirtualName().isEmpty());
    EXPECT_EQ(Render(*object, Ids.Private), QByteArray("KORB\x01\x00\x01\x00\x00\x00\x00\x00", 12));
    EXPECT_EQ(Render(*object, CF_TEXT), QByteArray(1, '\0'));
    EXPECT_EQ(Render(*object, Ids.FileContents), QByteArray());
  }
}

TEST_F(DataObjectTest, AShortReadMakesNoObject) {
  Stream.Write("abcdef", 6);
  Stream.SetPosition(1);
  EXPECT_THROW(TKorHDataObject(&Stream, 4, 5, QStringLiteral("a"), false, false), EReadError);
  EXPECT_EQ(Stream.Position(), 1);
}

TEST_F(DataObjectTest, QueryGetDataAcceptsOnlyOfferedFormatsAspectsMediaAndIndices) {
  auto object = Make(QByteArray("data"));
  struct Case {
    const char* what;
    FORMATETC format;
    HRESULT expected;
  };
  const Case cases[] = {
      {"unicode text", Request(CF_UNICODETEXT), DV_E_FORMATETC},
      {"registry hex data", Request(Ids.RegEditHexData), DV_E_FORMATETC},
      {"drop effect", Request(Ids.PerformedDropEffect), DV_E_FORMATETC},
      {"stream only", Request(CF_TEXT, -1, TYMED_ISTREAM), DV_E_TYMED},
      {"no medium", Request(CF_TEXT, -1, TYMED_NULL), DV_E_TYMED},
      {"stream or block", Request(CF_TEXT, -1, TYMED_ISTREAM | TYMED_HGLOBAL), S_OK},
      {"icon", Request(CF_TEXT, -1, TYMED_HGLOBAL, DVASPECT_ICON), DV_E_DVASPECT},
      {"icon in a stream", Request(CF_TEXT, -1, TYMED_ISTREAM, DVASPECT_ICON), DV_E_DVASPECT},
      {"stream with index 7", Request(CF_TEXT, 7, TYMED_ISTREAM), DV_E_TYMED},
      {"unoffered format, index 7", Request(CF_UNICODETEXT, 7), DV_E_LINDEX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(object->QueryGetData(c.format), c.expected);
    STGMEDIUM medium;
    medium.tymed = TYMED_ISTREAM;  // GetData clears it before anything else
    EXPECT_EQ(object->GetData(c.format, medium), c.expected);
    if (c.expected != S_OK) {
      EXPECT_EQ(medium.tymed, TYMED_NULL);
      EXPECT_EQ(medium.hGlobal, nullptr);
    }
    ReleaseStgMedium(medium);
  }

  const uint16_t offered[] = {Ids.Private, CF_TEXT, Ids.FileGroupDescriptor, Ids.FileContents};
  for (uint16_t f : offered) {
    SCOPED_TRACE(f);
    EXPECT_EQ(object->QueryGetData(Request(f, -1)), S_OK);
    EXPECT_EQ(object->QueryGetData(Request(f, 0)), S_OK);
    EXPECT_EQ(object->QueryGetData(Request(f, 7)), f == Ids.FileContents ? S_OK : DV_E_LINDEX);
  }
}

TEST_F(DataObjectTest, TheOtherDataObjectMethods) {
  auto object = Make(QByteArray("data"));
  STGMEDIUM medium;
  EXPECT_EQ(object->GetDataHere(Request(CF_TEXT), medium), DV_E_FORMATETC);

  FORMATETC in = Request(CF_TEXT, 0);
  in.ptd = reinterpret_cast<DVTARGETDEVICE*>(&in);
  FORMATETC out;
  EXPECT_EQ(object->GetCanonicalFormatEtc(in, out), DATA_S_SAMEFORMATETC);
  EXPECT_EQ(out.ptd, nullptr);
  EXPECT_EQ(out.cfFormat, CF_TEXT);
  EXPECT_EQ(out.lindex, 0);

  uint32_t connection = 0;
  EXPECT_EQ(object->DAdvise(Request(CF_TEXT), 0, nullptr, connection), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(object->DUnadvise(1), OLE_E_ADVISENOTSUPPORTED);
  ComPtr<IEnumSTATDATA> advises;
  EXPECT_EQ(object->EnumDAdvise(advises), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_FALSE(advises);

  ComPtr<IEnumFORMATETC> formats;
  EXPECT_EQ(object->EnumFormatEtc(DATADIR_SET, formats), E_NOTIMPL);
  EXPECT_FALSE(formats);
  EXPECT_EQ(object->EnumFormatEtc(DATADIR_GET, formats), S_OK);
  ASSERT_TRUE(formats);

  void* asDataObject = nullptr;
  ASSERT_EQ(object->QueryInterface(IDataObject::Iid, &asDataObject), S_OK);
  EXPECT_EQ(object->RefCount(), 2u);
  static_cast<IDataObject*>(asDataObject)->Release();
  EXPECT_EQ(object->RefCount(), 1u);
}

TEST_F(DataObjectTest, SetDataTakesThePerformedEffectUnderEitherName) {
  auto object = Make(QByteArray("data"));
  EXPECT_FALSE(object->PerformedEffectSet());

  STGMEDIUM medium = BlockMedium(Bytes({DROPEFFECT_MOVE, 0, 0, 0}));
  HGLOBAL block = medium.hGlobal;
  EXPECT_EQ(object->SetData(Request(Ids.PerformedDropEffect), medium, true), S_OK);
  EXPECT_TRUE(object->PerformedEffectSet());
  EXPECT_EQ(object->PerformedEffect(), DROPEFFECT_MOVE);
  EXPECT_EQ(GlobalSize(block), 0u) << "released";
  EXPECT_EQ(medium.hGlobal, nullptr);

  medium = BlockMedium(Bytes({DROPEFFECT_COPY, 0, 0, 0, 0xEE}));
  EXPECT_EQ(object->SetData(Request(Ids.LogicalPerformedDropEffect), medium, false), S_OK);
  EXPECT_EQ(object->PerformedEffect(), DROPEFFECT_COPY);
  EXPECT_EQ(GlobalSize(medium.hGlobal), 5u) << "not released: still the caller's";
  ReleaseStgMedium(medium);
}

TEST_F(DataObjectTest, SetDataRefusesOtherFormatsMediaAndShortBlocks) {
  auto object = Make(QByteArray("data"));
  struct Case {
    const char* what;
    uint16_t format;
    uint32_t tymed;
    QByteArray block;
    HRESULT expected;
  };
  const Case cases[] = {
      {"text", CF_TEXT, TYMED_HGLOBAL, Bytes({2, 0, 0, 0}), E_NOTIMPL},
      {"private format", Ids.Private, TYMED_HGLOBAL, Bytes({2, 0, 0, 0}), E_NOTIMPL},
      {"effect not in a block", Ids.PerformedDropEffect, TYMED_ISTREAM, Bytes({2, 0, 0, 0}), E_NOTIMPL},
      {"block too short", Ids.PerformedDropEffect, TYMED_HGLOBAL, Bytes({2, 0}), DV_E_STGMEDIUM},
      {"empty block", Ids.LogicalPerformedDropEffect, TYMED_HGLOBAL, QByteArray(), DV_E_STGMEDIUM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    STGMEDIUM medium = BlockMedium(c.block);
    HGLOBAL block = medium.hGlobal;
    medium.tymed = c.tymed;
    if (c.tymed != TYMED_HGLOBAL) medium.hGlobal = nullptr;  // that medium carries no block
    EXPECT_EQ(object->SetData(Request(c.format), medium, true), c.expected);
    EXPECT_EQ(medium.tymed, TYMED_NULL) << "released even when refused";
    if (c.tymed != TYMED_HGLOBAL) GlobalFree(block);
    EXPECT_FALSE(object->PerformedEffectSet());
  }
  STGMEDIUM invalid;
  invalid.tymed = TYMED_HGLOBAL;
  EXPECT_EQ(object->SetData(Request(Ids.PerformedDropEffect), invalid, false), DV_E_STGMEDIUM);
}

TEST_F(DataObjectTest, EnumeratorListsTheFourFormatsInOrder) {
  auto object = Make(QByteArray("data"));
  ComPtr<IEnumFORMATETC> formats;
  ASSERT_EQ(object->EnumFormatEtc(DATADIR_GET, formats), S_OK);

  FORMATETC entries[10];
  uint32_t fetched = 99;
  EXPECT_EQ(formats->Next(10, entries, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 4u);
  const uint16_t expected[] = {Ids.Private, CF_TEXT, Ids.FileGroupDescriptor, Ids.FileContents};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(entries[i].cfFormat, expected[i]);
    EXPECT_EQ(entries[i].ptd, nullptr);
    EXPECT_EQ(entries[i].dwAspect, DVASPECT_CONTENT);
    EXPECT_EQ(entries[i].lindex, -1);
    EXPECT_EQ(entries[i].tymed, TYMED_HGLOBAL);
    EXPECT_EQ(object->QueryGetData(entries[i]), S_OK) << "every listed entry is renderable";
  }
  EXPECT_EQ(formats->Next(1, entries, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);

  EXPECT_EQ(formats->Reset(), S_OK);
  EXPECT_EQ(formats->Next(1, entries, nullptr), S_OK);
  EXPECT_EQ(entries[0].cfFormat, Ids.Private);
  EXPECT_EQ(formats->Next(3, entries, &fetched), S_OK);
  EXPECT_EQ(fetched, 3u);
  EXPECT_EQ(formats->Next(0, nullptr, &fetched), S_OK);
}

TEST(KorHEnumFormatETC, SkipAndClone) {
  ComPtr<TKorHEnumFormatETC> formats = MakeComObject<TKorHEnumFormatETC>();
  EXPECT_EQ(formats->Skip(5), S_FALSE);
  EXPECT_EQ(formats->Cursor(), 0u) << "a refused skip leaves the cursor";
  EXPECT_EQ(formats->Skip(4), S_OK);
  FORMATETC entry;
  uint32_t fetched = 9;
  EXPECT_EQ(formats->Next(1, &entry, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(formats->Skip(0), S_OK);

  formats->Reset();
  EXPECT_EQ(formats->Skip(2), S_OK);
  ComPtr<IEnumFORMATETC> clone;
  ASSERT_EQ(formats->Clone(clone), S_OK);
  FORMATETC fromClone[4];
  EXPECT_EQ(clone->Next(4, fromClone, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(fromClone[0].cfFormat, KorHClipFormats().FileGroupDescriptor);
  EXPECT_EQ(fromClone[1].cfFormat, KorHClipFormats().FileContents);
  EXPECT_EQ(formats->Cursor(), 2u) << "the clone moves on its own";
  EXPECT_EQ(formats->Next(1, &entry, nullptr), S_OK);
  EXPECT_EQ(entry.cfFormat, KorHClipFormats().FileGroupDescriptor);
}

TEST(PrivateBlock, ReadsBackWhatItWrites) {
  const QByteArray bytes = Bytes({0x00, 0xFF, 0x4B, 0x00});
  std::vector<uint8_t> block(PrivateBlockSize(4));
  ASSERT_EQ(block.size(), 16u);
  WritePrivateBlock(reinterpret_cast<const uint8_t*>(bytes.constData()), 4, block.data());
  auto read = PrivateBlockBytes(block.data(), block.size());
  ASSERT_TRUE(read);
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(read->data()), qsizetype(read->size())), bytes);

  // A block that is longer than its count (as global blocks may be) carries the counted bytes.
  block.resize(40, 0xAA);
  read = PrivateBlockBytes(block.data(), block.size());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->size(), 4u);
}

TEST(PrivateBlock, MalformedBlocksAreRefused) {
  const QByteArray good("KORB\x01\x00\x01\x00\x03\x00\x00\x00xyz", 15);
  struct Case {
    const char* what;
    QByteArray block;
    bool accepted;
    int count;
  };
  const Case cases[] = {
      {"whole", good, true, 3},
      {"no bytes", QByteArray("KORB\x01\x00\x01\x00\x00\x00\x00\x00", 12), true, 0},
      {"empty", QByteArray(), false, 0},
      {"header cut short", good.left(11), false, 0},
      {"bytes cut short", good.left(14), false, 0},
      {"wrong magic", QByteArray("KORA") + good.mid(4), false, 0},
      {"wrong version", good.left(4) + QByteArray("\x02\x00\x01\x00", 4) + good.mid(8), false, 0},
      {"count beyond the block", good.left(8) + QByteArray("\xFF\xFF\xFF\x7F", 4) + good.mid(12), false, 0},
      {"negative count", good.left(8) + QByteArray("\xFE\xFF\xFF\xFF", 4) + good.mid(12), false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto read = PrivateBlockBytes(c.block.constData(), size_t(c.block.size()));
    ASSERT_EQ(read.has_value(), c.accepted);
    if (read) {
      EXPECT_EQ(read->size(), size_t(c.count));
    }
  }
  EXPECT_FALSE(PrivateBlockBytes(nullptr, 100));
}

namespace {

// The address space this process uses now, from /proc/self/status.
int64_t AddressSpaceInUse() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmSize:")) return line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
  return -1;
}

}  // namespace

TEST(DataObjectMemory, AFailedAllocationGivesOutOfMemoryAndAnEmptyMedium) {
  // Room for the document and its snapshot, but not, next to the snapshot, for the hex text
  // that needs twice its size.
  constexpr int64_t count = 64 << 20;
  const int result = test::RunWithMemoryLimit(int64_t(16) << 30, [] {
    const int64_t inUse = AddressSpaceInUse();
    if (inUse <= 0) return 5;
    const rlimit lim{rlim_t(inUse + count * 5 / 2), rlim_t(inUse + count * 5 / 2)};
    if (setrlimit(RLIMIT_AS, &lim) != 0) return 6;
    ComPtr<TKorHDataObject> object;
    {
      TMemoryStream stream;
      stream.SetSize(count);
      object = MakeComObject<TKorHDataObject>(&stream, 0, int32_t(count), QStringLiteral("big"), true, false);
    }
    STGMEDIUM medium;
    medium.tymed = TYMED_ISTREAM;
    if (object->GetData(Request(CF_TEXT), medium) != E_OUTOFMEMORY) return 1;
    if (medium.tymed != TYMED_NULL || medium.hGlobal != nullptr) return 2;
    // What the memory still allows is rendered.
    if (object->GetData(Request(KorHClipFormats().FileContents), medium) != S_OK) return 4;
    ReleaseStgMedium(medium);
    return 0;
  });
  EXPECT_EQ(result, 0);
}
