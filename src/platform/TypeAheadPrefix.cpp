#include "platform/TypeAheadPrefix.h"

CTypeAheadPrefix::CTypeAheadPrefix(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(kTimeoutMs);
    connect(&m_timer, &QTimer::timeout, this, &CTypeAheadPrefix::expire);
}

bool CTypeAheadPrefix::isTypeAheadKey(int key, const QString& text,
                                      Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (key == Qt::Key_Backspace || key == Qt::Key_Escape)
        return true;
    if (text.isEmpty())
        return false;
    const char16_t first = text.front().unicode();
    return first >= 0x20 && first != 0x7f;
}

bool CTypeAheadPrefix::feed(int key, const QString& text) {
    if (key == Qt::Key_Backspace) {
        m_text.chop(1);
    } else if (key == Qt::Key_Escape) {
        m_text.clear();
    } else if (isTypeAheadKey(key, text, Qt::NoModifier)) {
        m_text += text;
    } else {
        return false;
    }
    m_timer.start();
    return true;
}

int CTypeAheadPrefix::find(int count, const std::function<QString(int)>& entryAt) const {
    if (count <= 0)
        return -1;
    if (m_text.isEmpty())
        return 0;
    for (int row = 0; row < count; ++row) {
        if (entryAt(row).startsWith(m_text, Qt::CaseInsensitive))
            return row;
    }
    return -1;
}

void CTypeAheadPrefix::expire() {
    m_text.clear();
    m_timer.stop();
}
