#include "platform/SysUtils.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace vexa {

QString Format(const QString& fmt, std::initializer_list<FormatArg> args) {
  QString out;
  out.reserve(fmt.size() + 32);
  auto next = args.begin();
  for (qsizetype i = 0; i < fmt.size(); ++i) {
    const QChar c = fmt[i];
    if (c != QLatin1Char('%') || i + 1 >= fmt.size()) {
      out += c;
      continue;
    }
    const QChar conversion = fmt[i + 1];
    if (conversion == QLatin1Char('%')) {
      out += QLatin1Char('%');
      ++i;
      continue;
    }
    if (conversion != QLatin1Char('d') && conversion != QLatin1Char('u') && conversion != QLatin1Char('x') &&
        conversion != QLatin1Char('X') && conversion != QLatin1Char('s')) {
      out += c;
      continue;
    }
    ++i;
    if (next == args.end()) {
      out += QLatin1Char('%');
      out += conversion;
      continue;
    }
    const FormatArg& arg = *next++;
    if (const auto* text = std::get_if<QString>(&arg)) {
      out += *text;
      continue;
    }
    const long long n = std::get<long long>(arg);
    if (conversion == QLatin1Char('s') || conversion == QLatin1Char('d')) {
      out += QString::number(n);
    } else if (conversion == QLatin1Char('u')) {
      out += QString::number(static_cast<unsigned long long>(n));
    } else {
      // %x of a negative 32-bit value prints its two's complement, as the message tables expect.
      const unsigned long long u = (n < 0 && n >= INT32_MIN) ? static_cast<uint32_t>(n)
                                                             : static_cast<unsigned long long>(n);
      // Hexadecimal placeholders print upper-case digits, as the message tables expect.
      out += QString::number(u, 16).toUpper();
    }
  }
  return out;
}

namespace {
thread_local int tLastError = 0;
}

int GetLastError() { return tLastError; }
void SetLastError(int code) { tLastError = code; }

QString SysErrorMessage(int code) {
  if (code == ERROR_NOT_REGULAR_FILE) return QStringLiteral("Not a regular file");
  if (code == ERROR_SHARING_VIOLATION)
    return QStringLiteral("The file is in use by another program");
  char buf[256];
  // GNU strerror_r returns the message pointer (which may not be buf).
  const char* msg = strerror_r(code, buf, sizeof buf);
  return QString::fromLocal8Bit(msg);
}

bool FileExists(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
    SetLastError(errno);
    return false;
  }
  return S_ISREG(st.st_mode);
}

bool DeleteFile(const QString& path) {
  if (::unlink(QFile::encodeName(path).constData()) != 0) {
    SetLastError(errno);
    return false;
  }
  return true;
}

bool RenameFile(const QString& from, const QString& to) {
  if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
    SetLastError(errno);
    return false;
  }
  return true;
}

QString ExtractFileName(const QString& path) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  return slash < 0 ? path : path.mid(slash + 1);
}

QString ExtractFilePath(const QString& path) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  return slash < 0 ? QString() : path.left(slash + 1);
}

}  // namespace vexa
