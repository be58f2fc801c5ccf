#include "notepad/RecentFileList.h"

#include <QFileInfo>
#include <QSettings>

namespace recentfiles {

namespace {

const QString kGroup = QStringLiteral("Recent File List");

QString key(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

void store(const QStringList& list) {
    QSettings registry(QStringLiteral("Orvandel"), QStringLiteral("Tarvex"));
    registry.beginGroup(kGroup);
    for (int i = 0; i < kSize; ++i) {
        if (i < list.size()) {
            registry.setValue(key(i), list[i]);
        } else {
            registry.remove(key(i));
        }
    }
}

}  // namespace

QStringList files() {
    QSettings registry(QStringLiteral("Orvandel"), QStringLiteral("Tarvex"));
    registry.beginGroup(kGroup);
    QStringList list;
    for (int i = 0; i < kSize; ++i) {
        const QString path = registry.value(key(i)).toString();
        if (!path.isEmpty() && !list.contains(path))
            list.append(path);
    }
    return list;
}

void add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = files();
    list.removeAll(absolute);
    list.prepend(absolute);
    while (list.size() > kSize)
        list.removeLast();
    store(list);
}

void remove(const QString& path) {
    QStringList list = files();
    list.removeAll(QFileInfo(path).absoluteFilePath());
    store(list);
}

}  // namespace recentfiles
