#pragma once
// Shared helpers of the test programs.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <exception>
#include <functional>
#include <typeinfo>

#include "platform/SysUtils.h"

namespace vexa::test {

// Replaces the default exception display with a recorder (see ShownExceptions).
void InstallExceptionRecorder();
// Messages that reached the default exception display since the last TakeShownExceptions.
QStringList TakeShownExceptions();

// Writes bytes to path (creating or truncating it); fails the test on error.
void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);
// Bytes 0, 1, 2, ... (mod 256), count of them.
QByteArray Pattern(int count);

// Runs body in a child process whose address space is limited to limitBytes, so that an
// allocation can be made to fail without touching this process's memory. Returns body's
// result (3 when it raised), or -1 when the child did not end normally.
int RunWithMemoryLimit(int64_t limitBytes, const std::function<int()>& body);

// The message of the exception of class E that fn raises; "no exception" when it raises
// none, and a note naming the class when it raises another one.
template <class E = vexa::Exception, class F>
QString MessageOf(F&& fn) {
  try {
    fn();
  } catch (const E& e) {
    if constexpr (std::is_base_of_v<vexa::Exception, E>) return e.Message();
    return QString::fromUtf8(e.what());
  } catch (const std::exception& e) {
    return QStringLiteral("other exception (%1): %2").arg(typeid(e).name(), QString::fromUtf8(e.what()));
  }
  return QStringLiteral("no exception");
}

}  // namespace vexa::test
