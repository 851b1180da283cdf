#pragma once
// Files dropped on a window by other programs (a file manager, a desktop): the target accepts
// a drag that carries local files as text/uri-list and reports their names through OnDrop.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

class QMimeData;

namespace vexa {

class TJvDragDrop : public QObject {
  Q_OBJECT
public:
  explicit TJvDragDrop(QObject* parent = nullptr) : QObject(parent) {}
  ~TJvDragDrop() override;

  // The window that accepts the drops (nullptr: none).
  QWidget* DropTarget() const { return FTarget; }
  void SetDropTarget(QWidget* target);
  bool AcceptDrag = true;

  // Names of the files of the last drop, in the order they were dragged.
  const QStringList& Files() const { return FFiles; }

  // Local file names carried by mime data ("file://" URLs of text/uri-list); empty when none.
  static QStringList LocalFiles(const QMimeData* data);

  // Pos is the drop point in the target's coordinates.
  std::function<void(QObject* Sender, const QPoint& Pos, const QStringList& Value)> OnDrop;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QPointer<QWidget> FTarget;
  bool FTargetAcceptedDrops = false;
  QStringList FFiles;
};

}  // namespace vexa
