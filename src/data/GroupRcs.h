#pragma once

#include "data/RecordSet.h"
#include "data/Schema.h"

// A record set over the table `Group`.
class CGroupRcs : public CRecordSet {
public:
    explicit CGroupRcs(CDatabase* db = nullptr) : CRecordSet(db, schema::Group) {}
};
