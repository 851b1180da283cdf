#pragma once
// The hash manager component: it only holds the name of its hash algorithm.

#include <QObject>
#include <QString>

namespace vexa {

class THashManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Algorithm READ Algorithm WRITE SetAlgorithm)

public:
  explicit THashManager(QObject* parent = nullptr) : QObject(parent) {}
  QString Algorithm() const { return FAlgorithm; }
  void SetAlgorithm(const QString& name) { FAlgorithm = name; }

private:
  QString FAlgorithm;
};

}  // namespace vexa
