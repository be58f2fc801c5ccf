#include "forms/NameResolution.h"

#include "data/Connection.h"
#include "data/Database.h"
#include "data/FirmRcs.h"
#include "data/PersonRcs.h"
#include "data/SqlDialect.h"

SplitName splitPersonName(const QString& text) {
    const QString name = text.trimmed();
    const qsizetype blank = name.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return {name, QString()};
    return {name.left(blank), name.mid(blank + 1)};
}

CDatabase* lookupConnection() {
    CDatabase& shared = sharedDatabase();
    return shared.IsOpen() && shared.GetName() == databasePath() ? &shared : nullptr;
}

bool firmExists(const QString& name) {
    CFirmRcs firms(lookupConnection());
    firms.m_strFilter = QStringLiteral("name = '%1'").arg(sqlQuoted(name));
    firms.Open();
    const bool found = !(firms.IsBOF() && firms.IsEOF());
    firms.Close();
    return found;
}

std::optional<QString> findPersonFirm(const QString& displayName) {
    const SplitName name = splitPersonName(displayName);
    CPersonRcs persons(lookupConnection());
    persons.m_strFilter = QStringLiteral("[lastname] = '%1'").arg(sqlQuoted(name.last));
    // Read forward in one statement: the keyset would read the rows one by one.
    persons.Open(CRecordSet::dbOpenForwardOnly);
    std::optional<QString> firm;
    for (; !persons.IsEOF(); persons.MoveNext()) {
        if (persons.text(QStringLiteral("firstname")) == name.first) {
            firm = persons.text(QStringLiteral("firm"));
            break;
        }
    }
    persons.Close();
    return firm;
}
