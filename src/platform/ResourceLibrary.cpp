#include "platform/ResourceLibrary.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QResource>

namespace {

const QString kFileName = QStringLiteral("resdll.rcc");

struct LoadedLibrary {
    QString file;
    QHash<int, QString> strings;
};

std::optional<LoadedLibrary>& library() {
    static std::optional<LoadedLibrary> loaded;
    return loaded;
}

QString unescape(QStringView text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            result += c;
            continue;
        }
        const QChar next = text[++i];
        if (next == QLatin1Char('n')) {
            result += QLatin1Char('\n');
        } else if (next == QLatin1Char('r')) {
            result += QLatin1Char('\r');
        } else if (next == QLatin1Char('t')) {
            result += QLatin1Char('\t');
        } else {
            result += next;
        }
    }
    return result;
}

QHash<int, QString> readStrings() {
    QHash<int, QString> strings;
    QFile file(QStringLiteral(":/resdll/strings.ini"));
    if (!file.open(QIODevice::ReadOnly))
        return strings;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        bool isNumber = false;
        const int id = line.left(equals).trimmed().toInt(&isNumber);
        if (isNumber)
            strings.insert(id, unescape(QStringView(line).mid(equals + 1)));
    }
    return strings;
}

QString firstExisting(std::initializer_list<QString> candidates) {
    for (const QString& path : candidates) {
        if (QFile::exists(path))
            return path;
    }
    return {};
}

}  // namespace

bool loadResourceLibrary(const QString& folder) {
    unloadResourceLibrary();
    const QString file = QDir(folder).absoluteFilePath(kFileName);
    if (!QFile::exists(file) || !QResource::registerResource(file))
        return false;
    library() = LoadedLibrary{file, readStrings()};
    return true;
}

void unloadResourceLibrary() {
    if (!library())
        return;
    QResource::unregisterResource(library()->file);
    library().reset();
}

bool resourceLibraryLoaded() {
    return library().has_value();
}

std::optional<QString> resourceLibraryString(int id) {
    if (!library())
        return std::nullopt;
    const auto it = library()->strings.constFind(id);
    if (it == library()->strings.constEnd())
        return std::nullopt;
    return *it;
}

QString imagePath(const QString& name) {
    if (library()) {
        const QString own = firstExisting({QStringLiteral(":/resdll/icons/%1.svg").arg(name),
                                           QStringLiteral(":/resdll/icons/%1.png").arg(name)});
        if (!own.isEmpty())
            return own;
    }
    return firstExisting(
        {QStringLiteral(":/icons/%1.svg").arg(name), QStringLiteral(":/%1.svg").arg(name)});
}
