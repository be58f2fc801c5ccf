#include <gtest/gtest.h>

#include "duplicates/DuplicateFinder.h"
#include "duplicates/MatchKeys.h"
#include "duplicates/RecordMatcher.h"

using namespace duplicates;

namespace {

// A person's values in the matcher's column order: last, first, two e-mails, three phones.
QStringList person(const QString& last, const QString& first, const QString& email = {},
                   const QString& phone = {}) {
    return {last, first, email, {}, phone, {}, {}};
}

PartyKeys personKeys(const QStringList& values) {
    return keysOf(PartyKind::Person, std::span<const QString>(values.cbegin(), values.cend()));
}

bool sameNameKey(const QString& a, const QString& b) {
    for (const QString& key : nameKeys(a))
        if (nameKeys(b).contains(key))
            return true;
    return false;
}

}  // namespace

TEST(MatchKeysTest, NamesMeetAcrossCaseAccentsTransliterationAndPunctuation) {
    EXPECT_TRUE(sameNameKey("Müller Jürgen", "MUELLER JUERGEN"));
    EXPECT_TRUE(sameNameKey("Müller Jürgen", "müller jürgen"));
    EXPECT_TRUE(sameNameKey("Müller", "Muller"));
    EXPECT_TRUE(sameNameKey("Strauß", "STRAUSS"));
    EXPECT_TRUE(sameNameKey("GROẞ", "gross"));
    EXPECT_TRUE(sameNameKey("Renée Côté", "Renee Cote"));
    EXPECT_TRUE(sameNameKey("O'Brien-Smith", "obrien smith"));
    EXPECT_TRUE(sameNameKey("Dvořák Łukasz", "Dvorak Lukasz"));
    // Decomposed letters as some phones write them.
    EXPECT_TRUE(sameNameKey(QString::fromUtf8("Mu\xcc\x88ller"), "Mueller"));
    EXPECT_FALSE(sameNameKey("Müller", "Miller"));
    EXPECT_FALSE(sameNameKey("Mueller", "Muller")) << "only the umlaut meets both";
    EXPECT_TRUE(nameKeys(" - ").isEmpty());
    EXPECT_EQ(nameKeys("Zoë").size(), 1) << "no umlaut of a, o, u: one spelling";
}

TEST(MatchKeysTest, AddressesAndPhones) {
    EXPECT_EQ(emailKey(" Anna.Smith@Example.COM "), "anna.smith@example.com");
    EXPECT_EQ(emailKey("MAILTO:anna@example.com"), "anna@example.com");
    EXPECT_EQ(emailKey("not an address"), QString());
    EXPECT_EQ(phoneKey("+49 (89) 1234-5678"), phoneKey("089 12345678"));
    EXPECT_EQ(phoneKey("0049 89 12345678"), "12345678");
    EXPECT_EQ(phoneKey("555-1234"), "5551234");
    EXPECT_EQ(phoneKey("12 34"), QString()) << "too few digits to tell a number";
}

TEST(RecordMatcherTest, FindsByNameSwappedNameAndAddressWithTheStrongestReasonFirst) {
    CRecordMatcher matcher(PartyKind::Person);
    matcher.add(1, personKeys(person("Müller", "Jürgen", "jm@example.com")));
    matcher.add(2, personKeys(person("Smith", "Anna", {}, "+44 20 7946 0018")));
    matcher.add(3, personKeys(person("Office", "", "info@example.com", "030 1234 5678")));

    auto match = matcher.find(personKeys(person("MUELLER", "JUERGEN")));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->id, 1);
    EXPECT_EQ(match->reason(), MatchReason::SameName);

    match = matcher.find(personKeys(person("Jürgen", "Müller", "JM@example.com")));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->id, 1);
    EXPECT_EQ(match->reasons, bitOf(MatchReason::SwappedNames) | bitOf(MatchReason::SameEmail));
    EXPECT_TRUE(match->isProbablySame());

    // A name in the last-name field alone meets the same name split in two.
    match = matcher.find(personKeys(person("Smith Anna", "")));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->id, 2);

    // A shared switchboard number is a hint, not enough to take one for the other.
    match = matcher.find(personKeys(person("Jones", "Bob", {}, "0044 20 7946 0018")));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->reason(), MatchReason::SamePhone);
    EXPECT_FALSE(match->isProbablySame());
    match = matcher.find(personKeys(person("Desk", "", "Info@Example.com", "+49 30 12345678")));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->id, 3);
    EXPECT_TRUE(match->isProbablySame()) << "e-mail and phone together";

    EXPECT_FALSE(matcher.find(personKeys(person("Smith", "Bob"))));

    // A record paired once is not offered again; its namesake is.
    matcher.add(4, personKeys(person("Mueller", "Juergen")));
    matcher.remove(1, personKeys(person("Müller", "Jürgen", "jm@example.com")));
    match = matcher.find(personKeys(person("Müller", "Jürgen", "jm@example.com")));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->id, 4);
    EXPECT_EQ(match->reasons, bitOf(MatchReason::SameName));
}

TEST(DuplicateFinderTest, GroupsJoinThroughAnyKeyAndKeepTheirReasons) {
    CDuplicateFinder finder(PartyKind::Person, {});
    const auto add = [&finder](qint32 id, const QStringList& values) {
        finder.add(id, std::span<const QString>(values.cbegin(), values.cend()));
    };
    add(10, person("Müller", "Jürgen"));
    add(11, person("Smith", "Anna", "anna@example.com"));
    add(12, person("Mueller", "Juergen", "jm@example.com"));
    add(13, person("Jones", "Bob"));
    add(14, person("Juergen", "Mueller"));
    add(15, person("Smyth", "Ann", "ANNA@example.com"));
    add(16, person("MÜLLER", "J.", "jm@example.com"));

    const std::vector<DuplicateGroup> groups = finder.groups();
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].ids, (std::vector<qint32>{10, 12, 14, 16}));
    EXPECT_EQ(groups[0].reasons, bitOf(MatchReason::SameName) | bitOf(MatchReason::SwappedNames) |
                                     bitOf(MatchReason::SameEmail));
    EXPECT_EQ(groups[1].ids, (std::vector<qint32>{11, 15}));
    EXPECT_EQ(reasonsText(groups[1].reasons), "same e-mail");
}

TEST(DuplicateFinderTest, MarkedGroupsAndSharedNumbersJoinNobody) {
    CNotDuplicates marked;
    const qint32 markedIds[] = {1, 2};
    marked.markGroup(markedIds);
    EXPECT_EQ(CNotDuplicates::fromText(marked.toText() + " x-1 3-3").toText(), "1-2");

    CDuplicateFinder finder(PartyKind::Person, CNotDuplicates::fromText(marked.toText()));
    const auto add = [&finder](qint32 id, const QStringList& values) {
        finder.add(id, std::span<const QString>(values.cbegin(), values.cend()));
    };
    add(1, person("Berg", "Eva"));
    add(2, person("Berg", "Eva"));
    // A switchboard that more people share than a duplicate would.
    for (qint32 id = 100; id <= 100 + CDuplicateFinder::kSharedKeyLimit; ++id)
        add(id, person(QStringLiteral("Staff%1").arg(id), "", {}, "+1 212 555 0100"));
    EXPECT_TRUE(finder.groups().empty());

    // A third record of the name is offered with the two, which it matches.
    add(3, person("BERG", "EVA"));
    const std::vector<DuplicateGroup> groups = finder.groups();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].ids, (std::vector<qint32>{1, 2, 3}));
}
