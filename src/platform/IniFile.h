#pragma once

#include <QList>
#include <QString>
#include <utility>

// A private-profile settings file: "[section]" headers and "key=value" lines. Sections and
// keys are found without regard to letter case. Every call reads the file afresh, so two
// objects on the same path always see each other's writes. A write replaces the file through
// a temporary file in the same folder, so an interrupted write never leaves half a file; all
// other lines (comments, unknown sections, lines that are no entries) are kept as they are.
class IniFile {
public:
    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    // The value of the key, at most maxChars characters long; the default when the file,
    // the section or the key is missing. Blanks around the value and one pair of enclosing
    // quotes are removed.
    QString readString(const QString& section, const QString& key, const QString& defaultValue = {},
                       int maxChars = 2047) const;
    // The leading decimal number of the value (sign allowed); 0 when the value does not
    // start with one; the default when the key is missing or its value is empty.
    int readInt(const QString& section, const QString& key, int defaultValue) const;

    // Sets the key, adding the section or the key when missing. False when the file cannot
    // be written, or when a name or the value would not read back as written (line breaks,
    // '=' in a key, ']' in a section name); the file is then left untouched.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInt(const QString& section, const QString& key, int value);
    // Sets several keys of one section with a single replacement of the file.
    bool writeStrings(const QString& section, const QList<std::pair<QString, QString>>& entries);

private:
    QString m_path;
};
