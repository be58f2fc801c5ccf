#include "notepad/RtfFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "data/ContactsFileIdentity.h"
#include "notepad/RtfReader.h"
#include "notepad/RtfWriter.h"

std::optional<RichText> ReadRtfFile(const QString& path, QString* problem) {
    const QString& shown = path;
    if (isContactsFile(path)) {
        if (problem)
            *problem = contactsFileRefusal(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        if (problem)
            *problem = QStringLiteral("%1\nThis file does not exist.").arg(shown);
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem =
                QStringLiteral("%1\nThis file cannot be read: %2").arg(shown, file.errorString());
        return std::nullopt;
    }
    const QByteArray data = file.readAll();
    if (!IsRtf(data)) {
        if (problem)
            *problem =
                QStringLiteral("%1\nThis file is not a rich-text (RTF) document.").arg(shown);
        return std::nullopt;
    }
    return ReadRtf(data);
}

bool WriteRtfFile(const QString& path, const RichText& text, QString* problem) {
    if (isContactsFile(path)) {
        if (problem)
            *problem = contactsFileRefusal(path);
        return false;
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(WriteRtf(text));
        if (file.commit())
            return true;
    }
    if (problem)
        *problem = QStringLiteral("%1\nThe file cannot be saved: %2").arg(path, file.errorString());
    return false;
}
