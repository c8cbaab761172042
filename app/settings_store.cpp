#include "app/settings_store.h"

#include <cctype>

#include <QByteArray>
#include <QFileDevice>
#include <QIODevice>
#include <QList>
#include <QString>

#include "display/display_state.h"
#include "peripherals/settings.h"

static const char Organisation[] = "Corvallo Software";
static const char Application[] = "Wendal";

#ifndef Q_OS_WIN
// The settings file: one line per value, its name, "=" and its bytes in hexadecimal
// ("Volume=32"). A line that is not of that form is passed over, as if the value were missing.
static bool ReadStoreFile(QIODevice& device, QSettings::SettingsMap& map) {
    const QList<QByteArray> lines = device.readAll().split('\n');
    for (const QByteArray& line : lines) {
        qsizetype equals = line.indexOf('=');
        if (equals <= 0) continue;
        QByteArray hex = line.mid(equals + 1).trimmed();
        bool isHex = hex.size() % 2 == 0;
        for (char c : hex) isHex = isHex && std::isxdigit(static_cast<unsigned char>(c));
        if (isHex) map.insert(QString::fromUtf8(line.left(equals)), QByteArray::fromHex(hex));
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

// A flag is on only when stored as 1.
static void ReadFlag(const QSettings& store, const char* name, uint8_t& flag) {
    uint8_t b;
    if (ReadByte(store, name, b)) flag = b == 1 ? 1 : 0;
}

static void ReadFlag(const QSettings& store, const char* name, bool& flag) {
    uint8_t b;
    if (ReadByte(store, name, b)) flag = b == 1;
}

// Every value is brought within the range the rest of the program is built for, so nothing
// later has to guard against a hand-edited or foreign store.
void LoadSettings() {
    QSettings store(SettingsFormat(), QSettings::UserScope, Organisation, Application);
    uint8_t b;
    ReadFlag(store, "Save Settings", Settings.saveSettings);
    // The volumes are amplitudes in 0-63 (two of them and 128 must stay within a byte): a louder
    // one is taken as the loudest.
    if (ReadByte(store, "Volume", b)) Settings.volume = b > 63 ? 63 : b;
    if (ReadByte(store, "Tape Volume", b)) Settings.tapeVolume = b > 63 ? 63 : b;
    // 1-50 blocks of 20 ms: 0 means the smallest queue (the dialog stores its 0 as 1), more than
    // the 50 blocks there are means all of them.
    if (ReadByte(store, "Sound Buffers", b)) Settings.soundBuffers = b < 1 ? 1 : b > 50 ? 50 : b;
    // An unknown mode has no nearest one: the single-size window, as on a first run.
    if (ReadByte(store, "Screen Mode", b))
        DisplayMode = b >= ModeWindow && b <= ModeFullscreen ? b : ModeWindow;
    ReadFlag(store, "TV", FullscreenTv);
    ReadFlag(store, "Shaded Titles", Settings.shadedTitles);
    ReadFlag(store, "Speed Display", SpeedDisplay);
    ReadFlag(store, "Warnings", Settings.warnings);
    // Unknown joystick kinds are taken as not set: "none" for the PC joystick (detection then
    // makes it Kempston when one is there), Cursor for the keys, as on a first run.
    if (ReadByte(store, "PC Joystick", b)) Settings.pcJoystick = b <= 2 ? b : 0;
    if (ReadByte(store, "Keyb Joystick", b)) Settings.keybJoystick = b == 2 ? 2 : 1;
}

// The whole file is written to a temporary one that replaces the old file only once complete,
// so a crash or a full disk during sync() leaves the previous file in place and sets status().
bool SaveSettings() {
    QSettings store(SettingsFormat(), QSettings::UserScope, Organisation, Application);
    store.setAtomicSyncRequired(true); // never fall back to writing the file in place
    const bool save = Settings.saveSettings == 1;
    WriteByte(store, "Save Settings", save ? 1 : 0);
    if (save) {
        WriteByte(store, "Volume", Settings.volume);
        WriteByte(store, "Tape Volume", Settings.tapeVolume);
        WriteByte(store, "Sound Buffers", Settings.soundBuffers);
        WriteByte(store, "Screen Mode", DisplayMode);
        WriteByte(store, "TV", FullscreenTv ? 1 : 0);
        WriteByte(store, "Shaded Titles", Settings.shadedTitles == 1 ? 1 : 0);
        WriteByte(store, "Speed Display", SpeedDisplay ? 1 : 0);
        WriteByte(store, "Warnings", Settings.warnings == 1 ? 1 : 0);
        WriteByte(store, "PC Joystick", Settings.pcJoystick);
        WriteByte(store, "Keyb Joystick", Settings.keybJoystick);
    }
    store.sync();
    return store.status() == QSettings::NoError;
}
