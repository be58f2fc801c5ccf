#pragma once

#include "data/RecordSet.h"
#include "data/Schema.h"

// A record set over the table `Firm`; its default source can be set per object.
class CFirmRcs : public CRecordSet {
public:
    explicit CFirmRcs(CDatabase* db = nullptr) : CRecordSet(db, schema::Firm) {}
    QString GetDefaultSQL() const override { return m_strSource; }

    QString m_strSource = QStringLiteral("[Firm]");
};
