#include "platform/CommandIcon.h"

#include "platform/CommandTable.h"
#include "platform/ResourceLibrary.h"

// Outside any namespace, as the resource initialiser requires.
void initBuiltInResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(tarvex);
        return true;
    }();
    Q_UNUSED(registered);
}

QIcon namedIcon(const QString& name) {
    initBuiltInResources();
    const QString path = imagePath(name);
    return path.isEmpty() ? QIcon() : QIcon(path);
}

QIcon commandIcon(int id) {
    const CommandInfo* info = commandInfo(id);
    if (!info || info->iconName.isEmpty())
        return {};
    return namedIcon(info->iconName);
}
