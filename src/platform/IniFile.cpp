#include "platform/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <limits>
#include <optional>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// The file as lines, with what it takes to write it back in the same form.
struct IniText {
    QStringList lines;
    QString lineEnd = QStringLiteral("\n");
    bool bom = false;
};

IniText readText(const QString& path) {
    IniText text;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return text;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith(kUtf8Bom)) {
        text.bom = true;
        bytes.remove(0, kUtf8Bom.size());
    }
    const QString all = QString::fromUtf8(bytes);
    if (all.contains(QLatin1String("\r\n")))
        text.lineEnd = QStringLiteral("\r\n");
    text.lines = all.split(QLatin1Char('\n'));
    if (!text.lines.isEmpty() && text.lines.last().isEmpty())
        text.lines.removeLast();
    for (QString& line : text.lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return text;
}

bool writeText(const QString& path, const IniText& text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes = text.bom ? kUtf8Bom : QByteArray();
    for (const QString& line : text.lines) {
        bytes += line.toUtf8();
        bytes += text.lineEnd.toUtf8();
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// The name of a "[section]" line, or nothing for any other line.
std::optional<QString> sectionName(const QString& line) {
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

bool isComment(const QString& trimmed) {
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// The key of a "key=value" line, or nothing for a header, a comment or a line without '='.
std::optional<QString> entryKey(const QString& line) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || isComment(trimmed) || trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return std::nullopt;
    return trimmed.left(equals).trimmed();
}

QString entryValue(const QString& line) {
    QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (value.size() >= 2 &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    return value;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Lines [first, end) of the first section with the name: first is the line after the
// header. Nothing when the section is missing. Headers are written and read without the
// blanks around the name, so the name is looked for without them too.
std::optional<std::pair<qsizetype, qsizetype>> findSection(const QStringList& lines,
                                                           const QString& wanted) {
    const QString section = wanted.trimmed();
    qsizetype first = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i]);
        if (!name)
            continue;
        if (first >= 0)
            return std::pair{first, i};
        if (sameName(*name, section))
            first = i + 1;
    }
    if (first < 0)
        return std::nullopt;
    return std::pair{first, lines.size()};
}

std::optional<QString> findValue(const QString& path, const QString& section, const QString& key) {
    const IniText text = readText(path);
    const auto range = findSection(text.lines, section);
    if (!range)
        return std::nullopt;
    for (qsizetype i = range->first; i < range->second; ++i) {
        const auto name = entryKey(text.lines[i]);
        if (name && sameName(*name, key.trimmed()))
            return entryValue(text.lines[i]);
    }
    return std::nullopt;
}

bool hasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

bool readsBackAsWritten(const QString& section, const QString& key, const QString& value) {
    const QString trimmedKey = key.trimmed();
    if (section.trimmed().isEmpty() || hasLineBreak(section) || section.contains(QLatin1Char(']')))
        return false;
    if (trimmedKey.isEmpty() || hasLineBreak(key) || key.contains(QLatin1Char('=')) ||
        isComment(trimmedKey) || trimmedKey.startsWith(QLatin1Char('[')))
        return false;
    return !hasLineBreak(value);
}

}  // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue,
                            int maxChars) const {
    const QString value = findValue(m_path, section, key).value_or(defaultValue);
    return value.left(std::max(0, maxChars));
}

int IniFile::readInt(const QString& section, const QString& key, int defaultValue) const {
    const auto value = findValue(m_path, section, key);
    if (!value || value->isEmpty())
        return defaultValue;
    qsizetype i = 0;
    const bool negative = value->at(0) == QLatin1Char('-');
    if (negative || value->at(0) == QLatin1Char('+'))
        ++i;
    qint64 number = 0;
    for (; i < value->size() && value->at(i).isDigit() && value->at(i).unicode() < 128; ++i) {
        number = std::min<qint64>(number * 10 + value->at(i).digitValue(),
                                  qint64(std::numeric_limits<int>::max()) + 1);
    }
    if (negative)
        number = -number;
    return int(std::clamp<qint64>(number, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    return writeStrings(section, {{key, value}});
}

bool IniFile::writeInt(const QString& section, const QString& key, int value) {
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeStrings(const QString& section,
                           const QList<std::pair<QString, QString>>& entries) {
    for (const auto& [key, value] : entries) {
        if (!readsBackAsWritten(section, key, value))
            return false;
    }
    IniText text = readText(m_path);
    auto range = findSection(text.lines, section);
    if (!range) {
        if (!text.lines.isEmpty() && !text.lines.last().trimmed().isEmpty())
            text.lines.append(QString());
        text.lines.append(QLatin1Char('[') + section.trimmed() + QLatin1Char(']'));
        range = std::pair{text.lines.size(), text.lines.size()};
    }
    for (const auto& [key, value] : entries) {
        const QString wanted = key.trimmed();
        bool replaced = false;
        for (qsizetype i = range->first; i < range->second && !replaced; ++i) {
            const auto name = entryKey(text.lines[i]);
            if (name && sameName(*name, wanted)) {
                text.lines[i] = *name + QLatin1Char('=') + value;
                replaced = true;
            }
        }
        if (replaced)
            continue;
        // A new key goes after the section's last non-blank line, so that blank lines
        // separating it from the next section stay where they are.
        qsizetype at = range->second;
        while (at > range->first && text.lines[at - 1].trimmed().isEmpty())
            --at;
        text.lines.insert(at, wanted + QLatin1Char('=') + value);
        ++range->second;
    }
    return writeText(m_path, text);
}
