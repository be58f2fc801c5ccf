#include "ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <QPrinter>

ScriptedPrompter::ScriptedPrompter() {
    setPrompter(this);
}

ScriptedPrompter::~ScriptedPrompter() {
    setPrompter(nullptr);
}

int ScriptedPrompter::message(const QString& text, Buttons buttons, Icon icon) {
    m_messages.append(text);
    m_lastIcon = icon;
    m_lastButtons = buttons;
    if (!m_callbacks.empty()) {
        auto callback = std::move(m_callbacks.front());
        m_callbacks.pop_front();
        return callback(text);
    }
    if (!m_answers.empty()) {
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    if (!m_lenient)
        ADD_FAILURE() << "unexpected message: " << text.toStdString();
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? No : Ok;
}

QString ScriptedPrompter::openFileName(const QString&, const QString&) {
    if (m_files.empty())
        return {};
    QString path = m_files.front();
    m_files.pop_front();
    return path;
}

QString ScriptedPrompter::saveFileName(const QString& caption, const QString& filter,
                                       const QString&) {
    return openFileName(caption, filter);
}

std::optional<QString> ScriptedPrompter::typedAnswer(std::deque<std::optional<QString>>& answers,
                                                     const QString& question, const char* kind) {
    m_messages.append(question);
    if (answers.empty()) {
        if (!m_lenient)
            ADD_FAILURE() << "unexpected " << kind << " prompt: " << question.toStdString();
        return std::nullopt;
    }
    // Copied, not moved out: moving the optional makes GCC warn of an unset value.
    const bool typed = answers.front().has_value();
    const QString typedText = answers.front().value_or(QString());
    answers.pop_front();
    if (!typed)
        return std::nullopt;
    return typedText;
}

std::optional<QString> ScriptedPrompter::password(const QString& text) {
    return typedAnswer(m_passwords, text, "password");
}

std::optional<QString> ScriptedPrompter::text(const QString& question, const QString& proposed) {
    m_textProposed = proposed;
    return typedAnswer(m_texts, question, "text");
}

bool ScriptedPrompter::printDialog(QPrinter& printer) {
    if (!m_printFiles.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_printFiles.front());
        m_printFiles.pop_front();
        return true;
    }
    if (m_prints.empty())
        return false;
    const bool accept = m_prints.front();
    m_prints.pop_front();
    return accept;
}

bool ScriptedPrompter::pageSetupDialog(QPrinter& printer) {
    m_pageSetupShown = printer.pageLayout();
    if (m_pageSetups.empty()) {
        ADD_FAILURE() << "unscripted page set-up dialog";
        return false;
    }
    const std::optional<QPageLayout> chosen = m_pageSetups.front();
    m_pageSetups.pop_front();
    if (!chosen)
        return false;
    printer.setPageLayout(*chosen);
    return true;
}
