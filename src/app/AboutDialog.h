#pragma once

#include <QDialog>

// The modal "About Tarvex" box.
class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};
