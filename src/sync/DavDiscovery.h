#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <memory>

#include "sync/DavClient.h"

// An address book or calendar that an account may sync with.
struct DavCollection {
    enum class Kind { AddressBook, Calendar };
    Kind kind = Kind::AddressBook;
    QUrl url;
    QString displayName;
    QStringList vCardVersions;
};

// Finds the address books and calendars of an account: the well-known addresses of
// CardDAV and CalDAV (or the address given, when they lead nowhere), the user's principal,
// its address book and calendar homes, and the collections in them.
class CDavDiscovery : public QObject {
    Q_OBJECT
public:
    CDavDiscovery(QUrl server, QString user, QString password, QObject* parent = nullptr);
    ~CDavDiscovery() override;

    void setTrustQuestion(CDavClient::TrustQuestion question);
    void start();

signals:
    // The collections found, or an error in plain words.
    void finished(const QList<DavCollection>& collections, const QString& error);

private:
    void findPrincipal(QStringList candidates);
    void readHomes(const QString& principal);
    void listHomes();
    void fail(const DavReply& reply);

    QUrl m_server;
    std::unique_ptr<CDavClient> m_client;
    QStringList m_homes;
    QList<DavCollection> m_found;
};
