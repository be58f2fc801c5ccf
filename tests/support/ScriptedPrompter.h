#pragma once

#include <QPageLayout>
#include <QStringList>
#include <deque>
#include <functional>

#include "platform/Prompter.h"

// Answers prompts from a script and records every message shown. A message without a
// scripted answer fails the test and gets the default answer (No / Ok).
class ScriptedPrompter : public Prompter {
public:
    ScriptedPrompter();
    ~ScriptedPrompter() override;

    // Queues the answer to the next message box.
    void answer(int button) { m_answers.push_back(button); }
    // Queues a callback that runs when the next message box is shown (it may inspect
    // windows) and returns the button to press.
    void answerWith(std::function<int(const QString&)> callback) {
        m_callbacks.push_back(std::move(callback));
    }
    void answerFile(const QString& path) { m_files.push_back(path); }
    void answerPrint(bool accept) { m_prints.push_back(accept); }
    // Queues a print dialog that prints into the given PDF file.
    void answerPrintTo(const QString& pdf) { m_printFiles.push_back(pdf); }
    // Queues the page set-up dialog's answer: the layout chosen, or nothing to cancel.
    void answerPageSetup(std::optional<QPageLayout> chosen) {
        m_pageSetups.push_back(std::move(chosen));
    }
    // Queues the text typed at the next password prompt; an empty optional cancels it.
    void answerPassword(std::optional<QString> typed) { m_passwords.push_back(std::move(typed)); }
    // Queues the text typed at the next text prompt; an empty optional cancels it. The text
    // the prompt offered is kept in textProposed().
    void answerText(std::optional<QString> typed) { m_texts.push_back(std::move(typed)); }
    const QString& textProposed() const { return m_textProposed; }

    int message(const QString& text, Buttons buttons, Icon icon) override;
    QString openFileName(const QString& caption, const QString& filter) override;
    // Save-file choosers take their answers from the same queue as open-file choosers.
    QString saveFileName(const QString& caption, const QString& filter,
                         const QString& proposed) override;
    bool printDialog(QPrinter& printer) override;
    // The printer's layout as the dialog opened with it is kept in pageSetupShown().
    bool pageSetupDialog(QPrinter& printer) override;
    const QPageLayout& pageSetupShown() const { return m_pageSetupShown; }
    void beep() override { ++m_beeps; }
    // Records the question like a message; an unscripted prompt fails the test.
    std::optional<QString> password(const QString& text) override;
    // Records the question like a message; an unscripted prompt fails the test.
    std::optional<QString> text(const QString& question, const QString& proposed) override;

    const QStringList& messages() const { return m_messages; }
    Icon lastIcon() const { return m_lastIcon; }
    Buttons lastButtons() const { return m_lastButtons; }
    int beeps() const { return m_beeps; }
    void clear() { m_messages.clear(); }
    // When set, unscripted messages are answered with their default instead of failing.
    void setLenient(bool lenient) { m_lenient = lenient; }

private:
    std::deque<int> m_answers;
    std::deque<std::function<int(const QString&)>> m_callbacks;
    std::deque<QString> m_files;
    std::deque<bool> m_prints;
    std::deque<QString> m_printFiles;
    std::deque<std::optional<QPageLayout>> m_pageSetups;
    QPageLayout m_pageSetupShown;
    // The next scripted answer of a prompt that asks for typed text (none: cancelled).
    std::optional<QString> typedAnswer(std::deque<std::optional<QString>>& answers,
                                       const QString& question, const char* kind);

    std::deque<std::optional<QString>> m_passwords;
    std::deque<std::optional<QString>> m_texts;
    QString m_textProposed;
    QStringList m_messages;
    Icon m_lastIcon = Icon::None;
    Buttons m_lastButtons = Buttons::Ok;
    int m_beeps = 0;
    bool m_lenient = false;
};
