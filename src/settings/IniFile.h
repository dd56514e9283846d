#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringView>

// The settings file: reads and writes single values in the private-profile format, compatible
// byte for byte with the files of the Windows program (CP932, CR LF). No state and no cache: every
// call reads the file anew, as the Windows profile functions do.
namespace settings {

class IniFile {
public:
    explicit IniFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // The stored value of key in section (see ini::findValue), or defaultValue unchanged when the
    // file, the section or the key is missing, or the file cannot be read.
    QString getIni(QStringView section, QStringView key, const QString& defaultValue) const;

    // Stores value under key in section (see ini::withValue), creating the file when it is missing.
    // A write that fails leaves the file as it was and reports nothing.
    void putIni(QStringView section, QStringView key, QStringView value) const { write(section, key, value); }

    // PutIni that says whether the value was stored.
    bool write(QStringView section, QStringView key, QStringView value) const;

    struct Entry {
        QString section;
        QString key;
        QString value;
    };

    // The entries written one after the other as by PutIni, with the same resulting file, but read
    // and replaced once: all of them reach the file or none does. An entry that cannot be written
    // (a bad name or value) is left out. True when every entry was stored.
    bool writeAll(const QList<Entry>& entries) const;

    // Why the file, which exists, cannot be read ("not a regular file", the system's reason, "UTF-16
    // text" …): every read then gives its default. nullopt when it is missing or readable.
    std::optional<QString> readProblem() const;

private:
    QString path_;
};

// "<folder of the executable>/<file name of the executable>.ini", from /proc/self/exe; empty when
// that cannot be read (then every read gives its default and every write fails).
QString settingsFilePath();
// The running program's own file (/proc/self/exe); empty when it cannot be read.
QString executablePath();

// The settings file that belongs to the executable at executablePath.
QString settingsFilePathFor(const QString& executablePath);

// One read or write of the running program's settings file, the path built afresh each time.
QString getIni(QStringView section, QStringView key, const QString& defaultValue);
void putIni(QStringView section, QStringView key, QStringView value);

}  // namespace settings
