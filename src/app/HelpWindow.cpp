#include "app/HelpWindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/CommandIcon.h"

CHelpWindow::CHelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), m_browser(new QTextBrowser(this)) {
    initBuiltInResources();
    setWindowTitle(QStringLiteral("Tarvex Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 520);
}

void CHelpWindow::showPage(const QString& anchor) {
    QUrl url(QStringLiteral("qrc:/help/index.html"));
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    m_browser->setSource(url);
    show();
    raise();
    activateWindow();
}

QString CHelpWindow::currentSource() const {
    return m_browser->source().toString();
}
