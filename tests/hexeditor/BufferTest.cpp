// Loading, saving, progress, the read-only probe, backups and the buffer's bounds.

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "EditorFixture.h"
#include "hexeditor/Messages.h"

using namespace vexa;
using namespace vexa::test;

class BufferTest : public EditorTest {};

TEST_F(BufferTest, ProgressIsReportedPerWholePercentAndOnceMoreBeforeTheLastChunk) {
  struct Case {
    int size;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {0, {}},
      {61440, {100}},
      {61441, {0, 100}},
      {3 * 61440, {0, 33, 100}},  // 67 is never reached: the last chunk reports 100
      {200'000, {0, 31, 61, 100}},
  };
  for (const Case& c : cases) {
    const QString file = Path(QString("p%1.bin").arg(c.size));
    WriteFile(file, Pattern(c.size));
    RecordProgress();
    Editor->LoadFromFile(file);
    EXPECT_EQ(Events, c.expected) << "size " << c.size;
    EXPECT_EQ(Editor->DataSize(), c.size);
    for (size_t i = 0; i < Kinds.size(); ++i) {
      EXPECT_EQ(Kinds[i], pkLoad);
      EXPECT_EQ(Names[i], file);
    }
  }
}

TEST_F(BufferTest, LargeCopyReportsAscendingPercentagesEndingIn100) {
  // 20,000,000 bytes: the chunk before the last already rounds to 100, and the last chunk
  // reports 100 once more.
  const QString file = Path("big.bin");
  WriteFile(file, Pattern(20'000'000));
  RecordProgress();
  Editor->LoadFromFile(file);
  ASSERT_EQ(Events.size(), 102u);
  EXPECT_EQ(Events.front(), 0);
  EXPECT_EQ(Events[Events.size() - 2], 100);
  EXPECT_EQ(Events.back(), 100);
  EXPECT_TRUE(std::is_sorted(Events.begin(), Events.end()));
  for (int p = 0; p <= 100; ++p) EXPECT_EQ(std::count(Events.begin(), Events.end(), p), p == 100 ? 2 : 1) << p;

  RecordProgress();
  Editor->SaveToFile(Path("copy.bin"), false);
  EXPECT_EQ(Events.back(), 100);
  EXPECT_EQ(Kinds.front(), pkSave);
  EXPECT_EQ(ReadFile(Path("copy.bin")), Pattern(20'000'000));
}

TEST_F(BufferTest, LoadedFileIsByteExactAndCaretStartsOnTheFirstDigit) {
  const QString file = Path("data.bin");
  const QByteArray bytes = Pattern(1000);
  WriteFile(file, bytes);
  Editor->LoadFromFile(file);
  EXPECT_EQ(Editor->FileName(), file);
  EXPECT_TRUE(Editor->HasFileName());
  EXPECT_FALSE(Editor->FileIsReadOnly());
  EXPECT_FALSE(Editor->Modified());
  EXPECT_EQ(Editor->Col(), 2);
  EXPECT_EQ(Editor->Row(), 2);
  QByteArray back(1000, '\0');
  Editor->ReadBuffer(back.data(), 0, 1000);
  EXPECT_EQ(back, bytes);
  EXPECT_EQ(Editor->ByteAt(999), uint8_t(999 & 0xFF));
}

TEST_F(BufferTest, CancelledLoadLeavesAnEmptyUnnamedDocument) {
  const QString file = Path("data.bin");
  WriteFile(file, Pattern(200'000));
  RecordProgress(/*cancelAt=*/1);
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->LoadFromFile(file); }), msgCancelled);
  EXPECT_EQ(Editor->DataSize(), 0);
  EXPECT_FALSE(Editor->HasFileName());
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->Save(); }), msgNoFileName);
}

TEST_F(BufferTest, CancelledSaveLeavesThePreviousFileAndNoTemporaryBehind) {
  const QString file = Path("data.bin");
  WriteFile(file, Pattern(200'000));
  Editor->LoadFromFile(file);
  Editor->SetByteAt(0, 0xEE);
  Editor->SetModified(true);
  RecordProgress(/*cancelAt=*/1);
  EXPECT_EQ(MessageOf<EKorHexEditor>([&] { Editor->Save(); }), msgCancelled);
  EXPECT_EQ(ReadFile(file), Pattern(200'000));
  EXPECT_EQ(FilesIn(), QStringList{"data.bin"});
  EXPECT_TRUE(Editor->Modified());
  EXPECT_EQ(Editor->FileName(), file);
}

TEST_F(BufferTest, MissingFileKeepsThePreviousDocumentButMarksItReadOnly) {
  const QString file = Path("data.bin");
  WriteFile(file, Pattern(10));
  Editor->LoadFromFile(file);
  ASSERT_FALSE(Editor->FileIsReadOnly());
  const QString missing = Path("missing.bin");
  EXPECT_EQ(MessageOf<EFOpenError>([&] { Editor->LoadFromFile(missing); }),
            "Cannot open " + missing + ".\r\n(No such file or directory.)");
  EXPECT_EQ(Editor->FileName(), file);
  EXPECT_EQ(Editor->DataSize(), 10);
  EXPECT_TRUE(Editor->FileIsReadOnly());
  EXPECT_EQ(MessageOf<EFOpenError>([&] { Editor->Save(); }), "Cannot save readonly file " + file + ".");
}

TEST_F(BufferTest, FileWithoutWritePermissionLoadsReadOnlyAndIsNeverOverwritten) {
  const QString file = Path("ro.bin");
  WriteFile(file, Pattern(10));
  ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
  Editor->LoadFromFile(file);
  EXPECT_TRUE(Editor->FileIsReadOnly());
  EXPECT_EQ(Editor->DataSize(), 10);
  Editor->SetModified(true);
  EXPECT_EQ(MessageOf<EFOpenError>([&] { Editor->Save(); }), "Cannot save readonly file " + file + ".");
  EXPECT_EQ(ReadFile(file), Pattern(10));
  EXPECT_EQ(FilesIn(), QStringList{"ro.bin"});
  // Another name is not the bound file: no read-only check.
  Editor->SaveToFile(Path("other.bin"), false);
  EXPECT_EQ(ReadFile(Path("other.bin")), Pattern(10));
}

TEST_F(BufferTest, FileLockedByAnotherOpenIsReadOnly) {
  const QString file = Path("locked.bin");
  WriteFile(file, Pattern(10));
  const int holder = FileOpen(file, fmOpenRead | fmShareExclusive);
  ASSERT_GE(holder, 0);
  Editor->LoadFromFile(file);
  FileClose(holder);
  EXPECT_TRUE(Editor->FileIsReadOnly());
  EXPECT_EQ(Editor->DataSize(), 10);
}

TEST_F(BufferTest, BackupIsThePreviousFileAndOnlyMadeForModifiedDocuments) {
  const QString file = Path("data.bin");
  const QString backup = file + ".bak";
  WriteFile(file, "first");
  Editor->LoadFromFile(file);

  // Unmodified: saved in place, no backup made.
  Editor->Save();
  EXPECT_FALSE(QFileInfo::exists(backup));

  // Modified: the previous file becomes the backup.
  Editor->SetByteAt(0, 'F');
  Editor->SetModified(true);
  Editor->Save();
  EXPECT_EQ(ReadFile(file), "First");
  EXPECT_EQ(ReadFile(backup), "first");
  EXPECT_FALSE(Editor->Modified());

  // Unmodified again: the older backup stays as it was.
  Editor->SetByteAt(1, 'I');  // written without recording: the document is not marked modified
  Editor->SetModified(false);
  Editor->Save();
  EXPECT_EQ(ReadFile(backup), "first");
  EXPECT_EQ(ReadFile(file), "FIrst");

  // Modified again: the backup is replaced by the file as it was just before.
  Editor->SetModified(true);
  Editor->SetByteAt(2, 'R');
  Editor->Save();
  EXPECT_EQ(ReadFile(backup), "FIrst");
  EXPECT_EQ(ReadFile(file), "FIRst");
  EXPECT_EQ(FilesIn(), (QStringList{"data.bin", "data.bin.bak"}));
}

TEST_F(BufferTest, BackupThatCannotBeMadeStopsTheSaveWithTheFileUntouched) {
  const QString file = Path("data.bin");
  WriteFile(file, "first");
  ASSERT_TRUE(QDir(Dir.path()).mkdir("data.bin.bak"));  // a file cannot be moved onto a folder
  Editor->LoadFromFile(file);
  Editor->SetByteAt(0, 'F');
  Editor->SetModified(true);
  const QString msg = MessageOf<EKorHexEditor>([&] { Editor->Save(); });
  EXPECT_EQ(msg, "Cannot create backup " + file + ".bak. (Is a directory)");
  EXPECT_EQ(ReadFile(file), "first");
  EXPECT_EQ(FilesIn(), QStringList{"data.bin"});
  EXPECT_TRUE(Editor->Modified());
}

TEST_F(BufferTest, SaveToFileUnderAnotherNameRebindsOnlyWhenAsked) {
  const QString file = Path("data.bin");
  WriteFile(file, Pattern(16));
  Editor->LoadFromFile(file);
  Editor->SetModified(true);
  Editor->SetByteChanged(3, true);

  Editor->SaveToFile(Path("copy.bin"), false);
  EXPECT_EQ(Editor->FileName(), file);
  EXPECT_TRUE(Editor->Modified());
  EXPECT_TRUE(Editor->IsByteChanged(3));
  EXPECT_FALSE(QFileInfo::exists(Path("copy.bin.bak")));

  Editor->SaveToFile(Path("moved.bin"), true);
  EXPECT_EQ(Editor->FileName(), Path("moved.bin"));
  EXPECT_FALSE(Editor->Modified());
  EXPECT_FALSE(Editor->IsByteChanged(3));
  EXPECT_FALSE(Editor->FileIsReadOnly());
  EXPECT_EQ(ReadFile(Path("moved.bin")), Pattern(16));
  EXPECT_EQ(ReadFile(file), Pattern(16));
}

TEST_F(BufferTest, SavedFileKeepsThePermissionsOfThePreviousOne) {
  const QString file = Path("script.sh");
  WriteFile(file, "#!/bin/sh\n");
  ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0750), 0);
  Editor->LoadFromFile(file);
  Editor->SetModified(true);
  Editor->Save();
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0750u);
}

TEST_F(BufferTest, PositionsOutsideTheDataAreRefused) {
  WriteFile(Path("d.bin"), Pattern(8));
  Editor->LoadFromFile(Path("d.bin"));
  TKorHMemoryStream& data = Editor->DataStorage();
  EXPECT_NO_THROW(data.CheckPosition(8));
  EXPECT_NO_THROW(data.CheckPosition(0));
  EXPECT_NO_THROW(data.AddressOf(8, 0));
  for (auto check : std::initializer_list<std::function<void()>>{
           [&] { data.CheckPosition(9); }, [&] { data.CheckPosition(-1); }, [&] { data.AddressOf(8, 1); },
           [&] { data.AddressOf(-1, 1); }, [&] { Editor->ByteAt(8); }, [&] { Editor->SetByteAt(-1, 0); },
           [&] { uint8_t b[4]; Editor->ReadBuffer(b, 6, 4); }}) {
    EXPECT_EQ(MessageOf<EKorHexEditor>(check), msgDataBounds);
  }
}

TEST_F(BufferTest, NotRegularOrTooLargeFilesAreRefusedWithoutBlocking) {
  const QString fifo = Path("pipe");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString big = Path("big.bin");
  {
    const int fd = ::open(QFile::encodeName(big).constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t(1) << 31), 0);  // sparse: takes no disk space
    ::close(fd);
  }
  struct Case {
    QString path;
    QString reason;
  };
  const Case cases[] = {
      {Dir.path(), "Is a directory"},
      {fifo, "Not a regular file"},
      {"/dev/null", "Not a regular file"},
      {big, "File too large"},
  };
  WriteFile(Path("keep.bin"), "keep");
  Editor->LoadFromFile(Path("keep.bin"));
  for (const Case& c : cases) {
    EXPECT_EQ(MessageOf<EFOpenError>([&] { Editor->LoadFromFile(c.path); }),
              "Cannot open " + c.path + ".\r\n(" + c.reason + ".)");
    EXPECT_EQ(Editor->DataSize(), 4);
    EXPECT_EQ(Editor->FileName(), Path("keep.bin"));
  }
}

TEST_F(BufferTest, FailedReadLeavesAnEmptyDocument) {
  // A stream that claims more bytes than it can deliver.
  class ShortStream : public TMemoryStream {
  public:
    int64_t Size() override { return 100'000; }
  } stream;
  stream.Write("abc", 3);
  WriteFile(Path("d.bin"), Pattern(8));
  Editor->LoadFromFile(Path("d.bin"));
  EXPECT_EQ(MessageOf<EReadError>([&] { Editor->LoadFromStream(stream); }), "Stream read error");
  EXPECT_EQ(Editor->DataSize(), 0);
  EXPECT_FALSE(Editor->HasFileName());
}

TEST_F(BufferTest, FailedAllocationLeavesAnEmptyDocument) {
  // A stream too large for the memory the child process may have: the buffer cannot be had.
  class HugeStream : public TMemoryStream {
  public:
    int64_t Size() override { return int64_t(1500) << 20; }
  } stream;
  WriteFile(Path("d.bin"), Pattern(8));
  Editor->LoadFromFile(Path("d.bin"));
  const int result = RunWithMemoryLimit(int64_t(1) << 30, [&] {
    try {
      Editor->LoadFromStream(stream);
      return 1;
    } catch (const EOutOfMemory&) {
      return Editor->DataSize() == 0 && !Editor->HasFileName() ? 0 : 2;
    }
  });
  EXPECT_EQ(result, 0);
}

TEST_F(BufferTest, NewDocumentIsEmptyUntitledAndReadOnly) {
  WriteFile(Path("d.bin"), Pattern(8));
  Editor->LoadFromFile(Path("d.bin"));
  Editor->NewDocument("");
  EXPECT_EQ(Editor->FileName(), "Untitled");
  EXPECT_EQ(Editor->DataSize(), 0);
  EXPECT_TRUE(Editor->FileIsReadOnly());
  EXPECT_FALSE(Editor->HasFileName());
  EXPECT_FALSE(Editor->Modified());
  Editor->NewDocument("scratch");
  EXPECT_EQ(Editor->FileName(), "scratch");
}

TEST(EditorLifecycle, FileNameMarksAControlThatWasNeverInitialised) {
  TKorHexEditorEx editor;
  EXPECT_EQ(editor.FileName(), "---");
  EXPECT_TRUE(editor.CreateBackup());
  EXPECT_EQ(editor.BackupExtension(), ".bak");
  editor.show();  // creating the window initialises it
  EXPECT_EQ(editor.FileName(), "Untitled");
  EXPECT_FALSE(editor.Version().isEmpty());
  editor.SetVersion("changed");
  EXPECT_NE(editor.Version(), "changed");
}
