#pragma once
// The stored layout: published properties (Q_PROPERTY) of a component written to and read
// from JSON by name through the Qt meta-object system.
//
// A property whose value is a QObject* (colours, print options, fonts…) is stored as a
// nested JSON object and read into the existing sub-object. Components that store extra
// values of their own, or need to act once reading is done, implement IStoredComponent.

#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QString>
#include <functional>

namespace vexa {

// Handed to DefineProperties: declares an extra stored value besides the published properties.
class TFiler {
public:
  virtual ~TFiler() = default;
  // read is called with the stored value when the layout being read holds `name`;
  // write gives the value to store, and is called only when hasData is true.
  virtual void DefineProperty(const QString& name, const std::function<void(const QJsonValue&)>& read,
                              const std::function<QJsonValue()>& write, bool hasData) = 0;
  virtual bool IsReading() const = 0;
};

class IStoredComponent {
public:
  virtual ~IStoredComponent() = default;
  // Extra stored values besides the published properties.
  virtual void DefineProperties(TFiler& filer) { (void)filer; }
  // Called once after every stored value has been read.
  virtual void Loaded() {}
  // True while the stored layout is being read into the component.
  bool IsLoading() const { return FLoading; }
  void SetLoading(bool loading) { FLoading = loading; }

private:
  bool FLoading = false;
};

// Reads json into obj: every key is a published property of obj (or a nested object of one,
// or a value declared by DefineProperties). Sets the loading flag for the duration and calls
// Loaded() at the end. An unknown key or a value of the wrong type raises Exception.
void ReadStoredLayout(QObject* obj, const QJsonObject& json);

// Writes every stored published property of obj (and the DefineProperties values).
QJsonObject WriteStoredLayout(const QObject* obj);

}  // namespace vexa
