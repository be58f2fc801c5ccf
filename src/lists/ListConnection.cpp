#include "lists/ListConnection.h"

#include "data/Connection.h"
#include "data/Database.h"

namespace {

// The server connection the open lists share, and what it was opened with.
struct SharedListConnection {
    std::weak_ptr<CDatabase> db;
    QString path;
    QString password;
};

SharedListConnection& shared() {
    static SharedListConnection connection;
    return connection;
}

std::shared_ptr<CDatabase> openNew(const QString& path, const QString& password) {
    auto db = std::make_shared<CDatabase>();
    // On a server the list's connection hears nothing: the shared connection hears the
    // changes and tells the lists.
    db->Open(path, false, CDatabase::isServerAddress(path), connectText(password));
    return db;
}

}  // namespace

std::shared_ptr<CDatabase> openListConnection(const QString& path, const QString& password) {
    if (!CDatabase::isServerAddress(path))
        return openNew(path, password);
    SharedListConnection& lists = shared();
    if (std::shared_ptr<CDatabase> db = lists.db.lock();
        db && db->IsOpen() && lists.path == path && lists.password == password)
        return db;
    std::shared_ptr<CDatabase> db = openNew(path, password);
    lists = {db, path, password};
    return db;
}
