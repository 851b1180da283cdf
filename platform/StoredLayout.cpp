#include "platform/StoredLayout.h"

#include <QJsonArray>
#include <QMetaEnum>
#include <QMetaObject>
#include <QMetaProperty>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "platform/SysUtils.h"

// Reading goes in two steps: every key of the JSON object is first resolved and its value
// converted (so an unknown key or a wrongly typed value is refused before anything is
// assigned), then the values are assigned in the order the class declares its properties,
// the way a component writes them. Values declared through DefineProperties come last.
//
// Writing stores the properties declared by our own classes; the properties that Qt's own
// base classes (QObject, QWidget…) declare are accepted when read but never written.

namespace vexa {

namespace {

QString Path(const QString& prefix, const QString& name) {
  return prefix.isEmpty() ? name : prefix + QLatin1Char('.') + name;
}

[[noreturn]] void Invalid(const QString& path, const QString& expected) {
  throw Exception(Format("Invalid value for property %s: %s expected", {path, expected}));
}

// Collects what DefineProperties declares, for reading.
class TReaderFiler : public TFiler {
public:
  void DefineProperty(const QString& name, const std::function<void(const QJsonValue&)>& read,
                      const std::function<QJsonValue()>& /*write*/, bool /*hasData*/) override {
    if (read) Readers[name] = read;
  }
  bool IsReading() const override { return true; }
  std::map<QString, std::function<void(const QJsonValue&)>> Readers;
};

// Stores what DefineProperties declares, for writing.
class TWriterFiler : public TFiler {
public:
  explicit TWriterFiler(QJsonObject& out) : Out(out) {}
  void DefineProperty(const QString& name, const std::function<void(const QJsonValue&)>& /*read*/,
                      const std::function<QJsonValue()>& write, bool hasData) override {
    if (hasData && write) Out.insert(name, write());
  }
  bool IsReading() const override { return false; }
  QJsonObject& Out;
};

bool IsQtClass(const QMetaObject* mo) {
  const char* name = mo->className();
  return name[0] == 'Q' && name[1] >= 'A' && name[1] <= 'Z';
}

// The class that declares property `index` of mo.
const QMetaObject* DeclaringClass(const QMetaObject* mo, int index) {
  while (mo && index < mo->propertyOffset()) mo = mo->superClass();
  return mo;
}

bool IsObjectProperty(const QMetaProperty& p) {
  return p.metaType().flags().testFlag(QMetaType::PointerToQObject);
}

long long ToInteger(const QJsonValue& v, const QString& path, long long lo, long long hi) {
  if (!v.isDouble()) Invalid(path, QStringLiteral("an integer"));
  const double d = v.toDouble();
  if (std::floor(d) != d || d < static_cast<double>(lo) || d > static_cast<double>(hi))
    Invalid(path, Format("an integer from %s to %s", {QString::number(lo), QString::number(hi)}));
  return static_cast<long long>(d);
}

int EnumValue(const QMetaEnum& e, const QJsonValue& v, const QString& path) {
  if (v.isString()) {
    bool ok = false;
    const QByteArray key = v.toString().toUtf8();
    const int value = e.isFlag() ? e.keysToValue(key.constData(), &ok) : e.keyToValue(key.constData(), &ok);
    if (!ok) throw Exception(Format("Invalid value %s for property %s", {v.toString(), path}));
    return value;
  }
  if (e.isFlag() && v.isArray()) {
    int value = 0;
    for (const QJsonValue& item : v.toArray()) {
      if (!item.isString()) Invalid(path, QStringLiteral("a list of names"));
      bool ok = false;
      const int bit = e.keyToValue(item.toString().toUtf8().constData(), &ok);
      if (!ok) throw Exception(Format("Invalid value %s for property %s", {item.toString(), path}));
      value |= bit;
    }
    return value;
  }
  if (v.isDouble()) {
    const long long n = ToInteger(v, path, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    const int value = static_cast<int>(n);
    bool known = e.valueToKey(value) != nullptr;
    if (e.isFlag()) {
      int all = 0;
      for (int i = 0; i < e.keyCount(); ++i) all |= e.value(i);
      known = (value & ~all) == 0;
    }
    if (!known) throw Exception(Format("Invalid value %d for property %s", {n, path}));
    return value;
  }
  Invalid(path, e.isFlag() ? QStringLiteral("a list of names") : QStringLiteral("a name or a number"));
}

// Converts a stored value to a QVariant of the property's type, or raises.
QVariant ToVariant(const QMetaProperty& p, const QJsonValue& v, const QString& path) {
  if (p.isEnumType()) {
    QVariant out(EnumValue(p.enumerator(), v, path));
    if (!out.convert(p.metaType())) Invalid(path, QStringLiteral("a name or a number"));
    return out;
  }
  const QMetaType type = p.metaType();
  switch (type.id()) {
    case QMetaType::Bool:
      if (!v.isBool()) Invalid(path, QStringLiteral("true or false"));
      return QVariant(v.toBool());
    case QMetaType::Int:
      return QVariant(static_cast<int>(ToInteger(v, path, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));
    case QMetaType::UInt:
      return QVariant(static_cast<uint>(ToInteger(v, path, 0, std::numeric_limits<uint>::max())));
    case QMetaType::Short:
      return QVariant::fromValue(static_cast<short>(ToInteger(v, path, std::numeric_limits<short>::min(), std::numeric_limits<short>::max())));
    case QMetaType::UShort:
      return QVariant::fromValue(static_cast<ushort>(ToInteger(v, path, 0, std::numeric_limits<ushort>::max())));
    case QMetaType::UChar:
      return QVariant::fromValue(static_cast<uchar>(ToInteger(v, path, 0, 255)));
    case QMetaType::Char:
    case QMetaType::SChar:
      return QVariant::fromValue(static_cast<signed char>(ToInteger(v, path, -128, 127)));
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
      // Integers beyond 2^53 do not survive a JSON number; keep to what does.
      const long long lim = 9007199254740992LL;
      QVariant out(static_cast<qlonglong>(ToInteger(v, path, type.id() == QMetaType::ULong || type.id() == QMetaType::ULongLong ? 0 : -lim, lim)));
      out.convert(type);
      return out;
    }
    case QMetaType::Double:
    case QMetaType::Float:
      if (!v.isDouble()) Invalid(path, QStringLiteral("a number"));
      return type.id() == QMetaType::Float ? QVariant(static_cast<float>(v.toDouble())) : QVariant(v.toDouble());
    case QMetaType::QString:
      if (!v.isString()) Invalid(path, QStringLiteral("a string"));
      return QVariant(v.toString());
    case QMetaType::QChar:
      if (!v.isString() || v.toString().size() != 1) Invalid(path, QStringLiteral("a single character"));
      return QVariant(v.toString().at(0));
    case QMetaType::QStringList: {
      if (!v.isArray()) Invalid(path, QStringLiteral("a list of strings"));
      QStringList list;
      for (const QJsonValue& item : v.toArray()) {
        if (!item.isString()) Invalid(path, QStringLiteral("a list of strings"));
        list << item.toString();
      }
      return QVariant(list);
    }
    default: {
      QVariant out = v.toVariant();
      if (v.isNull() || v.isUndefined() || !out.convert(type)) Invalid(path, QString::fromLatin1(type.name()));
      return out;
    }
  }
}

QJsonValue ToJson(const QMetaProperty& p, const QVariant& value, const QString& path) {
  if (p.isEnumType()) {
    const QMetaEnum e = p.enumerator();
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok) throw Exception(Format("Property %s cannot be stored", {path}));
    if (e.isFlag()) {
      QJsonArray names;
      for (int i = 0; i < e.keyCount(); ++i) {
        const int bit = e.value(i);
        if (bit != 0 && (n & bit) == bit) names.append(QString::fromLatin1(e.key(i)));
      }
      return names;
    }
    if (const char* key = e.valueToKey(n)) return QString::fromLatin1(key);
    return n;
  }
  switch (value.metaType().id()) {
    case QMetaType::QChar:
      return QString(value.toChar());
    case QMetaType::QStringList:
      return QJsonArray::fromStringList(value.toStringList());
    default:
      break;
  }
  const QJsonValue out = QJsonValue::fromVariant(value);
  if (out.isNull() && !value.isNull()) throw Exception(Format("Property %s cannot be stored", {path}));
  return out;
}

void ReadInto(QObject* obj, const QJsonObject& json, const QString& prefix);

// Sets the loading flag while a component is being read; clears it again on any exit.
class TLoadingScope {
public:
  explicit TLoadingScope(IStoredComponent* c) : FComponent(c) {
    if (FComponent) FComponent->SetLoading(true);
  }
  ~TLoadingScope() {
    if (FComponent) FComponent->SetLoading(false);
  }
  TLoadingScope(const TLoadingScope&) = delete;
  TLoadingScope& operator=(const TLoadingScope&) = delete;

private:
  IStoredComponent* FComponent;
};

struct TPending {
  int Index = -1;  // property index, or -1 for a defined value
  QVariant Value;  // converted value of a plain property
  QJsonObject Nested;  // value of a sub-object property
  QString Key;
};

void ReadInto(QObject* obj, const QJsonObject& json, const QString& prefix) {
  if (!obj) throw Exception(Format("Cannot read stored layout %s into a missing object", {prefix}));
  IStoredComponent* component = dynamic_cast<IStoredComponent*>(obj);
  TLoadingScope loading(component);

  TReaderFiler filer;
  if (component) component->DefineProperties(filer);

  const QMetaObject* mo = obj->metaObject();
  std::vector<TPending> props;
  std::vector<TPending> defined;
  for (auto it = json.begin(); it != json.end(); ++it) {
    const QString key = it.key();
    const QString path = Path(prefix, key);
    if (filer.Readers.count(key)) {
      TPending d;
      d.Key = key;
      defined.push_back(d);
      continue;
    }
    const int index = mo->indexOfProperty(key.toUtf8().constData());
    if (index < 0) throw Exception(Format("Property %s does not exist", {path}));
    const QMetaProperty p = mo->property(index);
    TPending pending;
    pending.Index = index;
    pending.Key = key;
    if (IsObjectProperty(p)) {
      if (!it.value().isObject()) Invalid(path, QStringLiteral("an object"));
      pending.Nested = it.value().toObject();
    } else {
      if (!p.isWritable()) throw Exception(Format("Property %s is read-only", {path}));
      pending.Value = ToVariant(p, it.value(), path);
    }
    props.push_back(std::move(pending));
  }

  std::sort(props.begin(), props.end(), [](const TPending& a, const TPending& b) { return a.Index < b.Index; });
  for (const TPending& pending : props) {
    const QMetaProperty p = mo->property(pending.Index);
    const QString path = Path(prefix, pending.Key);
    if (IsObjectProperty(p)) {
      QObject* sub = p.read(obj).value<QObject*>();
      if (!sub) throw Exception(Format("Property %s has no object to read into", {path}));
      ReadInto(sub, pending.Nested, path);
    } else if (!p.write(obj, pending.Value)) {
      throw Exception(Format("Property %s cannot be assigned", {path}));
    }
  }
  for (const TPending& d : defined) filer.Readers[d.Key](json.value(d.Key));

  if (component) {
    component->SetLoading(false);
    component->Loaded();
  }
}

QJsonObject WriteFrom(const QObject* obj, const QString& prefix) {
  QJsonObject out;
  const QMetaObject* mo = obj->metaObject();
  for (int i = 0; i < mo->propertyCount(); ++i) {
    const QMetaProperty p = mo->property(i);
    if (IsQtClass(DeclaringClass(mo, i)) || !p.isReadable() || !p.isStored()) continue;
    const QString name = QString::fromLatin1(p.name());
    const QString path = Path(prefix, name);
    const QVariant value = p.read(obj);
    if (IsObjectProperty(p)) {
      if (const QObject* sub = value.value<QObject*>()) out.insert(name, WriteFrom(sub, path));
      continue;
    }
    out.insert(name, ToJson(p, value, path));
  }
  if (auto* component = dynamic_cast<IStoredComponent*>(const_cast<QObject*>(obj))) {
    TWriterFiler filer(out);
    component->DefineProperties(filer);
  }
  return out;
}

}  // namespace

void ReadStoredLayout(QObject* obj, const QJsonObject& json) { ReadInto(obj, json, QString()); }

QJsonObject WriteStoredLayout(const QObject* obj) {
  if (!obj) throw Exception(QStringLiteral("Cannot write the stored layout of a missing object"));
  return WriteFrom(obj, QString());
}

}  // namespace vexa
