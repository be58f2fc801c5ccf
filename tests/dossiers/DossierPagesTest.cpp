#include <gtest/gtest.h>

#include <QSet>
#include <QStringList>

#include "data/Schema.h"
#include "dossiers/DossierPages.h"

namespace {

// Every column shown on the pages, once per appearance.
QStringList shownColumns(std::span<const DossierPageDef> pages) {
    QStringList columns;
    for (const DossierPageDef& page : pages) {
        for (const DossierField& field : page.fields)
            columns << QString::fromLatin1(field.column);
    }
    return columns;
}

QSet<QString> tableColumns(const SourceDef& table, QStringList leftOut) {
    QSet<QString> columns;
    for (const FieldDef& field : table.fields) {
        if (!leftOut.contains(QString::fromLatin1(field.name)))
            columns.insert(QString::fromLatin1(field.name));
    }
    return columns;
}

QStringList captions(std::span<const DossierPageDef> pages) {
    QStringList texts;
    for (const DossierPageDef& page : pages)
        texts << QString::fromLatin1(page.caption);
    return texts;
}

void expectUniqueControlsPerPage(std::span<const DossierPageDef> pages) {
    for (const DossierPageDef& page : pages) {
        QSet<int> ids;
        for (const DossierField& field : page.fields)
            ids.insert(field.controlId);
        EXPECT_EQ(ids.size(), static_cast<qsizetype>(page.fields.size())) << page.className;
    }
}

}  // namespace

TEST(DossierPagesTest, PersonPagesShowEveryColumnOnceButTheKeysAndAdoptedKids) {
    const QStringList shown = shownColumns(personDossierPages());
    EXPECT_EQ(shown.size(), 77);
    EXPECT_EQ(QSet<QString>(shown.begin(), shown.end()).size(), shown.size()) << "no column twice";
    EXPECT_EQ(QSet<QString>(shown.begin(), shown.end()),
              tableColumns(schema::Sharks, {"id", "id_person", "family_adoptedkids"}));
    EXPECT_EQ(captions(personDossierPages()),
              (QStringList{"Contact person", "Business", "Life style", "Education", "Family",
                           "Roots", "Special interests", "Sensitive"}));
    expectUniqueControlsPerPage(personDossierPages());
}

TEST(DossierPagesTest, FirmPagesShowEveryColumnOnceButTheKeys) {
    const QStringList shown = shownColumns(firmDossierPages());
    EXPECT_EQ(shown.size(), 37);
    EXPECT_EQ(QSet<QString>(shown.begin(), shown.end()).size(), shown.size()) << "no column twice";
    EXPECT_EQ(QSet<QString>(shown.begin(), shown.end()),
              tableColumns(schema::Sharks2, {"id", "id_firm"}));
    EXPECT_EQ(
        captions(firmDossierPages()),
        (QStringList{"Basic", "Employees", "Market", "Non business activities", "Us and them"}));
    expectUniqueControlsPerPage(firmDossierPages());
}
