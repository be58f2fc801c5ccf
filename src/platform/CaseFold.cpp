#include "platform/CaseFold.h"

QString caseFolded(const QString& text) {
    const qsizetype size = text.size();
    const QChar* units = text.constData();
    bool upper = false;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i].unicode();
        if (unit >= 0x80)
            return text.toCaseFolded();
        upper = upper || (unit >= u'A' && unit <= u'Z');
    }
    // Nothing to fold: the text itself, shared.
    if (!upper)
        return text;
    QString folded(size, Qt::Uninitialized);
    QChar* out = folded.data();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i].unicode();
        out[i] = (unit >= u'A' && unit <= u'Z') ? QChar(unit + 32) : QChar(unit);
    }
    return folded;
}
