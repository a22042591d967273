// The settings store over QSettings. This is the only file that touches
// QSettings; everything else sees CP932 strings, ints and byte strings.
#include "app/settings_store.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <climits>
#include <mutex>

#include "text/codepage.h"

namespace {

// One lock for every call: the UI thread and a worker may use the store at
// once, and QSettings objects are not shared between calls.
std::mutex& StoreMutex() {
  static std::mutex mutex;
  return mutex;
}

// The application name the values are kept under; guarded by StoreMutex.
QString& ApplicationName() {
  static QString name = QStringLiteral("Kanro");
  return name;
}

// A fresh QSettings each call, so values another process wrote are seen.
// QSettings keeps atomic sync on by default (writes go through a temporary
// file that is renamed over the old one); we rely on that.
QSettings OpenStore() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tsuki"), ApplicationName());
}

// Sections and keys are plain ASCII names. An empty name or a slash would
// make QSettings address a whole group (a delete would wipe it), so such
// names are refused.
bool ValidName(const char* name) {
  if (name == nullptr || *name == '\0') return false;
  for (const char* p = name; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x20 || c > 0x7E || c == '/' || c == '\\') return false;
  }
  return true;
}

bool ValidPath(const char* section, const char* key) { return ValidName(section) && ValidName(key); }

QString KeyPath(const char* section, const char* key) {
  return QString::fromLatin1(section) + QLatin1Char('/') + QString::fromLatin1(key);
}

QByteArray ToByteArray(const std::string& bytes) {
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string FromByteArray(const QByteArray& bytes) {
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// A CP932 string is kept as readable text when it survives CP932 -> UTF-8 ->
// CP932 unchanged; otherwise its bytes are stored as they are.
QVariant EncodeString(const std::string& cp932) {
  std::string utf8 = kanro::text::Cp932ToUtf8(cp932);
  if (kanro::text::Utf8ToCp932(utf8) == cp932) return QVariant(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
  return QVariant(ToByteArray(cp932));
}

bool IsBytes(const QVariant& value) { return value.typeId() == QMetaType::QByteArray; }

std::string DecodeString(const QVariant& value) {
  if (IsBytes(value)) return FromByteArray(value.toByteArray());
  // A hand-edited file with an unquoted comma ("Programs=08GooTv,13GooTv,")
  // reads as a list; the text is the items joined again.
  QString text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(','))
                                                           : value.toString();
  QByteArray utf8 = text.toUtf8();
  return kanro::text::Utf8ToCp932(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

// An int in signed 32-bit range, from a native int or from decimal text.
bool DecodeInt(const QVariant& value, int* out) {
  if (!value.isValid() || IsBytes(value)) return false;
  bool ok = false;
  qlonglong number = 0;
  switch (value.typeId()) {
    case QMetaType::Int:
      *out = value.toInt();
      return true;
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::QString:
      number = value.toString().trimmed().toLongLong(&ok);
      break;
    default:
      return false;
  }
  if (!ok || number < INT_MIN || number > INT_MAX) return false;
  *out = static_cast<int>(number);
  return true;
}

// Text that reads back as this exact int ("5", "-3"; not "05" or " 5").
bool IsCanonicalInt(const QString& text) {
  bool ok = false;
  qlonglong number = text.toLongLong(&ok);
  return ok && number >= INT_MIN && number <= INT_MAX && QString::number(number) == text;
}

// A write fails with AccessError. FormatError only says the old file could not
// be parsed; QSettings still writes the new values, which repairs the file.
bool SyncAndCheck(QSettings& settings) {
  settings.sync();
  return settings.status() != QSettings::AccessError;
}

bool WriteValue(const char* section, const char* key, const QVariant& value) {
  if (!ValidPath(section, key)) return false;
  std::lock_guard<std::mutex> lock(StoreMutex());
  QSettings settings = OpenStore();
  settings.setValue(KeyPath(section, key), value);
  return SyncAndCheck(settings);
}

bool RemoveValue(const QString& path) {
  std::lock_guard<std::mutex> lock(StoreMutex());
  QSettings settings = OpenStore();
  settings.remove(path);
  return SyncAndCheck(settings);
}

QVariant ReadValue(const char* section, const char* key) {
  if (!ValidPath(section, key)) return QVariant();
  std::lock_guard<std::mutex> lock(StoreMutex());
  QSettings settings = OpenStore();
  return settings.value(KeyPath(section, key));
}

}  // namespace

int GetProfileInt(const char* section, const char* key, int defaultValue) {
  int value = 0;
  return DecodeInt(ReadValue(section, key), &value) ? value : defaultValue;
}

std::string GetProfileString(const char* section, const char* key, const std::string& defaultValue) {
  QVariant value = ReadValue(section, key);
  if (!value.isValid()) return defaultValue;
  return DecodeString(value);
}

std::optional<std::string> GetProfileBinary(const char* section, const char* key) {
  QVariant value = ReadValue(section, key);
  if (!IsBytes(value)) return std::nullopt;
  return FromByteArray(value.toByteArray());
}

bool WriteProfileInt(const char* section, const char* key, int value) {
  return WriteValue(section, key, QVariant(value));
}

bool WriteProfileString(const char* section, const char* key, const char* value) {
  if (!ValidPath(section, key)) return false;
  if (value == nullptr) return RemoveValue(KeyPath(section, key));
  return WriteValue(section, key, EncodeString(value));
}

bool WriteProfileString(const char* section, const char* key, const std::string& value) {
  return WriteValue(section, key, EncodeString(value));
}

bool WriteProfileBinary(const char* section, const char* key, const std::string& bytes) {
  if (!ValidPath(section, key)) return false;
  if (bytes.empty()) return RemoveValue(KeyPath(section, key));
  return WriteValue(section, key, QVariant(ToByteArray(bytes)));
}

namespace kanro::app {

std::vector<ProfileValue> ListProfileValues() {
  std::vector<ProfileValue> values;
  {
    std::lock_guard<std::mutex> lock(StoreMutex());
    QSettings settings = OpenStore();
    const QStringList keys = settings.allKeys();
    for (const QString& path : keys) {
      qsizetype slash = path.indexOf(QLatin1Char('/'));
      ProfileValue entry;
      if (slash >= 0) {
        entry.section = path.left(slash).toStdString();
        entry.key = path.mid(slash + 1).toStdString();
      } else {
        entry.key = path.toStdString();
      }
      QVariant value = settings.value(path);
      int number = 0;
      if (IsBytes(value)) {
        entry.type = ProfileValue::Type::Binary;
        entry.text = FromByteArray(value.toByteArray());
      } else if (value.typeId() == QMetaType::Int ||
                 (value.typeId() == QMetaType::QString && IsCanonicalInt(value.toString()) &&
                  DecodeInt(value, &number))) {
        // The INI file on Linux does not record whether a value was written
        // as an int; decimal text that reads back unchanged is listed as one.
        entry.type = ProfileValue::Type::Int;
        entry.text = std::to_string(value.toInt());
      } else {
        entry.type = ProfileValue::Type::String;
        entry.text = DecodeString(value);
      }
      values.push_back(std::move(entry));
    }
  }
  std::sort(values.begin(), values.end(), [](const ProfileValue& a, const ProfileValue& b) {
    return a.section != b.section ? a.section < b.section : a.key < b.key;
  });
  return values;
}

std::vector<std::string> ListProfileKeys(const char* section) {
  std::vector<std::string> keys;
  if (!ValidName(section)) return keys;
  {
    std::lock_guard<std::mutex> lock(StoreMutex());
    QSettings settings = OpenStore();
    settings.beginGroup(QString::fromLatin1(section));
    const QStringList names = settings.childKeys();
    for (const QString& name : names) keys.push_back(name.toStdString());
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

bool DeleteProfileValues(const char* section, const std::vector<std::string>& keys) {
  if (!ValidName(section)) return false;
  std::lock_guard<std::mutex> lock(StoreMutex());
  QSettings settings = OpenStore();
  settings.beginGroup(QString::fromLatin1(section));
  bool changed = false;
  for (const std::string& key : keys) {
    if (!ValidName(key.c_str())) continue;
    QString name = QString::fromLatin1(key.c_str());
    if (!settings.contains(name)) continue;
    settings.remove(name);
    changed = true;
  }
  settings.endGroup();
  return changed ? SyncAndCheck(settings) : true;
}

bool DeleteProfileSection(const char* section) {
  if (!ValidName(section)) return false;
  return RemoveValue(QString::fromLatin1(section));
}

bool DeleteAllProfileValues() {
  std::lock_guard<std::mutex> lock(StoreMutex());
  QSettings settings = OpenStore();
  settings.clear();
  return SyncAndCheck(settings);
}

std::string ProfileLocation() {
  std::lock_guard<std::mutex> lock(StoreMutex());
  QSettings settings = OpenStore();
  QByteArray path = settings.fileName().toUtf8();
  return std::string(path.constData(), static_cast<size_t>(path.size()));
}

bool SetSettingsApplicationName(const std::string& name) {
  if (name.empty() || name.find_first_of("/\\") != std::string::npos) return false;
  std::lock_guard<std::mutex> lock(StoreMutex());
  ApplicationName() = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  return true;
}

}  // namespace kanro::app
