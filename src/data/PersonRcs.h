#pragma once

#include "data/RecordSet.h"
#include "data/Schema.h"

// A record set over the table `Person`; its default source can be set per object.
class CPersonRcs : public CRecordSet {
public:
    explicit CPersonRcs(CDatabase* db = nullptr) : CRecordSet(db, schema::Person) {}
    QString GetDefaultSQL() const override { return m_strSource; }

    QString m_strSource = QStringLiteral("[Person]");
};
