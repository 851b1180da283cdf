#include "platform/StoredLayout.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QObject>
#include <QStringList>
#include <gtest/gtest.h>

#include "platform/SysUtils.h"

namespace vexa {

// A nested persistent object, as colours or print options are for the hex editor.
class TLayoutSub : public QObject {
  Q_OBJECT
  Q_PROPERTY(int Left READ Left WRITE SetLeft)
  Q_PROPERTY(QString Name READ Name WRITE SetName)

public:
  int Left() const { return FLeft; }
  void SetLeft(int v) { FLeft = v; }
  QString Name() const { return FName; }
  void SetName(const QString& v) { FName = v; }

private:
  int FLeft = 0;
  QString FName;
};

class TLayoutSample : public QObject, public IStoredComponent {
  Q_OBJECT
public:
  enum TKind { kFirst, kSecond, kThird };
  Q_ENUM(TKind)
  enum TFlag { fBold = 1, fMono = 2 };
  Q_DECLARE_FLAGS(TFlags, TFlag)
  Q_FLAG(TFlags)

private:
  // Declared in this order on purpose: it is not the alphabetical order of the JSON keys.
  Q_PROPERTY(int Count READ Count WRITE SetCount)
  Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(TKind Kind READ Kind WRITE SetKind)
  Q_PROPERTY(TFlags Flags READ Flags WRITE SetFlags)
  Q_PROPERTY(vexa::TLayoutSub* Sub READ Sub)
  Q_PROPERTY(QStringList Items READ Items WRITE SetItems)
  Q_PROPERTY(int Transient READ Transient WRITE SetTransient STORED false)
  Q_PROPERTY(QString Fixed READ Fixed)

public:
  int Count() const { return FCount; }
  void SetCount(int v) { Log("Count"); FCount = v; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v) { Log("Enabled"); FEnabled = v; }
  QString Caption() const { return FCaption; }
  void SetCaption(const QString& v) { Log("Caption"); FCaption = v; }
  TKind Kind() const { return FKind; }
  void SetKind(TKind v) { Log("Kind"); FKind = v; }
  TFlags Flags() const { return FFlags; }
  void SetFlags(TFlags v) { Log("Flags"); FFlags = v; }
  TLayoutSub* Sub() { return &FSub; }
  QStringList Items() const { return FItems; }
  void SetItems(const QStringList& v) { FItems = v; }
  int Transient() const { return FTransient; }
  void SetTransient(int v) { FTransient = v; }
  QString Fixed() const { return QStringLiteral("fixed"); }

  // "Extra" is stored only when non-zero.
  void DefineProperties(TFiler& filer) override {
    filer.DefineProperty(
        QStringLiteral("Extra"), [this](const QJsonValue& v) { Log("Extra"); Extra = v.toInt(); },
        [this] { return QJsonValue(Extra); }, Extra != 0);
  }
  void Loaded() override {
    ++LoadedCalls;
    LoadingInLoaded = IsLoading();
  }

  int Extra = 0;
  int LoadedCalls = 0;
  bool LoadingInLoaded = true;
  QStringList SetterLog;
  bool AllSettersSawLoading = true;

private:
  void Log(const char* name) {
    SetterLog << QString::fromLatin1(name);
    AllSettersSawLoading = AllSettersSawLoading && IsLoading();
  }

  int FCount = 0;
  bool FEnabled = false;
  QString FCaption;
  TKind FKind = kFirst;
  TFlags FFlags;
  TLayoutSub FSub;
  QStringList FItems;
  int FTransient = 0;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TLayoutSample::TFlags)

namespace {

QJsonObject Json(const char* text) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
  return doc.object();
}

TEST(StoredLayout, WritesOwnStoredPropertiesByName) {
  TLayoutSample s;
  s.setObjectName(QStringLiteral("Sample"));
  s.SetCount(7);
  s.SetEnabled(true);
  s.SetCaption(QStringLiteral("Hello"));
  s.SetKind(TLayoutSample::kThird);
  s.SetFlags(TLayoutSample::fBold | TLayoutSample::fMono);
  s.Sub()->SetLeft(20);
  s.Sub()->SetName(QStringLiteral("inner"));
  s.SetItems({QStringLiteral("a"), QStringLiteral("b")});
  s.SetTransient(5);

  QJsonObject out = WriteStoredLayout(&s);
  EXPECT_EQ(out.value("Count"), QJsonValue(7));
  EXPECT_EQ(out.value("Enabled"), QJsonValue(true));
  EXPECT_EQ(out.value("Caption"), QJsonValue("Hello"));
  EXPECT_EQ(out.value("Kind"), QJsonValue("kThird"));
  EXPECT_EQ(out.value("Flags"), QJsonValue(QJsonArray{"fBold", "fMono"}));
  EXPECT_EQ(out.value("Sub"), QJsonValue(Json(R"({"Left":20,"Name":"inner"})")));
  EXPECT_EQ(out.value("Items"), QJsonValue(QJsonArray{"a", "b"}));
  EXPECT_EQ(out.value("Fixed"), QJsonValue("fixed"));
  // Not stored: STORED false, Qt's own objectName, a defined value without data.
  EXPECT_FALSE(out.contains("Transient"));
  EXPECT_FALSE(out.contains("objectName"));
  EXPECT_FALSE(out.contains("Extra"));

  s.Extra = 3;
  out = WriteStoredLayout(&s);
  EXPECT_EQ(out.value("Extra"), QJsonValue(3));
}

TEST(StoredLayout, RoundTripRestoresEveryStoredValue) {
  TLayoutSample a;
  a.SetCount(-12);
  a.SetEnabled(true);
  a.SetCaption(QStringLiteral("Ünïcode"));
  a.SetKind(TLayoutSample::kSecond);
  a.SetFlags(TLayoutSample::fMono);
  a.Sub()->SetLeft(99);
  a.Sub()->SetName(QStringLiteral("x"));
  a.SetItems({QStringLiteral("8"), QStringLiteral("9")});
  a.Extra = 41;
  QJsonObject out = WriteStoredLayout(&a);
  out.remove("Fixed");  // read-only: written for information, never read back

  TLayoutSample b;
  ReadStoredLayout(&b, out);
  EXPECT_EQ(b.Count(), -12);
  EXPECT_TRUE(b.Enabled());
  EXPECT_EQ(b.Caption(), QStringLiteral("Ünïcode"));
  EXPECT_EQ(b.Kind(), TLayoutSample::kSecond);
  EXPECT_EQ(b.Flags(), TLayoutSample::TFlags(TLayoutSample::fMono));
  EXPECT_EQ(b.Sub()->Left(), 99);
  EXPECT_EQ(b.Sub()->Name(), QStringLiteral("x"));
  EXPECT_EQ(b.Items(), a.Items());
  EXPECT_EQ(b.Extra, 41);
}

TEST(StoredLayout, ReadsInDeclarationOrderWhileLoadingThenCallsLoaded) {
  TLayoutSample s;
  ReadStoredLayout(&s, Json(R"({"Extra":1,"Caption":"c","Kind":"kSecond","Enabled":true,"Count":1})"));
  EXPECT_EQ(s.SetterLog, QStringList({"Count", "Enabled", "Caption", "Kind", "Extra"}));
  EXPECT_TRUE(s.AllSettersSawLoading);
  EXPECT_EQ(s.LoadedCalls, 1);
  EXPECT_FALSE(s.LoadingInLoaded);
  EXPECT_FALSE(s.IsLoading());
}

TEST(StoredLayout, AcceptsEnumsByNameOrNumberAndFlagsAsListOrText) {
  struct Case {
    const char* json;
    TLayoutSample::TKind kind;
    int flags;
  } cases[] = {
      {R"({"Kind":"kThird","Flags":[]})", TLayoutSample::kThird, 0},
      {R"({"Kind":1,"Flags":["fMono"]})", TLayoutSample::kSecond, 2},
      {R"({"Kind":0,"Flags":"fBold|fMono"})", TLayoutSample::kFirst, 3},
      {R"({"Kind":"kSecond","Flags":1})", TLayoutSample::kSecond, 1},
  };
  for (const Case& c : cases) {
    TLayoutSample s;
    s.SetKind(TLayoutSample::kFirst);
    ReadStoredLayout(&s, Json(c.json));
    EXPECT_EQ(s.Kind(), c.kind) << c.json;
    EXPECT_EQ(static_cast<int>(s.Flags()), c.flags) << c.json;
  }
}

TEST(StoredLayout, DefinedValueIsReadOnlyWhenPresent) {
  TLayoutSample s;
  s.Extra = 5;
  ReadStoredLayout(&s, Json(R"({"Count":2})"));
  EXPECT_EQ(s.Extra, 5);
  EXPECT_FALSE(s.SetterLog.contains("Extra"));
}

TEST(StoredLayout, RefusesBadLayoutsNamingTheProperty) {
  struct Case {
    const char* json;
    const char* message;
  } cases[] = {
      {R"({"XYZ":1})", "Property XYZ does not exist"},
      {R"({"Sub":{"XYZ":1}})", "Property Sub.XYZ does not exist"},
      {R"({"Count":"7"})", "Invalid value for property Count: an integer expected"},
      {R"({"Count":1.5})", "Invalid value for property Count: an integer from -2147483648 to 2147483647 expected"},
      {R"({"Count":3000000000})", "Invalid value for property Count: an integer from -2147483648 to 2147483647 expected"},
      {R"({"Enabled":1})", "Invalid value for property Enabled: true or false expected"},
      {R"({"Caption":null})", "Invalid value for property Caption: a string expected"},
      {R"({"Kind":"kFourth"})", "Invalid value kFourth for property Kind"},
      {R"({"Kind":9})", "Invalid value 9 for property Kind"},
      {R"({"Flags":["fItalic"]})", "Invalid value fItalic for property Flags"},
      {R"({"Flags":8})", "Invalid value 8 for property Flags"},
      {R"({"Items":["a",1]})", "Invalid value for property Items: a list of strings expected"},
      {R"({"Sub":5})", "Invalid value for property Sub: an object expected"},
      {R"({"Sub":{"Left":true}})", "Invalid value for property Sub.Left: an integer expected"},
      {R"({"Fixed":"x"})", "Property Fixed is read-only"},
  };
  for (const Case& c : cases) {
    TLayoutSample s;
    s.SetCount(4);
    s.SetterLog.clear();
    try {
      // Count precedes every bad key in declaration order, yet must stay untouched.
      QJsonObject json = Json(c.json);
      if (!json.contains("Count")) json.insert("Count", 100);
      ReadStoredLayout(&s, json);
      ADD_FAILURE() << "no exception for " << c.json;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), QString::fromUtf8(c.message)) << c.json;
    }
    EXPECT_FALSE(s.IsLoading()) << c.json;
    EXPECT_EQ(s.LoadedCalls, 0) << c.json;
    if (std::string(c.json).find("Sub\":{") == std::string::npos) {
      EXPECT_EQ(s.Count(), 4) << "assigned before the layout was refused: " << c.json;
    }
  }
}

}  // namespace
}  // namespace vexa

#include "StoredLayoutTest.moc"
