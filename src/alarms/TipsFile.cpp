#include "alarms/TipsFile.h"

#include <QFileInfo>
#include <array>

namespace {

// A line is read into 1000 bytes, the last for the terminating zero.
constexpr qint64 kLineBuffer = 1000;

bool isTipLine(const QByteArray& line) {
    if (line.isEmpty())
        return false;
    const char first = line.front();
    return first != ' ' && first != '\t' && first != '\n' && first != ';';
}

}  // namespace

bool CTipsFile::open(const QString& path) {
    if (m_file.isOpen())
        m_file.close();
    m_file.setFileName(path);
    return m_file.open(QIODevice::ReadOnly | QIODevice::Text);
}

bool CTipsFile::seek(qint64 position) {
    return position >= 0 && m_file.seek(position);
}

std::optional<QString> CTipsFile::nextTip() {
    std::array<char, kLineBuffer> buffer{};
    // At most two ends of file: the one of the rest of the file, then a whole pass from its
    // start. A file without a tip line gives an empty tip instead of an endless search.
    int endsOfFile = 0;
    while (endsOfFile < 2) {
        const qint64 length = m_file.readLine(buffer.data(), kLineBuffer);
        if (length <= 0) {
            ++endsOfFile;
            if (endsOfFile == 2 || !m_file.seek(0))
                break;
            continue;
        }
        const QByteArray line(buffer.data(), length);
        if (isTipLine(line))
            return QString::fromUtf8(line);
    }
    if (endsOfFile == 2)
        return QString();
    return std::nullopt;
}

QString CTipsFile::timeStamp() const {
    const QDateTime modified = QFileInfo(m_file).lastModified();
    return modified.isValid() ? ctimeText(modified) : QString();
}

QString ctimeText(const QDateTime& moment) {
    static constexpr std::array<const char*, 7> days{"Mon", "Tue", "Wed", "Thu",
                                                     "Fri", "Sat", "Sun"};
    static constexpr std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDateTime local = moment.toLocalTime();
    const QDate date = local.date();
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(QLatin1String(days[date.dayOfWeek() - 1]), QLatin1String(months[date.month() - 1]))
        .arg(date.day(), 2, 10, QLatin1Char(' '))
        .arg(local.time().toString(QStringLiteral("HH:mm:ss")))
        .arg(date.year());
}
