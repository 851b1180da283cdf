#pragma once
// Shared helpers of the test programs.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

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

}  // namespace vexa::test
