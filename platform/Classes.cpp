#include "platform/Classes.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SysUtils.h"

namespace vexa {

// ---- TStream -----------------------------------------------------------------------------

int64_t TStream::Size() {
  const int64_t pos = Seek(0, soCurrent);
  const int64_t end = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return end;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
  SetLastError(0);
  if (count != 0 && Write(buffer, count) != count) {
    const int err = GetLastError();
    QString msg = QStringLiteral("Stream write error");
    if (err != 0) msg += QStringLiteral(" (%1)").arg(SysErrorMessage(err));
    throw EWriteError(msg);
  }
}

// ---- TMemoryStream -----------------------------------------------------------------------

TMemoryStream::~TMemoryStream() { std::free(FMemory); }

void TMemoryStream::SetCapacity(int64_t newCapacity) {
  if (newCapacity == FCapacity) return;
  if (newCapacity == 0) {
    std::free(FMemory);
    FMemory = nullptr;
    FCapacity = 0;
    return;
  }
  // Large documents take transparent huge pages where the system offers them: touching a
  // fresh block then costs a fraction of the page faults and of the time. A first large
  // block is aligned to the huge page size, which the kernel needs to use them throughout;
  // a block that grows keeps its data in place through realloc.
  constexpr int64_t kHuge = 2 << 20;
  void* block;
  if (!FMemory && newCapacity >= 2 * kHuge) {
    newCapacity = (newCapacity + kHuge - 1) & ~(kHuge - 1);
    block = std::aligned_alloc(kHuge, static_cast<size_t>(newCapacity));
    if (block) ::madvise(block, static_cast<size_t>(newCapacity), MADV_HUGEPAGE);
  } else {
    block = std::realloc(FMemory, static_cast<size_t>(newCapacity));
    if (block && newCapacity >= 2 * kHuge) {
      const auto start = (reinterpret_cast<uintptr_t>(block) + kHuge - 1) & ~uintptr_t(kHuge - 1);
      const auto end = (reinterpret_cast<uintptr_t>(block) + newCapacity) & ~uintptr_t(kHuge - 1);
      if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
  }
  if (!block) throw EOutOfMemory(QStringLiteral("Out of memory"));
  FMemory = static_cast<uint8_t*>(block);
  FCapacity = newCapacity;
}

void TMemoryStream::SetSize(int64_t newSize) {
  if (newSize < 0) newSize = 0;
  if (newSize == 0) {
    SetCapacity(0);
  } else if (newSize > FCapacity) {
    // The first allocation is exact (a loaded file takes just its size); later growth keeps
    // some room so that typing in insert mode does not reallocate on every byte.
    int64_t cap = newSize;
    if (FCapacity > 0) cap = std::max(newSize, FCapacity + FCapacity / 8 + 4096);
    cap = (cap + 4095) & ~int64_t(4095);
    SetCapacity(cap);
  }
  FSize = newSize;
  if (FPosition > FSize) FPosition = FSize;
}

int32_t TMemoryStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || FPosition >= FSize) return 0;
  const int64_t n = std::min<int64_t>(count, FSize - FPosition);
  std::memcpy(buffer, FMemory + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return static_cast<int32_t>(n);
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  const int64_t end = FPosition + count;
  if (end > FSize) SetSize(end);
  std::memmove(FMemory + FPosition, buffer, static_cast<size_t>(count));
  FPosition = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case soBeginning: FPosition = offset; break;
    case soCurrent: FPosition += offset; break;
    case soEnd: FPosition = FSize + offset; break;
  }
  if (FPosition < 0) FPosition = 0;
  return FPosition;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const int64_t count = source.Size();
  SetSize(count);
  if (count > 0) source.ReadBuffer(FMemory, static_cast<int32_t>(count));
  FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& dest) {
  if (FSize > 0) dest.WriteBuffer(FMemory, static_cast<int32_t>(FSize));
}

// ---- files -------------------------------------------------------------------------------

namespace {

int ShareLock(uint16_t mode) {
  switch (mode & 0x00F0) {
    case fmShareExclusive: return LOCK_EX;
    case fmShareDenyWrite:
    case fmShareDenyRead: return LOCK_SH;
    default: return 0;  // deny none and compatibility mode take no lock
  }
}

}  // namespace

int FileOpen(const QString& path, uint16_t mode) {
  const QByteArray name = QFile::encodeName(path);
  const int access = mode & 0x0003;
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  flags |= access == fmOpenWrite ? O_WRONLY : access == fmOpenReadWrite ? O_RDWR : O_RDONLY;

  struct stat st {};
  if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
    // Directories, FIFOs, sockets and devices are not documents; FIFOs would block.
    SetLastError(S_ISDIR(st.st_mode) ? EISDIR : ERROR_NOT_REGULAR_FILE);
    return -1;
  }
  const int fd = ::open(name.constData(), flags);
  if (fd < 0) {
    SetLastError(errno);
    return -1;
  }
  auto fail = [fd](int code) {
    ::close(fd);
    SetLastError(code);
    return -1;
  };
  if (::fstat(fd, &st) != 0) return fail(errno);
  if (!S_ISREG(st.st_mode)) return fail(S_ISDIR(st.st_mode) ? EISDIR : ERROR_NOT_REGULAR_FILE);
  // A file without any write permission bit is read-only, even for the superuser.
  if (access != fmOpenRead && (st.st_mode & 0222) == 0) return fail(EACCES);
  const int fl = ::fcntl(fd, F_GETFL);
  if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
  if (const int lock = ShareLock(mode); lock != 0) {
    if (::flock(fd, lock | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? ERROR_SHARING_VIOLATION : errno);
  }
  return fd;
}

int FileCreate(const QString& path, int permissions) {
  const QByteArray name = QFile::encodeName(path);
  struct stat st {};
  if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
    SetLastError(S_ISDIR(st.st_mode) ? EISDIR : ERROR_NOT_REGULAR_FILE);
    return -1;
  }
  const int fd = ::open(name.constData(), O_CREAT | O_TRUNC | O_RDWR | O_CLOEXEC | O_NOCTTY, permissions);
  if (fd < 0) SetLastError(errno);
  return fd;
}

void FileClose(int fd) {
  if (fd >= 0) ::close(fd);
}

// ---- TFileStream -------------------------------------------------------------------------

TFileStream::TFileStream(const QString& fileName, uint16_t mode) : FFileName(fileName) {
  if ((mode & fmCreate) == fmCreate) {
    FHandle = FileCreate(fileName);
    if (FHandle < 0)
      throw EFCreateError(Format("Cannot create file \"%s\". %s", {fileName, SysErrorMessage(GetLastError())}));
  } else {
    FHandle = FileOpen(fileName, mode);
    if (FHandle < 0)
      throw EFOpenError(Format("Cannot open file \"%s\". %s", {fileName, SysErrorMessage(GetLastError())}));
  }
}

TFileStream::~TFileStream() { FileClose(FHandle); }

int32_t TFileStream::Read(void* buffer, int32_t count) {
  auto* p = static_cast<uint8_t*>(buffer);
  int32_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(FHandle, p + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetLastError(errno);
      break;
    }
    if (n == 0) break;
    done += static_cast<int32_t>(n);
  }
  return done;
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
  const auto* p = static_cast<const uint8_t*>(buffer);
  int32_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(FHandle, p + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      SetLastError(n < 0 ? errno : ENOSPC);
      break;
    }
    done += static_cast<int32_t>(n);
  }
  return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  const off_t r = ::lseek(FHandle, static_cast<off_t>(offset), whence);
  if (r < 0) SetLastError(errno);
  return r;
}

void TFileStream::SetSize(int64_t newSize) {
  if (::ftruncate(FHandle, static_cast<off_t>(newSize)) != 0) {
    const int err = errno;
    SetLastError(err);
    throw EWriteError(QStringLiteral("Stream write error (%1)").arg(SysErrorMessage(err)));
  }
  if (Position() > newSize) Seek(newSize, soBeginning);
}

void TFileStream::Flush() {
  if (::fsync(FHandle) != 0) {
    const int err = errno;
    SetLastError(err);
    throw EWriteError(QStringLiteral("Stream write error (%1)").arg(SysErrorMessage(err)));
  }
}

// ---- TBits -------------------------------------------------------------------------------

void TBits::SetSize(int32_t newSize) {
  if (newSize < 0) newSize = 0;
  FWords.resize((static_cast<size_t>(newSize) + 63) / 64, 0);
  // Bits beyond the new end must read as clear if the list grows again.
  if (newSize % 64 != 0 && !FWords.empty()) FWords.back() &= (uint64_t(1) << (newSize % 64)) - 1;
  FSize = newSize;
}

bool TBits::Bits(int32_t index) const {
  if (index < 0 || index >= FSize) return false;
  return (FWords[static_cast<size_t>(index) / 64] >> (index % 64)) & 1u;
}

void TBits::SetBits(int32_t index, bool value) {
  if (index < 0) return;
  if (index >= FSize) SetSize(index + 1);
  uint64_t& w = FWords[static_cast<size_t>(index) / 64];
  const uint64_t bit = uint64_t(1) << (index % 64);
  w = value ? (w | bit) : (w & ~bit);
}

int32_t TBits::OpenBit() const {
  for (size_t i = 0; i < FWords.size(); ++i) {
    if (FWords[i] != ~uint64_t(0)) {
      const int32_t idx = static_cast<int32_t>(i * 64) + __builtin_ctzll(~FWords[i]);
      return std::min(idx, FSize);
    }
  }
  return FSize;
}

}  // namespace vexa
