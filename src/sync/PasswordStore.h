#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

// Where the password of a sync account is kept between runs: the desktop's key store. The
// sync asks through this interface so that tests need no key store.
class CPasswordStore {
public:
    using Found = std::function<void(std::optional<QString>)>;
    using Written = std::function<void(bool)>;

    virtual ~CPasswordStore() = default;
    // Calls back with the password, or nothing when the store has none or does not answer.
    virtual void read(const QString& key, Found found) = 0;
    virtual void write(const QString& key, const QString& password, Written written) = 0;
};

// The desktop's key store through QtKeychain (service "Tarvex sync"). A store that does not
// answer within a few seconds counts as having nothing: the caller then asks the user.
class CKeychainStore : public QObject, public CPasswordStore {
public:
    explicit CKeychainStore(QObject* parent = nullptr) : QObject(parent) {}
    void read(const QString& key, Found found) override;
    void write(const QString& key, const QString& password, Written written) override;
};

// The passwords of this run: those given by the user are kept in memory only, in front of
// the persistent store.
class CSyncPasswords {
public:
    explicit CSyncPasswords(CPasswordStore& store) : m_store(store) {}

    static QString keyOf(const QString& user, const QString& server) {
        return user + u'@' + server;
    }
    void find(const QString& key, const CPasswordStore::Found& found);
    // Keeps the password for this run and offers it to the store.
    void remember(const QString& key, const QString& password);
    void forget(const QString& key) { m_run.remove(key); }

private:
    CPasswordStore& m_store;
    QHash<QString, QString> m_run;
};
