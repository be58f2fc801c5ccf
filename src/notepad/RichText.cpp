#include "notepad/RichText.h"

QString RichParagraph::text() const {
    QString result;
    for (const RichRun& run : runs)
        result += run.text;
    return result;
}

QString RichText::plainText() const {
    QString result;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            result += QLatin1Char('\n');
        result += paragraphs[i].text();
    }
    return result;
}

bool RichText::isEmpty() const {
    for (const RichParagraph& paragraph : paragraphs) {
        for (const RichRun& run : paragraph.runs) {
            if (!run.text.isEmpty())
                return false;
        }
    }
    return paragraphs.size() <= 1;
}

RichTextBuilder::RichTextBuilder() {
    m_text.paragraphs.emplace_back();
}

void RichTextBuilder::setAlignment(RichAlignment alignment) {
    m_text.paragraphs.back().alignment = alignment;
}

void RichTextBuilder::appendToRun(const QString& text) {
    if (text.isEmpty())
        return;
    m_empty = false;
    std::vector<RichRun>& runs = m_text.paragraphs.back().runs;
    if (!runs.empty() && runs.back().format == m_format) {
        runs.back().text += text;
    } else {
        runs.push_back({text, m_format});
    }
}

void RichTextBuilder::insertText(const QString& text) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        appendToRun(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        endParagraph();
        start = i + 1;
    }
    appendToRun(text.mid(start));
}

void RichTextBuilder::endParagraph() {
    m_empty = false;
    const RichAlignment alignment = m_text.paragraphs.back().alignment;
    m_text.paragraphs.emplace_back();
    m_text.paragraphs.back().alignment = alignment;
}

RichText RichTextBuilder::take() {
    RichText result = std::move(m_text);
    m_text = RichText();
    m_text.paragraphs.emplace_back();
    m_empty = true;
    return result;
}
