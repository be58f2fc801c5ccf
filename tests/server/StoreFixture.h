#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <initializer_list>
#include <string>
#include <utility>

#include "data/Connection.h"
#include "data/Database.h"
#include "data/RecordSet.h"
#include "support/TempWorkDir.h"

// The two engines every test of this kind runs on.
enum class Store { File, Server };

// A new empty store: the contacts file `file`, or a new database with the Tarvex tables on
// the test server. Returns its path or address.
QString newStore(Store store, const QString& file);
// The password that opens a store of the kind (none for the file).
QString storePassword(Store store);
// Opens another connection to the store, as a second window, program or user would.
void openStore(CDatabase& db, Store store, const QString& location);

std::string storeName(const testing::TestParamInfo<Store>& info);

#define INSTANTIATE_ON_BOTH_STORES(Fixture) \
    INSTANTIATE_TEST_SUITE_P(Store, Fixture, testing::Values(Store::File, Store::Server), storeName)

// A test of the data layer on a new empty store of its parameter's kind: opened on `db`,
// and set as the process's database path and shared connection, as start-up leaves them.
class StoreTest : public TempWorkDirTest, public testing::WithParamInterface<Store> {
protected:
    void SetUp() override;
    void TearDown() override;

    bool onServer() const { return GetParam() == Store::Server; }
    void open(CDatabase& connection) const { openStore(connection, GetParam(), location); }

    // Adds a record through a record set: column/value pairs. Returns its key.
    static qint64 add(CRecordSet& records,
                      std::initializer_list<std::pair<const char*, QVariant>> values);

    QString location;
    CDatabase db;
};

// A fixture made of `Fixture` (a FormTest, whose store is a new contacts file) that runs on
// the store of its parameter's kind instead.
template <class Fixture>
class OnStore : public Fixture, public testing::WithParamInterface<Store> {
protected:
    QString newDatabase() override {
        return newStore(GetParam(), Fixture::path(QStringLiteral("Tarvex.mdb")));
    }
    QString databasePassword() const override { return storePassword(GetParam()); }
    bool onServer() const { return GetParam() == Store::Server; }
};
