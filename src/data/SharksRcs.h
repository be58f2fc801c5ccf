#pragma once

#include "data/RecordSet.h"
#include "data/Schema.h"

// A record set over the table `Sharks`: the person dossiers, one row per person.
class CSharksRcs : public CRecordSet {
public:
    explicit CSharksRcs(CDatabase* db = nullptr) : CRecordSet(db, schema::Sharks) {}
};
