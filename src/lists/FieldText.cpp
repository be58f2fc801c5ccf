#include "lists/FieldText.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace {

const QString kDateFormat = QStringLiteral("yyyy/MM/dd");
const QString kTimeFormat = QStringLiteral("HH:mm:ss");

QString dateTimeText(const QDateTime& moment, bool timeFlag) {
    return timeFlag ? moment.time().toString(kTimeFormat) : moment.date().toString(kDateFormat);
}

}  // namespace

QString VariantToText(const QVariant& value, bool timeFlag) {
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    switch (value.typeId()) {
        case QMetaType::Short:
        case QMetaType::Int:
        case QMetaType::LongLong:  // the engine hands whole numbers over as 64-bit values
            return QString::number(value.toLongLong());
        case QMetaType::Float:
        case QMetaType::Double:
            return QString::asprintf("%e", value.toDouble());
        case QMetaType::QDateTime:
            return dateTimeText(value.toDateTime(), timeFlag);
        case QMetaType::QDate:
            return dateTimeText(QDateTime(value.toDate(), QTime(0, 0)), timeFlag);
        case QMetaType::QTime:
            return value.toTime().toString(kTimeFormat);
        case QMetaType::QString:
            return value.toString();
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        case QMetaType::UChar:
            return QString::asprintf("0x%02hX", static_cast<unsigned short>(value.value<uchar>()));
        default:
            return QStringLiteral("Fish");
    }
}
