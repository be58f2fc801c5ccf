#include "notepad/TableTextDump.h"

#include <algorithm>

#include "data/Connection.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "data/RecordSet.h"
#include "data/TableDef.h"
#include "lists/FieldText.h"
#include "notepad/RichText.h"

int TableTextDump(const QString& table, RichTextBuilder* target, const QString& filter,
                  const QString& sort) {
    if (!target)
        return 0;
    int columns = 0;
    try {
        columns = CTableDef(sharedDatabase(), table).GetFieldCount();
    } catch (const CDbException& e) {
        ReportDbException(e);
        return 0;
    }
    QString sql = QStringLiteral("select * from [%1]").arg(table);
    if (!filter.isEmpty())
        sql += QStringLiteral(" where ") + filter;
    if (!sort.isEmpty())
        sql += QStringLiteral(" order by ") + sort;
    try {
        CRecordSet rs(&sharedDatabase());
        rs.Open(CRecordSet::dbOpenDynaset, sql);
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
    } catch (const CDbException& e) {
        ReportDbException(e);
        return 0;
    }
    return 1;
}
