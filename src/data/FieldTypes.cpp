#include "data/FieldTypes.h"

FieldType fieldTypeFromDeclaredType(const QString& declaredType) {
    const QString type = declaredType.toUpper();
    if (type.contains(QLatin1String("INT")))
        return FieldType::Long;
    if (type.contains(QLatin1String("DATE")) || type.contains(QLatin1String("TIME")))
        return FieldType::DateTime;
    return FieldType::Text;
}

QString declaredTypeOf(FieldType type) {
    switch (type) {
        case FieldType::Long:
            return QStringLiteral("INTEGER");
        case FieldType::DateTime:
            return QStringLiteral("DATETIME");
        case FieldType::Text:
            break;
    }
    return QStringLiteral("TEXT COLLATE NOCASE");
}
