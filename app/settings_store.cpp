#include "app/settings_store.h"

#include <QByteArray>
#include <QFileDevice>
#include <QIODevice>
#include <QList>
#include <QStandardPaths>
#include <QString>
#include <filesystem>
#include <memory>
#include <system_error>

#include "app/preferences.h"
#include "app/recent_files.h"
#include "app/settings_values.h"

static const char Organisation[] = "Corvallo Software";
static const char Application[] = "Wendal";

// "Recent File 1" (the newest) to "Recent File 8": each a path's bytes.
static QString RecentFileKey(int index) { return QStringLiteral("Recent File %1").arg(index + 1); }

#ifndef Q_OS_WIN
// The one-byte settings take a few hundred bytes and the eight recent files' paths, at most
// 4096 bytes each written in hexadecimal, 66 KB: more than this is not ours and is not read.
constexpr qint64 MaxStoreBytes = 128 * 1024;

static bool IsStoredSettingName(const std::string& name) {
    for (const char* known : StoredSettingNames)
        if (name == known) return true;
    for (int i = 0; i < RecentFileCount; ++i)
        if (name == RecentFileKey(i).toStdString()) return true;
    return false;
}

// The settings file: one line per value, its name, "=" and its bytes in hexadecimal
// ("Volume=32"). A line that is not of that form is passed over, as if the value were missing,
// and so is a name that is not one of the settings: what is not read is not written back.
static bool ReadStoreFile(QIODevice& device, QSettings::SettingsMap& map) {
    const QByteArray all = device.read(MaxStoreBytes);
    std::string name, bytes;
    for (const QByteArray& line : all.split('\n')) {
        if (!ParseStoreLine(std::string_view(line.constData(), size_t(line.size())), name, bytes) ||
            !IsStoredSettingName(name))
            continue;
        map.insert(QString::fromUtf8(name.data(), qsizetype(name.size())),
                   QByteArray(bytes.data(), qsizetype(bytes.size())));
    }
    return true; // false would make QSettings drop the values that were read
}

// QSettings writes through a QSaveFile: a temporary file renamed over the old one on success.
// Qt 6.4's QSaveFile::commit loses an error of the final write-out of its buffer, so a full
// disk would put a cut-off file in place and report success; flushing here catches the error
// while the old file is still untouched, and the temporary file is then discarded.
static bool WriteStoreFile(QIODevice& device, const QSettings::SettingsMap& map) {
    for (auto i = map.cbegin(); i != map.cend(); ++i) {
        if (i.value().typeId() != QMetaType::QByteArray) continue; // only bytes are stored
        QByteArray line = i.key().toUtf8() + '=' + i.value().toByteArray().toHex() + '\n';
        if (device.write(line) != line.size()) return false;
    }
    auto* file = qobject_cast<QFileDevice*>(&device);
    return file && file->flush();
}
#endif

QSettings::Format SettingsFormat() {
#ifdef Q_OS_WIN
    return QSettings::NativeFormat; // the registry, which replaces each value by itself
#else
    static const QSettings::Format format =
        QSettings::registerFormat("conf", ReadStoreFile, WriteStoreFile);
    return format;
#endif
}

// The store: on Windows the registry key, elsewhere one file in the user's configuration folder
// and nothing else (no folder-wide or system-wide files are merged in).
static QSettings* OpenStore() {
#ifdef Q_OS_WIN
    return new QSettings(SettingsFormat(), QSettings::UserScope, Organisation, Application);
#else
    return new QSettings(QString::fromStdString(SettingsFilePath()), SettingsFormat());
#endif
}

std::string SettingsFilePath() {
#ifdef Q_OS_WIN
    return std::string();
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (folder + '/' + QLatin1String(Organisation) + '/' + QLatin1String(Application) +
            QLatin1String(".conf"))
        .toStdString();
#endif
}

// The file is read and replaced only when it is a regular file (or not there yet): opening a
// FIFO would wait for a writer for ever, and replacing a device or FIFO would put a plain file
// in its place.
static bool StoreIsUsable() {
#ifdef Q_OS_WIN
    return true;
#else
    std::error_code ec;
    const auto status = std::filesystem::status(SettingsFilePath(), ec);
    return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
#endif
}

// The stored byte of a value, or false when it is missing or not exactly one byte long.
static bool ReadByte(const QSettings& store, const char* name, uint8_t& byte) {
    QVariant v = store.value(QString::fromLatin1(name));
    if (v.typeId() != QMetaType::QByteArray) return false;
    QByteArray bytes = v.toByteArray();
    if (bytes.size() != 1) return false;
    byte = uint8_t(bytes[0]);
    return true;
}

static void WriteByte(QSettings& store, const char* name, uint8_t byte) {
    store.setValue(QString::fromLatin1(name), QByteArray(1, char(byte)));
}

static void ReadRecentFiles(const QSettings& store) {
    RecentFiles.clear();
    for (int i = 0; i < RecentFileCount; ++i) {
        QVariant v = store.value(RecentFileKey(i));
        if (v.typeId() != QMetaType::QByteArray) continue;
        const QByteArray bytes = v.toByteArray();
        if (!bytes.isEmpty() && !bytes.contains('\0'))
            RecentFiles.emplace_back(bytes.constData(), size_t(bytes.size()));
    }
}

static void WriteRecentFiles(QSettings& store) {
    for (int i = 0; i < RecentFileCount; ++i) {
        if (size_t(i) < RecentFiles.size()) {
            const std::string& path = RecentFiles[size_t(i)];
            store.setValue(RecentFileKey(i), QByteArray(path.data(), qsizetype(path.size())));
        } else {
            store.remove(RecentFileKey(i));
        }
    }
}

// Every value is brought within the range the rest of the program is built for, so nothing
// later has to guard against a hand-edited or foreign store.
void LoadSettings() {
    if (!StoreIsUsable()) return;
    std::unique_ptr<QSettings> store(OpenStore());
    uint8_t b;
    for (const StoredSetting& setting : StoredSettings)
        if (ReadByte(*store, setting.name, b)) SetStoredValue(setting, b);
    ReadRecentFiles(*store);
}

// The whole file is written to a temporary one that replaces the old file only once complete,
// so a crash or a full disk during sync() leaves the previous file in place and sets status().
bool SaveSettings() {
    if (!StoreIsUsable()) return false;
    std::unique_ptr<QSettings> owner(OpenStore());
    QSettings& store = *owner;
    store.setAtomicSyncRequired(true); // never fall back to writing the file in place
    const bool save = Preferences.saveSettings == 1;
    WriteByte(store, "Save Settings", save ? 1 : 0);
    if (save) {
        for (const StoredSetting& setting : StoredSettings)
            if (setting.own != &Preferences.saveSettings)
                WriteByte(store, setting.name, StoredValue(setting));
        WriteRecentFiles(store);
    }
    store.sync();
    return store.status() == QSettings::NoError;
}
