#pragma once

#include "data/RecordSet.h"
#include "data/Schema.h"

// A record set over the table `Sharks2`: the firm dossiers, one row per firm.
class CSharks2Rcs : public CRecordSet {
public:
    explicit CSharks2Rcs(CDatabase* db = nullptr) : CRecordSet(db, schema::Sharks2) {}
};
