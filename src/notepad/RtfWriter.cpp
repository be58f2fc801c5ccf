#include "notepad/RtfWriter.h"

#include <QStringList>
#include <algorithm>
#include <vector>

#include "notepad/CodePage.h"

namespace {

void appendEscaped(QByteArray& out, const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == QChar::LineSeparator) {
            out += "\\line ";
        } else if (u == 0x00A0) {
            out += "\\~";
        } else if (u < 0x20) {
            continue;
        } else if (u < 0x80) {
            out += static_cast<char>(u);
        } else {
            out += "\\u" + QByteArray::number(static_cast<short>(u));
            if (const std::optional<char> b = codepage::toWestern(c)) {
                out += "\\'" + QByteArray::number(static_cast<unsigned char>(*b), 16);
            } else {
                out += '?';
            }
        }
    }
}

const char* alignmentWord(RichAlignment alignment) {
    switch (alignment) {
        case RichAlignment::Center:
            return "\\qc";
        case RichAlignment::Right:
            return "\\qr";
        case RichAlignment::Justify:
            return "\\qj";
        case RichAlignment::Left:
            break;
    }
    return "\\ql";
}

}  // namespace

QByteArray WriteRtf(const RichText& text) {
    QStringList faces;
    std::vector<unsigned> colors;
    for (const RichParagraph& paragraph : text.paragraphs) {
        for (const RichRun& run : paragraph.runs) {
            const RichCharFormat& f = run.format;
            if (!f.face.isEmpty() && !faces.contains(f.face))
                faces.append(f.face);
            if (f.color && std::find(colors.begin(), colors.end(), *f.color) == colors.end())
                colors.push_back(*f.color);
        }
    }

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\uc1";
    out += "{\\fonttbl";
    for (qsizetype i = 0; i < faces.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
        appendEscaped(out, faces[i]);
        out += ";}";
    }
    out += "}\r\n{\\colortbl ;";
    for (unsigned color : colors) {
        out += "\\red" + QByteArray::number((color >> 16) & 0xFF) + "\\green" +
               QByteArray::number((color >> 8) & 0xFF) + "\\blue" +
               QByteArray::number(color & 0xFF) + ';';
    }
    out += "}\r\n";

    for (const RichParagraph& paragraph : text.paragraphs) {
        out += "\\pard";
        out += alignmentWord(paragraph.alignment);
        out += ' ';
        for (const RichRun& run : paragraph.runs) {
            const RichCharFormat& f = run.format;
            out += "{\\plain";
            if (!f.face.isEmpty())
                out += "\\f" + QByteArray::number(faces.indexOf(f.face));
            if (f.halfPoints > 0)
                out += "\\fs" + QByteArray::number(f.halfPoints);
            if (f.bold)
                out += "\\b";
            if (f.italic)
                out += "\\i";
            if (f.underline)
                out += "\\ul";
            if (f.color) {
                const auto index =
                    std::find(colors.begin(), colors.end(), *f.color) - colors.begin();
                out += "\\cf" + QByteArray::number(index + 1);
            }
            out += ' ';
            appendEscaped(out, run.text);
            out += '}';
        }
        out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}
