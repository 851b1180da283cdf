#pragma once
// Streams and bit lists.

#include <QString>
#include <cstdint>
#include <vector>

namespace vexa {

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// A byte stream with a position. Sizes and positions are 64-bit so that a stream can report
// a size its readers may have to refuse.
class TStream {
public:
  virtual ~TStream() = default;
  // Read/Write move at most count bytes and return how many moved.
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t newSize) = 0;

  // Move exactly count bytes or raise EReadError "Stream read error" / EWriteError
  // "Stream write error".
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);
};

// One contiguous, growable block of memory.
class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  ~TMemoryStream() override;
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return FSize; }
  // Grows or shrinks the block; raises EOutOfMemory when it cannot be had (the stream is then
  // unchanged). Size 0 frees the block.
  void SetSize(int64_t newSize) override;
  void Clear() { SetSize(0); }

  uint8_t* Memory() { return FMemory; }
  const uint8_t* Memory() const { return FMemory; }
  int64_t Capacity() const { return FCapacity; }

  void LoadFromStream(TStream& source);
  void SaveToStream(TStream& dest);

private:
  void SetCapacity(int64_t newCapacity);

  uint8_t* FMemory = nullptr;
  int64_t FSize = 0;
  int64_t FCapacity = 0;
  int64_t FPosition = 0;
};

// File open and share modes, as the file stream takes them.
constexpr uint16_t fmCreate = 0xFF00;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

// Opens path as a POSIX file descriptor with the given open and share mode. Refuses what is
// not a regular file without blocking (FIFOs are opened non-blocking), refuses writing to a
// file that has no write permission bit (also for root), and maps share modes to flock():
// exclusive -> LOCK_EX, deny write/read -> LOCK_SH, deny none -> no lock; a lock held by
// another open fails at once. Returns -1 and sets the last error on failure.
int FileOpen(const QString& path, uint16_t mode);
// Creates or truncates path for writing; -1 and the last error on failure.
int FileCreate(const QString& path, int permissions = 0666);
void FileClose(int fd);

// A stream on a file. Raises EFOpenError "Cannot open file \"%s\". %s" or EFCreateError
// "Cannot create file \"%s\". %s" when the file cannot be had.
class TFileStream : public TStream {
public:
  TFileStream(const QString& fileName, uint16_t mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t newSize) override;
  // Flushes the data to the disk; raises EWriteError when the system reports a failure.
  void Flush();

  const QString& FileName() const { return FFileName; }
  int Handle() const { return FHandle; }

private:
  QString FFileName;
  int FHandle = -1;
};

// A growable list of bits. Reading past the end gives false; writing past the end grows it.
class TBits {
public:
  int32_t Size() const { return FSize; }
  void SetSize(int32_t newSize);
  bool Bits(int32_t index) const;
  void SetBits(int32_t index, bool value);
  // Index of the first clear bit (Size() when all are set).
  int32_t OpenBit() const;

private:
  std::vector<uint64_t> FWords;
  int32_t FSize = 0;
};

}  // namespace vexa
