#pragma once

#include <QString>
#include <optional>

class QPrinter;
class QWidget;

// Every message box, file chooser and print dialog goes through the one process-wide
// prompter, so that tests can script the answers. The real one shows Qt dialogs.
class Prompter {
public:
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Icon { None, Information, Question, Exclamation, Stop };
    enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

    virtual ~Prompter() = default;

    // Shows a message with the caption "Tarvex" and returns the button pressed.
    virtual int message(const QString& text, Buttons buttons, Icon icon) = 0;
    // An open-file chooser; returns the chosen file's absolute path or an empty text.
    virtual QString openFileName(const QString& caption, const QString& filter) = 0;
    // A save-file chooser starting at `proposed`; the chosen path or an empty text.
    virtual QString saveFileName(const QString& caption, const QString& filter,
                                 const QString& proposed) = 0;
    // The print dialog for the given printer; true when the user chose to print.
    virtual bool printDialog(QPrinter& printer) = 0;
    // The page set-up dialog for the given printer's paper, orientation and margins; true
    // when the user took the choice. A prompter that cannot ask cancels.
    virtual bool pageSetupDialog(QPrinter& /*printer*/) { return false; }
    // The platform's warning sound.
    virtual void beep() = 0;
    // Asks for a password with the text as the question; nothing when cancelled. A prompter
    // that cannot ask cancels.
    virtual std::optional<QString> password(const QString& /*text*/) { return std::nullopt; }
    // Asks for a line of text with the text as the question, starting from `proposed`;
    // nothing when cancelled. A prompter that cannot ask cancels.
    virtual std::optional<QString> text(const QString& /*question*/, const QString& /*proposed*/) {
        return std::nullopt;
    }
};

// The prompter in force; the real one until setPrompter() installs another.
Prompter& prompter();
// Installs a prompter (not owned); nullptr restores the real one.
void setPrompter(Prompter* replacement);
// Installs the prompter that the real program uses (set by the user-interface library).
void setDefaultPrompter(Prompter* real);

// Shorthand for the common message boxes.
int messageBox(const QString& text, Prompter::Buttons buttons = Prompter::Buttons::Ok,
               Prompter::Icon icon = Prompter::Icon::None);
