#include "lists/WildcardPattern.h"

#include <gtest/gtest.h>

namespace {

bool matches(const QString& pattern, const QString& text) {
    return CWildcardPattern(pattern).matches(text);
}

TEST(WildcardPatternTest, StarsAndQuestionMarks) {
    EXPECT_TRUE(matches("*", ""));
    EXPECT_TRUE(matches("*", "anything"));
    EXPECT_TRUE(matches("*mill*", "Smiller"));
    EXPECT_TRUE(matches("*mill*", "mill"));
    EXPECT_FALSE(matches("*mill*", "mil"));
    EXPECT_TRUE(matches("M?ller", "Müller"));
    EXPECT_FALSE(matches("M?ller", "Mller"));
    EXPECT_TRUE(matches("a*b*c", "aXXbYYc"));
    EXPECT_FALSE(matches("a*b*c", "aXXbYYcd"));
    EXPECT_TRUE(matches("*ab", "aab"));
    EXPECT_TRUE(matches("abc", "ABC"));
    EXPECT_FALSE(matches("abc", "abcd"));
}

TEST(WildcardPatternTest, DoubleStarKeepsOnlyNonEmptyTexts) {
    EXPECT_FALSE(matches("**", ""));
    EXPECT_TRUE(matches("**", "x"));
    // A star followed by more pattern needs text left, even when the rest could match none.
    EXPECT_FALSE(matches("a**", "a"));
    EXPECT_TRUE(matches("*a*", "a"));
}

TEST(WildcardPatternTest, SetsRangesAndNegation) {
    EXPECT_TRUE(matches("[abc]x", "bx"));
    EXPECT_FALSE(matches("[abc]x", "dx"));
    EXPECT_TRUE(matches("[a-c]", "B"));
    EXPECT_TRUE(matches("[c-a]", "b"));  // reversed range: the same range
    EXPECT_FALSE(matches("[a-c]", "d"));
    EXPECT_TRUE(matches("[!a-c]", "d"));
    EXPECT_TRUE(matches("[^a-c]", "d"));
    EXPECT_FALSE(matches("[!a-c]", "a"));
    EXPECT_TRUE(matches("[0-9][0-9]", "42"));
    EXPECT_TRUE(matches("x[a-cx-z]", "xy"));
}

TEST(WildcardPatternTest, BackslashEscapesInsideAndOutsideSets) {
    EXPECT_TRUE(matches("\\*", "*"));
    EXPECT_FALSE(matches("\\*", "a"));
    EXPECT_TRUE(matches("a\\?", "a?"));
    EXPECT_FALSE(matches("a\\?", "ab"));
    EXPECT_TRUE(matches("[\\]]", "]"));
    EXPECT_TRUE(matches("[\\-]", "-"));
    EXPECT_FALSE(matches("[\\-]", "a"));
    EXPECT_TRUE(matches("[\\!a]", "!"));
    EXPECT_TRUE(matches("[\\^]", "^"));
    EXPECT_TRUE(matches("\\[x]", "[x]"));
}

TEST(WildcardPatternTest, MalformedPatternsMatchNothing) {
    for (const char* bad : {"[abc", "[]", "[a-]", "[a-", "abc\\", "[\\", "*[!]*"}) {
        const CWildcardPattern pattern(QString::fromLatin1(bad));
        EXPECT_FALSE(pattern.isValid()) << bad;
        EXPECT_FALSE(pattern.matches(QString())) << bad;
        EXPECT_FALSE(pattern.matches(QStringLiteral("abc"))) << bad;
    }
}

TEST(WildcardPatternTest, UpperCasingAndTheCutAt2047Characters) {
    EXPECT_TRUE(matches("*müller*", "Hans MÜLLER"));
    EXPECT_TRUE(matches("STRASSE", "straße"));  // upper-casing may lengthen a text
    const QString longText = QString(2047, u'a') + u'b';
    EXPECT_TRUE(matches(QString(2047, u'a'), longText));  // the 'b' lies past the cut
    EXPECT_TRUE(matches(QString(2047, u'a') + u'b', QString(2047, u'a')));  // the pattern too
    EXPECT_FALSE(matches(QString(2046, u'a') + u'b', QString(2047, u'a')));
}

TEST(WildcardPatternTest, EngineTextsMatchAsTheShownTexts) {
    // The engine's UTF-8 is matched in place where it is ASCII; "*text*" is searched for.
    const QString texts[] = {"Smith",        "smithers",        "Hans MÜLLER", "straße",
                             "",             "a*b",             "SMI",         "xsmi",
                             QString(2050, u'a') + "smi",       QString(2040, u'a') + "smi"};
    for (const char* typed : {"*smi*", "*SMI*", "*müller*", "*strasse*", "*\\**", "**",
                              "*s?i*", "smi*", "*", "*ß*"}) {
        const CWildcardPattern pattern(QString::fromUtf8(typed));
        for (const QString& text : texts)
            EXPECT_EQ(pattern.matchesUtf8(text.toUtf8()), pattern.matches(text))
                << typed << " / " << text.left(20).toStdString();
    }
    EXPECT_TRUE(CWildcardPattern("*smi*").matchesUtf8("Blacksmith"));
    EXPECT_FALSE(CWildcardPattern("*smi*").matchesUtf8(QByteArray(2050, 'a') + "smi"));
    EXPECT_TRUE(CWildcardPattern("*MÜLL*").matchesUtf8("hans müller"));
}

TEST(WildcardPatternTest, LongTextsWithManyStarsStayFast) {
    const QString text = QString(5000, u'a');
    EXPECT_FALSE(matches("*a*a*a*a*a*a*a*a*b", text));
}

}  // namespace
