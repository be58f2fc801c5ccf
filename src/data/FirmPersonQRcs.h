#pragma once

#include "data/RecordSet.h"
#include "data/Schema.h"

// A record set over the stored query `FirmPersonQuery`: the persons that firms name.
class CFirmPersonQRcs : public CRecordSet {
public:
    explicit CFirmPersonQRcs(CDatabase* db = nullptr) : CRecordSet(db, schema::FirmPersonQuery) {}
};
