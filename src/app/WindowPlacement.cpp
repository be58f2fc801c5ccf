#include "app/WindowPlacement.h"

#include <array>

#include "app/AppPaths.h"
#include "platform/IniFile.h"

namespace {

constexpr int kDefault = 10;

struct PlacementKey {
    const char* key;
    int WindowPlacement::*field;
};

const std::array<PlacementKey, 10> kKeys{{
    {"wp.showCmd", &WindowPlacement::showCmd},
    {"wp.flags", &WindowPlacement::flags},
    {"wp.ptMinPosition.x", &WindowPlacement::minX},
    {"wp.ptMinPosition.y", &WindowPlacement::minY},
    {"wp.ptMaxPosition.x", &WindowPlacement::maxX},
    {"wp.ptMaxPosition.y", &WindowPlacement::maxY},
    {"wp.left", &WindowPlacement::left},
    {"wp.right", &WindowPlacement::right},
    {"wp.top", &WindowPlacement::top},
    {"wp.bottom", &WindowPlacement::bottom},
}};

QString sectionFor(const QString& title) {
    return QStringLiteral("WP_") + title;
}

}  // namespace

WindowPlacement loadPlacement(const QString& title) {
    const IniFile file(settingsFilePath());
    const QString section = sectionFor(title);
    WindowPlacement placement;
    for (const PlacementKey& key : kKeys)
        placement.*key.field = file.readInt(section, QLatin1String(key.key), kDefault);
    return placement;
}

bool savePlacement(const QString& title, const WindowPlacement& placement) {
    QList<std::pair<QString, QString>> entries;
    for (const PlacementKey& key : kKeys)
        entries.append({QLatin1String(key.key), QString::number(placement.*key.field)});
    return IniFile(settingsFilePath()).writeStrings(sectionFor(title), entries);
}
