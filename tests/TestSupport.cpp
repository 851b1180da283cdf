#include "TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

#include "platform/Forms.h"

namespace vexa::test {

namespace {
QStringList gShown;
}

void InstallExceptionRecorder() {
  Application->ExceptionDisplay = [](const QString& message) { gShown << message; };
}

QStringList TakeShownExceptions() {
  QStringList out = gShown;
  gShown.clear();
  return out;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QByteArray();
  return f.readAll();
}

QByteArray Pattern(int count) {
  QByteArray out(count, '\0');
  for (int i = 0; i < count; ++i) out[i] = static_cast<char>(i & 0xFF);
  return out;
}

}  // namespace vexa::test
