#include "platform/Forms.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QWidget>
#include <stdexcept>

#include "platform/SysUtils.h"

namespace vexa {

namespace {
TApplication gApplication;
TScreen gScreen;
}  // namespace

TApplication* Application = &gApplication;
TScreen* Screen = &gScreen;

void TApplication::SetTitle(const QString& title) {
  FTitle = title;
  if (QCoreApplication::instance()) QCoreApplication::setApplicationName(title);
}

int TApplication::Run() { return QApplication::exec(); }

void TApplication::HandleException(const std::exception& e) {
  if (const auto* ours = dynamic_cast<const Exception*>(&e)) {
    ShowException(ours->Message());
  } else {
    ShowException(QString::fromUtf8(e.what()));
  }
}

void TApplication::ShowException(const QString& message) {
  if (ExceptionDisplay) {
    ExceptionDisplay(message);
    return;
  }
  QWidget* parent = QApplication::activeWindow();
  QMessageBox box(QMessageBox::Critical, FTitle.isEmpty() ? QStringLiteral("Error") : FTitle, message,
                  QMessageBox::Ok, parent);
  box.exec();
}

QEvent::Type TMessageEvent::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void PostMessage(QObject* target, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
  TMessage m;
  m.Msg = msg;
  m.WParam = wparam;
  m.LParam = lparam;
  QCoreApplication::postEvent(target, new TMessageEvent(m));
}

Qt::CursorShape CursorShape(TCursor cursor) {
  switch (cursor) {
    case crIBeam: return Qt::IBeamCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crDrag: return Qt::DragCopyCursor;
    case crNoDrop: return Qt::ForbiddenCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
  }
}

void TScreen::SetCursor(TCursor cursor) {
  if (cursor == FCursor) return;
  const bool hadOverride = FCursor != crDefault;
  FCursor = cursor;
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  if (cursor == crDefault) {
    if (hadOverride) QGuiApplication::restoreOverrideCursor();
  } else if (hadOverride) {
    QGuiApplication::changeOverrideCursor(QCursor(CursorShape(cursor)));
  } else {
    QGuiApplication::setOverrideCursor(QCursor(CursorShape(cursor)));
  }
}

}  // namespace vexa
