#include "GenerateData.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QStringList>

#include "data/Database.h"
#include "data/Statement.h"
#include "data/StoredDateTime.h"
#include "data/Transaction.h"

namespace {

const QStringList lastNames = {
    QStringLiteral("Smith"),    QStringLiteral("Müller"),  QStringLiteral("Jones"),
    QStringLiteral("Garcia"),   QStringLiteral("O'Brien"), QStringLiteral("van Berg"),
    QStringLiteral("Novak"),    QStringLiteral("Rossi"),   QStringLiteral("Dubois"),
    QStringLiteral("Kowalski"), QStringLiteral("Tanaka"),  QStringLiteral("Ølberg"),
    QStringLiteral("MÜLLER"),   QStringLiteral("ølberg"),  QStringLiteral("SMITH")};
const QStringList firstNames = {QStringLiteral("Anna"),  QStringLiteral("John"),
                                QStringLiteral("Maria"), QStringLiteral("Peter"),
                                QStringLiteral("Eva"),   QStringLiteral("Jo Ann"),
                                QStringLiteral("Luis"),  QStringLiteral("Élise")};
const QStringList firmWords = {QStringLiteral("Acme"),    QStringLiteral("Global"),
                               QStringLiteral("Nordic"),  QStringLiteral("Systems"),
                               QStringLiteral("Trading"), QStringLiteral("Labs")};

class Sample {
public:
    QString pick(const QStringList& words) { return words.at(m_random.bounded(words.size())); }
    int below(int n) { return m_random.bounded(n); }
    // A last name made distinct enough to spread the sort.
    QString lastName(int i) { return pick(lastNames) + QString::number(i % 997); }
    QString firmName(int i) {
        return pick(firmWords) + u' ' + pick(firmWords) + u' ' + QString::number(i);
    }
    // A moment on the hour in the year 2000.
    const QString& moment() { return m_moments[static_cast<std::size_t>(below(24 * 365))]; }

private:
    static std::vector<QString> hoursOfTheYear() {
        std::vector<QString> moments;
        const QDateTime start(QDate(2000, 1, 1), QTime(0, 0));
        for (int hour = 0; hour < 24 * 365; ++hour)
            moments.push_back(toStoredDateTime(start.addSecs(hour * 3600LL)));
        return moments;
    }

    QRandomGenerator m_random{20030405};
    std::vector<QString> m_moments = hoursOfTheYear();
};

void insertRows(CDatabase& db, const QString& sql, int count, const auto& bindRow) {
    CStatement insert(db, sql);
    for (int i = 0; i < count; ++i) {
        bindRow(insert, i);
        insert.execute();
    }
}

}  // namespace

void generateData(const QString& path, const DataVolume& volume) {
    CDatabase::Create(path, {});
    CDatabase db;
    db.Open(path);
    Sample sample;
    std::vector<std::pair<QString, QString>> persons;
    std::vector<QString> personNames;
    std::vector<QString> firmNames;
    for (int i = 0; i < volume.persons; ++i) {
        persons.emplace_back(sample.lastName(i), sample.pick(firstNames));
        personNames.push_back(persons.back().first + u' ' + persons.back().second);
    }
    for (int i = 0; i < volume.firms; ++i)
        firmNames.push_back(sample.firmName(i));
    auto anyPerson = [&] {
        return personNames[static_cast<std::size_t>(sample.below(volume.persons))];
    };
    auto anyFirm = [&] { return firmNames[static_cast<std::size_t>(sample.below(volume.firms))]; };
    auto anyGroup = [&] { return QStringLiteral("Group %1").arg(sample.below(volume.groups)); };

    CTransaction transaction(db);
    insertRows(
        db,
        QStringLiteral("INSERT INTO [Person] ([lastname], [firstname], [firm], [phone_home1], "
                       "[email_home], [description], [group]) VALUES (?, ?, ?, ?, ?, ?, ?)"),
        volume.persons, [&](CStatement& row, int i) {
            const auto& [lastName, firstName] = persons[static_cast<std::size_t>(i)];
            row.bind(1, lastName);
            row.bind(2, firstName);
            row.bind(3, anyFirm());
            row.bind(4, QStringLiteral("+1 555 %1").arg(i, 7, 10, QLatin1Char('0')));
            row.bind(5, QStringLiteral("person%1@example.com").arg(i));
            row.bind(6, QStringLiteral("Met at the fair in %1.").arg(2000 + i % 20));
            row.bind(7, anyGroup());
        });
    insertRows(db,
               QStringLiteral("INSERT INTO [Firm] ([name], [person], [phone1], [web], [group]) "
                              "VALUES (?, ?, ?, ?, ?)"),
               volume.firms, [&](CStatement& row, int i) {
                   row.bind(1, firmNames[static_cast<std::size_t>(i)]);
                   row.bind(2, anyPerson());
                   row.bind(3, QStringLiteral("+1 555 %1").arg(i));
                   row.bind(4, QStringLiteral("www.firm%1.example").arg(i));
                   row.bind(5, anyGroup());
               });
    insertRows(db,
               QStringLiteral("INSERT INTO [Contact] ([date], [time], [person], [firm], "
                              "[description]) VALUES (?1, ?1, ?2, ?3, ?4)"),
               volume.contacts, [&](CStatement& row, int i) {
                   row.bind(1, sample.moment());
                   row.bind(2, anyPerson());
                   row.bind(3, anyFirm());
                   row.bind(4, QStringLiteral("Call number %1 about the offer.").arg(i));
               });
    // As on a file in use: the alarms of the past are done or disabled, the watched ones
    // (pending or repeating) lie ahead, so that none falls due while the bench runs.
    const QDateTime tomorrow = QDateTime(QDate::currentDate().addDays(1), QTime(9, 0));
    const int pastStatus[] = {0, 0, 0, 2};
    const int aheadStatus[] = {1, 1, 3, 4, 5};
    insertRows(db,
               QStringLiteral("INSERT INTO [Alarm] ([name], [date], [time], [status], [person], "
                              "[firm]) VALUES (?1, ?2, ?2, ?3, ?4, ?5)"),
               volume.alarms, [&](CStatement& row, int i) {
                   const bool ahead = i % 10 == 0;
                   row.bind(1, QStringLiteral("Reminder %1").arg(i % 500));
                   row.bind(2, ahead
                                   ? toStoredDateTime(tomorrow.addSecs(3600LL * sample.below(8760)))
                                   : sample.moment());
                   row.bind(3, ahead ? aheadStatus[sample.below(5)] : pastStatus[sample.below(4)]);
                   row.bind(4, anyPerson());
                   row.bind(5, anyFirm());
               });
    insertRows(db, QStringLiteral("INSERT INTO [Group] ([Name]) VALUES (?)"), volume.groups,
               [&](CStatement& row, int i) { row.bind(1, QStringLiteral("Group %1").arg(i)); });
    // The persons and firms of a new file have the ids 1, 2, ...
    insertRows(db,
               QStringLiteral("INSERT INTO [Sharks] ([id_person], [buyer_pol], [busbio_goals]) "
                              "VALUES (?, ?, ?)"),
               volume.persons / DataVolume::dossierEvery, [&](CStatement& row, int i) {
                   row.bind(1, i * DataVolume::dossierEvery + 1);
                   row.bind(2, QStringLiteral("Buys after a second offer; Ärger über Preise."));
                   row.bind(3,
                            QStringLiteral("Wants the regional office by %1.").arg(2000 + i % 30));
               });
    insertRows(db,
               QStringLiteral("INSERT INTO [Sharks2] ([id_firm], [basic_specialization], "
                              "[market_strongs]) VALUES (?, ?, ?)"),
               volume.firms / DataVolume::dossierEvery, [&](CStatement& row, int i) {
                   row.bind(1, i * DataVolume::dossierEvery + 1);
                   row.bind(2, QStringLiteral("Precision parts"));
                   row.bind(3, QStringLiteral("Fast delivery, l'esprit d'équipe"));
               });
    transaction.Commit();
}
