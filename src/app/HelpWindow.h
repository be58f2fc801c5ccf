#pragma once

#include <QWidget>

class QTextBrowser;

// The bundled HTML help in a window of its own.
class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Shows the help's contents, scrolled to the anchor when one is given.
    void showPage(const QString& anchor);
    QString currentSource() const;

private:
    QTextBrowser* m_browser;
};
