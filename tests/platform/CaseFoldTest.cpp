#include <gtest/gtest.h>

#include "platform/CaseFold.h"

// The quick path must fold exactly as the Unicode tables do, at the edges of the ASCII
// letters and wherever a text leaves ASCII.
TEST(CaseFold, FoldsAsTheUnicodeTablesDo) {
    const QString texts[] = {
        QString(),
        QStringLiteral("smith anna"),
        QStringLiteral("O'Brien93 PETER"),
        QStringLiteral("@AZ[`az{"),
        QStringLiteral("Müller"),
        QStringLiteral("STRASSE Straße"),
        QStringLiteral("\u212A KELVIN"),
        QStringLiteral("\u0130stanbul"),
        QStringLiteral("ABC \U00010400"),
        QStringLiteral("ASCII first, then \u00C9LISE"),
    };
    for (const QString& text : texts)
        EXPECT_EQ(caseFolded(text), text.toCaseFolded()) << text.toStdString();
}
