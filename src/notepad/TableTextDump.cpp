#include "notepad/TableTextDump.h"

#include <algorithm>

#include "data/Connection.h"
#include "data/ErrorReport.h"
#include "data/RecordSet.h"
#include "data/TableDef.h"
#include "lists/FieldText.h"
#include "notepad/RichText.h"

int TableTextDump(const QString& table, RichTextBuilder* target, const QString& filter,
                  const QString& sort) {
    if (!target)
        return 0;
    const bool done = reportDbErrors([&] {
        const int columns = CTableDef(sharedDatabase(), table).GetFieldCount();
        CRecordSet rs(&sharedDatabase());
        rs.m_strFilter = filter;
        rs.m_strSort = sort;
        rs.Open(CRecordSet::dbOpenForwardOnly, u'[' + table + u']');
        // The first two columns are the record's own id and its owner's.
        const int last = std::min(columns, rs.GetFieldCount());
        for (; !rs.IsEOF(); rs.MoveNext()) {
            for (int i = 2; i < last; ++i) {
                const QString name = rs.GetFieldInfo(i).m_strName;
                const QString value =
                    VariantToText(rs.GetFieldValue(i), name.toLower() == QLatin1String("time"));
                RichCharFormat format = target->format();
                format.bold = true;
                format.face = QStringLiteral("arial");
                format.color = kDumpNameColor;
                target->setFormat(format);
                target->insertText(name);
                format.bold = false;
                format.color.reset();
                target->setFormat(format);
                target->insertText(QStringLiteral("\r\n") + value + QStringLiteral("\r\n\r\n"));
            }
        }
        rs.Close();
    });
    return done ? 1 : 0;
}
