#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>

#include "ScriptedPrompter.h"
#include "data/DataTestSupport.h"
#include "data/FileDamage.h"
#include "data/Statement.h"
#include "exchange/ExportDialog.h"
#include "exchange/ImportDialog.h"
#include "platform/RecordIdSource.h"

namespace {

class ShownPersons : public CRecordIdSource {
public:
    QString shownTable() const override { return QStringLiteral("Person"); }
    QList<qint64> shownIds() const override { return ids; }
    QList<qint64> ids;
};

const QByteArray kTwoCards =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Able;Anna\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Boom;Bert\r\nEND:VCARD\r\n";

class ExchangeDialogTest : public DataTest {
protected:
    void writeFile(const QString& name, const QByteArray& data) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    void TearDown() override {
        filedamage::resetForTesting();
        DataTest::TearDown();
    }
    qint64 persons() { return rowsIn("Person"); }
    // Imports the two cards; the import fails with a message naming `why`, shown after the
    // progress box has gone, and nothing is written or refreshed.
    void expectFailedImport(const QString& why) {
        writeFile(QStringLiteral("in.vcf"), kTwoCards);
        CImportDialog dialog(db);
        QSignalSpy refreshed(&dialog, &CImportDialog::dataChanged);
        dialog.setFileName(path(QStringLiteral("in.vcf")));
        bool progressOpen = true;
        importReportingProgress(dialog, progressOpen);
        ASSERT_EQ(prompts.messages().size(), 1);
        EXPECT_TRUE(prompts.messages()[0].contains(why)) << prompts.messages()[0].toStdString();
        EXPECT_FALSE(progressOpen);
        EXPECT_EQ(refreshed.count(), 0);
        EXPECT_EQ(persons(), 0);
    }
    // Runs the import; the first message is answered once it was checked whether a
    // progress box was still there to cover it.
    void importReportingProgress(CImportDialog& dialog, bool& progressOpen) {
        prompts.answerWith([&dialog, &progressOpen](const QString&) {
            progressOpen = !dialog.findChildren<QProgressDialog*>().isEmpty();
            return int(Prompter::No);
        });
        dialog.runImport();
    }
    ScriptedPrompter prompts;
};

TEST_F(ExchangeDialogTest, ImportIntoADamagedFileWritesNothingAndReportsWithNoProgressOpen) {
    filedamage::noteDamage();
    expectFailedImport(QStringLiteral("damaged"));
}

TEST_F(ExchangeDialogTest, AnImportFailingHalfwayIsRolledBackAndReportedAfterItsProgress) {
    CStatement(db, QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON \"Person\" "
                                  "WHEN NEW.\"lastname\" = 'Boom' "
                                  "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END"))
        .execute();
    expectFailedImport(QStringLiteral("refused by the test"));
}

TEST_F(ExchangeDialogTest, ImportShowsTheSummaryAndRefreshesOnceOnlyWhenSomethingWasAdded) {
    writeFile(QStringLiteral("in.vcf"),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Anna\r\nFN:Anna Smith\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Acme\r\nORG:Acme\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Anna\r\nFN:Anna Smith\r\nEND:VCARD\r\n"
              "garbage\r\n");
    CImportDialog dialog(db);
    QSignalSpy refreshed(&dialog, &CImportDialog::dataChanged);
    dialog.setFileName(path(QStringLiteral("in.vcf")));
    prompts.answer(Prompter::Ok);
    dialog.runImport();
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_EQ(prompts.messages()[0],
              QStringLiteral("4 cards read as UTF-8: 1 persons and 1 companies added, 1 skipped as "
                             "probably already present (1 same name), 1 not readable.\n"
                             "line 11: Smith Anna is probably already present (same name)\n"
                             "line 16: text outside of a card"));
    EXPECT_EQ(refreshed.count(), 1);

    prompts.answer(Prompter::Ok);
    dialog.runImport();
    EXPECT_EQ(prompts.messages()[1],
              QStringLiteral("4 cards read as UTF-8: 0 persons and 0 companies added, 3 skipped as "
                             "probably already present (3 same name), 1 not readable.\n"
                             "line 1: Smith Anna is probably already present (same name)\n"
                             "line 6: Acme is probably already present (same name)\n"
                             "line 11: Smith Anna is probably already present (same name)\n"
                             "line 16: text outside of a card"));
    EXPECT_EQ(refreshed.count(), 1);
}

TEST_F(ExchangeDialogTest, ImportOfAMissingFileSaysSoAndChangesNothing) {
    CImportDialog dialog(db);
    QSignalSpy refreshed(&dialog, &CImportDialog::dataChanged);
    dialog.setFileName(path(QStringLiteral("missing.vcf")));
    prompts.answer(Prompter::Ok);
    dialog.runImport();
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages()[0].contains(QStringLiteral("cannot be read")));
    EXPECT_EQ(prompts.lastIcon(), Prompter::Icon::Stop);
    EXPECT_EQ(refreshed.count(), 0);
}

TEST_F(ExchangeDialogTest, ExportOfTheActiveListKeepsItsRowsAndOrder) {
    for (const char* name : {"Able", "Baker", "Carter"}) {
        CStatement insert(db, QStringLiteral("INSERT INTO \"Person\" (\"lastname\") VALUES (?)"));
        insert.bind(1, QString::fromLatin1(name));
        insert.execute();
    }
    ShownPersons shown;
    shown.ids = {3, 1};
    CExportDialog dialog(db, &shown);
    dialog.choose(CExportDialog::Persons, CExportDialog::Csv, true);
    dialog.setFileName(path(QStringLiteral("out.csv")));
    prompts.answer(Prompter::Ok);
    dialog.runExport();
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages()[0].startsWith(QStringLiteral("2 records written")));
    QFile file(path(QStringLiteral("out.csv")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[1].startsWith("Carter,"));
    EXPECT_TRUE(lines[2].startsWith("Able,"));
}

// A link to the contacts file is the contacts file: written over by a rename, it would be gone.
TEST_F(ExchangeDialogTest, TheContactsFileUnderAnyNameIsNeitherExportedIntoNorImported) {
    CStatement(db, QStringLiteral("INSERT INTO \"Person\" (\"lastname\") VALUES ('Kept')"))
        .execute();
    const QString link = path(QStringLiteral("people.vcf"));
    ASSERT_TRUE(QFile::link(dbPath, link));
    for (const QString& target : {dbPath, link, dbPath + QStringLiteral("-wal")}) {
        CExportDialog dialog(db, nullptr);
        dialog.choose(CExportDialog::Persons, CExportDialog::VCard4, false);
        dialog.setFileName(target);
        prompts.answer(Prompter::Ok);
        dialog.runExport();
        ASSERT_FALSE(prompts.messages().isEmpty());
        EXPECT_TRUE(prompts.messages().last().contains(QLatin1String("choose another file")))
            << target.toStdString();
    }
    // Nor is it read as a file to import.
    CImportDialog import(db);
    import.setFileName(link);
    prompts.answer(Prompter::Ok);
    import.runImport();
    EXPECT_TRUE(prompts.messages().last().contains(QLatin1String("choose another file")));
    CStatement count(db, QStringLiteral("SELECT count(*) FROM Person"));
    ASSERT_TRUE(count.step());
    EXPECT_EQ(count.int64(0), 1);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST_F(ExchangeDialogTest, BrowseChoosesTheFileThroughTheSaveChooser) {
    CExportDialog dialog(db, nullptr);
    prompts.answerFile(path(QStringLiteral("chosen.vcf")));
    dialog.findChild<QPushButton*>(QStringLiteral("browse"))->click();
    EXPECT_EQ(dialog.findChild<QLineEdit*>()->text(), path(QStringLiteral("chosen.vcf")));
}

TEST_F(ExchangeDialogTest, ExportOfAnEmptyActiveListWritesNoRecords) {
    CStatement(db, QStringLiteral("INSERT INTO \"Person\" (\"lastname\") VALUES ('Able')"))
        .execute();
    ShownPersons shown;
    CExportDialog dialog(db, &shown);
    dialog.choose(CExportDialog::Persons, CExportDialog::VCard4, true);
    dialog.setFileName(path(QStringLiteral("out.vcf")));
    prompts.answer(Prompter::Ok);
    dialog.runExport();
    QFile file(path(QStringLiteral("out.vcf")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("Able"));
}

}  // namespace
