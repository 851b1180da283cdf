#pragma once
// The application object, the default exception display, private window messages and the
// screen cursor.

#include <QEvent>
#include <QObject>
#include <QString>
#include <cstdint>
#include <exception>
#include <functional>

namespace vexa {

class TApplication {
public:
  void Initialize() {}
  QString Title() const { return FTitle; }
  void SetTitle(const QString& title);
  // Runs the message loop until the last window closes.
  int Run();

  // The default exception display: a message box with the exception's message.
  void HandleException(const std::exception& e);
  void ShowException(const QString& message);

  // Replaces the display (tests record the messages instead of showing boxes).
  // An empty function restores the message box.
  std::function<void(const QString&)> ExceptionDisplay;

private:
  QString FTitle;
};

extern TApplication* Application;

// Runs fn and hands any exception to Application->HandleException, so that no exception
// ever crosses a Qt frame. Every entry point from Qt into our code goes through it.
template <class F>
void Guarded(F&& fn) noexcept {
  try {
    fn();
  } catch (const std::exception& e) {
    Application->HandleException(e);
  } catch (...) {
    Application->HandleException(std::runtime_error("Unknown error"));
  }
}

// A private window message: posted with PostMessage, received by the target's WndProc on
// the next turn of the message loop.
struct TMessage {
  uint32_t Msg = 0;
  uintptr_t WParam = 0;
  intptr_t LParam = 0;
  intptr_t Result = 0;
};

class TMessageEvent : public QEvent {
public:
  static QEvent::Type EventType();
  explicit TMessageEvent(const TMessage& m) : QEvent(EventType()), Message(m) {}
  TMessage Message;
};

// Posts msg to target; the target's event() hands it to its WndProc.
void PostMessage(QObject* target, uint32_t msg, uintptr_t wparam = 0, intptr_t lparam = 0);

// Cursor ids of the platform (negative for the stock cursors, as in the component library).
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crIBeam = -4;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHandPoint = -21;

Qt::CursorShape CursorShape(TCursor cursor);

// The screen cursor: anything but crDefault overrides every window's cursor.
class TScreen {
public:
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor cursor);

private:
  TCursor FCursor = crDefault;
};

extern TScreen* Screen;

}  // namespace vexa
