#pragma once

#include "data/RecordSet.h"
#include "data/Schema.h"

// A record set over the stored query `FirmFirmQuery`: the firm names of `Firm`.
class CFirmFirmQRcs : public CRecordSet {
public:
    explicit CFirmFirmQRcs(CDatabase* db = nullptr) : CRecordSet(db, schema::FirmFirmQuery) {}
};
