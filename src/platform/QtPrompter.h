#pragma once

#include "platform/Prompter.h"

// The prompter of the real program: Qt's message box, file and print dialogs, each owned
// by the active window.
class QtPrompter final : public Prompter {
public:
    int message(const QString& text, Buttons buttons, Icon icon) override;
    QString openFileName(const QString& caption, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& filter,
                         const QString& proposed) override;
    bool printDialog(QPrinter& printer) override;
    bool pageSetupDialog(QPrinter& printer) override;
    void beep() override;
    std::optional<QString> password(const QString& text) override;
    std::optional<QString> text(const QString& question, const QString& proposed) override;
};

// Makes QtPrompter the default prompter of the process.
void installQtPrompter();
