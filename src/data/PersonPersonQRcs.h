#pragma once

#include "data/RecordSet.h"
#include "data/Schema.h"

// A record set over the stored query `PersonPersonQuery`: the person display names.
class CPersonPersonQRcs : public CRecordSet {
public:
    explicit CPersonPersonQRcs(CDatabase* db = nullptr)
        : CRecordSet(db, schema::PersonPersonQuery) {}
};
