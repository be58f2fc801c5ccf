#pragma once

#include <QString>
#include <initializer_list>
#include <utility>

#include "data/Connection.h"
#include "data/Database.h"
#include "data/RecordSet.h"
#include "data/Statement.h"
#include "support/TempWorkDir.h"

// A fresh, empty Tarvex.mdb in the test's working directory, opened on `db` and set as
// the database path.
class DataTest : public TempWorkDirTest {
protected:
    void SetUp() override {
        TempWorkDirTest::SetUp();
        dbPath = path(QStringLiteral("Tarvex.mdb"));
        CDatabase::Create(dbPath, password());
        setDatabasePath(dbPath);
        setCurrentPassword(password());
        db.Open(dbPath, false, false, connectText(password()));
    }
    void TearDown() override {
        db.Close();
        sharedDatabase().Close();
        TempWorkDirTest::TearDown();
    }
    virtual QString password() const { return {}; }

    // Adds a record through a record set: column/value pairs.
    static qint64 add(CRecordSet& records,
                      std::initializer_list<std::pair<const char*, QVariant>> values) {
        records.AddNew();
        for (const auto& [column, value] : values)
            records.setValue(QLatin1String(column), value);
        records.Update();
        return records.GetLastModifiedBookmark();
    }

    // The rows of a table, as the engine counts them on the test's connection.
    qint64 rowsIn(const char* table) {
        CStatement statement(
            db, QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(QLatin1String(table)));
        statement.step();
        return statement.int64(0);
    }

    CDatabase db;
    QString dbPath;
};
