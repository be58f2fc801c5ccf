// The tip of the day reader: the input is the tips file, read through more than one pass.
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "alarms/TipsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("tips.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    CTipsFile tips;
    if (!tips.open(path))
        return 0;
    for (int n = 0; n < 16; ++n)
        if (!tips.nextTip())
            break;
    tips.seek(static_cast<qint64>(size / 2));
    tips.nextTip();
    return 0;
}
