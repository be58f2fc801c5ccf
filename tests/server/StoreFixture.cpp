#include "StoreFixture.h"

#include "ServerTestSupport.h"
#include "data/ServerConnection.h"
#include "data/ServerSchema.h"

QString newStore(Store store, const QString& file) {
    if (store == Store::File) {
        CDatabase::Create(file, {});
        return file;
    }
    const QString uri = testServer().createDatabase();
    CServerConnection setup(uri, storePassword(store));
    serverschema::ensure(setup);
    return uri;
}

QString storePassword(Store store) {
    return store == Store::File ? QString() : QString::fromUtf8(PgTestServer::kPassword);
}

void openStore(CDatabase& db, Store store, const QString& location) {
    db.Open(location, false, false, connectText(storePassword(store)));
}

std::string storeName(const testing::TestParamInfo<Store>& info) {
    return info.param == Store::File ? "File" : "Server";
}

void StoreTest::SetUp() {
    TempWorkDirTest::SetUp();
    location = newStore(GetParam(), path(QStringLiteral("Tarvex.mdb")));
    setDatabasePath(location);
    openSharedDatabase(storePassword(GetParam()));
    open(db);
}

void StoreTest::TearDown() {
    db.Close();
    sharedDatabase().Close();
    setDatabasePath(QStringLiteral("Tarvex.mdb"));
    setCurrentPassword({});
    TempWorkDirTest::TearDown();
}

qint64 StoreTest::add(CRecordSet& records,
                      std::initializer_list<std::pair<const char*, QVariant>> values) {
    records.AddNew();
    for (const auto& [column, value] : values)
        records.setValue(QLatin1String(column), value);
    records.Update();
    return records.GetLastModifiedBookmark();
}
