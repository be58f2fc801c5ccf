#include "platform/Prompter.h"

#include <QtGlobal>

namespace {

// Used before the user-interface library installs the real prompter (core-only programs):
// it answers every question with its default button.
class SilentPrompter final : public Prompter {
public:
    int message(const QString& text, Buttons buttons, Icon) override {
        qWarning("%s", qPrintable(text));
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? No : Ok;
    }
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool printDialog(QPrinter&) override { return false; }
    void beep() override {}
};

SilentPrompter silent;
Prompter* defaultPrompter = &silent;
Prompter* installed = nullptr;

}  // namespace

Prompter& prompter() {
    return installed ? *installed : *defaultPrompter;
}

void setPrompter(Prompter* replacement) {
    installed = replacement;
}

void setDefaultPrompter(Prompter* real) {
    defaultPrompter = real ? real : &silent;
}

int messageBox(const QString& text, Prompter::Buttons buttons, Prompter::Icon icon) {
    return prompter().message(text, buttons, icon);
}
