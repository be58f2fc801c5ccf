#pragma once

#include "data/RecordSet.h"
#include "data/Schema.h"

// A record set over the table `Contact`: the logged meetings and calls.
class CContactRcs : public CRecordSet {
public:
    explicit CContactRcs(CDatabase* db = nullptr) : CRecordSet(db, schema::Contact) {}
};
