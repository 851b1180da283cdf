#include "TestSupport.h"

#include <QFile>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
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

int RunWithMemoryLimit(int64_t limitBytes, const std::function<int()>& body) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    const rlimit lim{static_cast<rlim_t>(limitBytes), static_cast<rlim_t>(limitBytes)};
    setrlimit(RLIMIT_AS, &lim);
    int code = 3;
    try {
      code = body();
    } catch (...) {
    }
    _exit(code);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

QByteArray Pattern(int count) {
  QByteArray out(count, '\0');
  for (int i = 0; i < count; ++i) out[i] = static_cast<char>(i & 0xFF);
  return out;
}

}  // namespace vexa::test
