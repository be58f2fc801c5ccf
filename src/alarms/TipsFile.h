#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <optional>

// The tip of the day file: one tip per line; a line that begins with a blank, a tab, ';' or
// is empty is a comment or spacing. Lines longer than 999 characters are read in pieces of
// 999, each a line of its own. The line break that ends a tip belongs to its text.
class CTipsFile {
public:
    // The bundled tips, read when the working directory has no tips file.
    static constexpr const char* kBundled = ":/tips.txt";

    // Opens the file read-only; false when it cannot be read.
    bool open(const QString& path);
    bool isOpen() const { return m_file.isOpen(); }

    // Moves to a byte offset; false when that fails.
    bool seek(qint64 position);
    qint64 position() const { return m_file.pos(); }

    // The next tip from the current position, going on from the start of the file at its
    // end. After one whole pass without a tip the tip is empty. None when the file cannot
    // be read at its start again.
    std::optional<QString> nextTip();

    // The file's last-modified time in the C library's ctime layout, without the line
    // break ("Mon Dec  6 18:12:29 1999"); empty when the time is not known.
    QString timeStamp() const;

private:
    QFile m_file;
};

// A moment in the ctime layout: weekday, month, day padded with a blank, hh:mm:ss, year.
QString ctimeText(const QDateTime& moment);
