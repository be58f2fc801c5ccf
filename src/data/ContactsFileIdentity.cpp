#include "data/ContactsFileIdentity.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <utility>

#include "data/Connection.h"

namespace {

// The file's identity on disk, found without opening it; {0, 0} when it does not exist.
std::pair<dev_t, ino_t> identity(const QString& path) {
    struct stat info {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return {0, 0};
    return {info.st_dev, info.st_ino};
}

}  // namespace

bool isDatabaseOrSideFile(const QString& path, const QString& databasePath) {
    const auto chosen = identity(path);
    if (chosen.second == 0)
        return false;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        if (chosen == identity(databasePath + QLatin1String(suffix)))
            return true;
    return false;
}

bool isContactsFile(const QString& path) {
    return isDatabaseOrSideFile(path, databasePath());
}

QString contactsFileRefusal(const QString& path) {
    return QStringLiteral(
               "'%1' is the contacts file that Tarvex works with (or one of its "
               "working files); choose another file.")
        .arg(QDir::toNativeSeparators(path));
}
