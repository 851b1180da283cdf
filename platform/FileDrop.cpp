#include "platform/FileDrop.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "platform/Forms.h"

namespace vexa {

TJvDragDrop::~TJvDragDrop() { SetDropTarget(nullptr); }

void TJvDragDrop::SetDropTarget(QWidget* target) {
  if (target == FTarget) return;
  if (FTarget) {
    FTarget->removeEventFilter(this);
    FTarget->setAcceptDrops(FTargetAcceptedDrops);
  }
  FTarget = target;
  if (FTarget) {
    FTargetAcceptedDrops = FTarget->acceptDrops();
    FTarget->setAcceptDrops(true);
    FTarget->installEventFilter(this);
  }
}

QStringList TJvDragDrop::LocalFiles(const QMimeData* data) {
  QStringList out;
  if (!data || !data->hasUrls()) return out;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) out << url.toLocalFile();
  }
  return out;
}

bool TJvDragDrop::eventFilter(QObject* watched, QEvent* event) {
  if (watched != FTarget) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* e = static_cast<QDropEvent*>(event);
      if (AcceptDrag && !LocalFiles(e->mimeData()).isEmpty()) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
      } else {
        e->ignore();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* e = static_cast<QDropEvent*>(event);
      const QStringList files = LocalFiles(e->mimeData());
      if (!AcceptDrag || files.isEmpty()) {
        e->ignore();
        return true;
      }
      e->setDropAction(Qt::CopyAction);
      e->accept();
      FFiles = files;
      Guarded([&] {
        if (OnDrop) OnDrop(this, e->position().toPoint(), files);
      });
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace vexa
