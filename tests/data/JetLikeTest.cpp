#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cstring>

#include "data/JetLike.h"

namespace {
bool like(const char* text, const char* pattern) {
    return jetLike(QString::fromUtf8(text), QString::fromUtf8(pattern));
}
}  // namespace

TEST(JetLike, Wildcards) {
    EXPECT_TRUE(like("Smith", "Sm*"));
    EXPECT_TRUE(like("Smith", "*"));
    EXPECT_TRUE(like("", "*"));
    EXPECT_FALSE(like("", "**x"));
    EXPECT_FALSE(like("", "?"));
    EXPECT_TRUE(like("Smith", "Sm?th"));
    EXPECT_FALSE(like("Smith", "Sm?"));
    EXPECT_TRUE(like("Room 42", "Room ##"));
    EXPECT_FALSE(like("Room 4a", "Room ##"));
    EXPECT_TRUE(like("bat", "[a-c]at"));
    EXPECT_FALSE(like("rat", "[a-c]at"));
    EXPECT_TRUE(like("rat", "[!a-c]at"));
    EXPECT_FALSE(like("cat", "[!a-c]at"));
    EXPECT_TRUE(like("a*b", "a[*]b"));
    EXPECT_FALSE(like("axb", "a[*]b"));
    EXPECT_TRUE(like("50%", "50%"));
    EXPECT_FALSE(like("500", "50%"));
    EXPECT_FALSE(like("abc", "[abc"));  // malformed: matches nothing
    EXPECT_TRUE(like("mississippi", "*sip*"));
    EXPECT_TRUE(like("mississippi", "m*iss*ppi"));
}

TEST(JetLike, IgnoresLetterCaseForAllLetters) {
    EXPECT_TRUE(like("müller", "MÜLLER"));
    EXPECT_TRUE(like("ÉCOLE", "*cole"));
    EXPECT_FALSE(like("Straße", "STRASSE"));  // one letter matches one letter
    EXPECT_TRUE(like("Ölbaum", "[ö]*"));
    EXPECT_TRUE(like("ZEBRA", "[x-z]*"));
}

TEST(JetLike, DateTimeTextsMatchTheirShownForms) {
    EXPECT_TRUE(like("2003-04-05 10:20:30", "*2003/04/05*"));
    EXPECT_TRUE(like("2003-04-05 10:20:30", "*10:20*"));
    EXPECT_TRUE(like("2003-04-05 10:20:30", "2003/04/05 10:20:30"));
    EXPECT_TRUE(like("2003-04-05 10:20:30", "2003-04*"));
    EXPECT_FALSE(like("2003-04-05 10:20:30", "*2003/04/06*"));
    EXPECT_FALSE(like("x2003-04-05 10:20:30", "*2003/04/05*"));
}

TEST(JetLike, ManyStarsStayFast) {
    const QString text = QString(20000, u'a');
    const QString pattern = QStringLiteral("*a").repeated(30) + QStringLiteral("b");
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(jetLike(text, pattern));
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST(JetLike, Utf8MatchingAgreesWithTheTextMatching) {
    const char* const patterns[] = {
        "sm*",       "*ITH",     "Sm?th", "[r-t]*", "#*",       "*2003/04/05*",
        "M*R",       "*ü*",      "[!a]*", "",       "10:20:30", "*a*a*a*b",
        "*05 10:2*", "*0:20:3*", "*ÜLL*", "*mith*", "*ölberg*", "*2003/04/05 10:20:30*"};
    const char* const texts[] = {"Smith",     "smith",
                                 "Müller",    "MÜLLER",
                                 "",          "2003-04-05 10:20:30",
                                 "4 sale",    "aaaaab",
                                 "Ölberg",    "2003-04-0x 10:20:30",
                                 "x ölBERG y"};
    for (const char* pattern : patterns) {
        const JetLikePattern compiled(QString::fromUtf8(pattern));
        for (const char* text : texts)
            EXPECT_EQ(compiled.matchesUtf8(text, static_cast<int>(std::strlen(text))),
                      compiled.matches(QString::fromUtf8(text)))
                << pattern << " / " << text;
    }
}

TEST(JetLike, PatternsWithoutWildcardsHaveOneText) {
    EXPECT_EQ(JetLikePattern(QStringLiteral("Ab[*]c[?]")).literalText(), QStringLiteral("ab*c?"));
    EXPECT_EQ(JetLikePattern(QString()).literalText(), QString(""));
    for (const char* pattern : {"a*", "a?", "#", "[ab]", "[!a]", "[a-c]", "[x"})
        EXPECT_FALSE(JetLikePattern(QString::fromLatin1(pattern)).literalText()) << pattern;
}
