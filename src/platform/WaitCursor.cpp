#include "platform/WaitCursor.h"

#include <QCursor>

#include <QGuiApplication>

WaitCursor::WaitCursor() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_shown = true;
    }
}

WaitCursor::~WaitCursor() {
    if (m_shown && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::restoreOverrideCursor();
}
