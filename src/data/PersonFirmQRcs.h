#pragma once

#include "data/RecordSet.h"
#include "data/Schema.h"

// A record set over the stored query `PersonFirmQuery`: the firms that persons name.
class CPersonFirmQRcs : public CRecordSet {
public:
    explicit CPersonFirmQRcs(CDatabase* db = nullptr) : CRecordSet(db, schema::PersonFirmQuery) {}
};
