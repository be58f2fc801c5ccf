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

std::optional<QString> ScriptedPrompter::password(const QString& text) {
    m_messages.append(text);
    if (m_passwords.empty()) {
        if (!m_lenient)
            ADD_FAILURE() << "unexpected password prompt: " << text.toStdString();
        return std::nullopt;
    }
    const bool typed = m_passwords.front().has_value();
    const QString typedText = m_passwords.front().value_or(QString());
    m_passwords.pop_front();
    if (!typed)
        return std::nullopt;
    return typedText;
}

std::optional<QString> ScriptedPrompter::text(const QString& question, const QString& proposed) {
    m_messages.append(question);
    m_textProposed = proposed;
    if (m_texts.empty()) {
        if (!m_lenient)
            ADD_FAILURE() << "unexpected text prompt: " << question.toStdString();
        return std::nullopt;
    }
    // Read as the password is: moving the optional out makes GCC warn of an unset value.
    const bool typed = m_texts.front().has_value();
    const QString typedText = m_texts.front().value_or(QString());
    m_texts.pop_front();
    if (!typed)
        return std::nullopt;
    return typedText;
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
