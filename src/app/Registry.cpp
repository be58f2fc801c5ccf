#include "app/Registry.h"

#include <QSettings>

QSettings& registry() {
    static QSettings settings(QStringLiteral("Orvandel"), QStringLiteral("Tarvex"));
    return settings;
}
