#pragma once
// Exceptions, message formatting, system error texts and file helpers.

#include <QString>
#include <QByteArray>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <variant>

namespace vexa {

// Base of every error the program raises. Carries a display message.
class Exception : public std::exception {
public:
  explicit Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}
  const QString& Message() const { return FMessage; }
  const char* what() const noexcept override { return FUtf8.constData(); }

private:
  QString FMessage;
  QByteArray FUtf8;
};

class EStreamError : public Exception { using Exception::Exception; };
class EFOpenError : public EStreamError { using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };
class EOutOfMemory : public Exception { using Exception::Exception; };
class EConvertError : public Exception { using Exception::Exception; };

// One argument of Format: an integer (for %d, %u, %x) or a text (for %s).
using FormatArg = std::variant<long long, QString>;

// Fills %d, %u, %x, %X (upper-case hex digits), %s and %% placeholders in order, the way the
// message tables expect.
// Surplus placeholders are left as they stand; surplus arguments are ignored.
QString Format(const QString& fmt, std::initializer_list<FormatArg> args);

// Last system error of this thread (errno, or one of our codes below).
int GetLastError();
void SetLastError(int code);

// Our own error code for "this path is not a regular file" (directory, FIFO, device…).
constexpr int ERROR_NOT_REGULAR_FILE = 0x20000001;
// "The file is held open by another program" (an exclusive lock could not be had).
constexpr int ERROR_SHARING_VIOLATION = 0x20000002;

// The system's message text for an error code ("No such file or directory").
QString SysErrorMessage(int code);

// File helpers. Each returns false and sets the last error on failure.
bool FileExists(const QString& path);  // a regular file (or a link to one) exists
bool DeleteFile(const QString& path);
bool RenameFile(const QString& from, const QString& to);  // replaces `to` when it exists
QString ExtractFileName(const QString& path);
QString ExtractFilePath(const QString& path);  // with the trailing separator

}  // namespace vexa
