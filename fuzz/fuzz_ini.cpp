// The settings file reader: the input is the file; a key written must read back as written.
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("fuzz.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    IniFile ini(path);
    ini.readString(QStringLiteral("Options"), QStringLiteral("Password"));
    ini.readInt(QStringLiteral("Options"), QStringLiteral("Sort"), 7);
    // The first line as a section name, the second as a key: names the input itself uses.
    const QStringList lines =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))
            .split(QLatin1Char('\n'));
    const QString section =
        lines.value(0).trimmed().remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    const QString key = lines.value(1).section(QLatin1Char('='), 0, 0).trimmed();
    ini.readString(section, key);
    const QString value = QStringLiteral("written value");
    if (ini.writeString(section, key, value) && !key.isEmpty() && !section.isEmpty() &&
        ini.readString(section, key) != value)
        __builtin_trap();
    return 0;
}
