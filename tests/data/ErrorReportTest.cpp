#include <gtest/gtest.h>

#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "support/ScriptedPrompter.h"

TEST(ErrorReport, EngineErrorOffersHelp) {
    ScriptedPrompter prompter;
    QStringList opened;
    setDbHelpOpener([&](const QString& context) { opened << context; });
    const CDbException error(26, QStringLiteral("file is encrypted or is not a database"),
                             QStringLiteral("errors"));
    prompter.answer(Prompter::No);
    reportDbException(error);
    EXPECT_EQ(prompter.messages().last(),
              QStringLiteral(
                  "file is encrypted or is not a database   (26)\n\nWould you like to see help?"));
    EXPECT_EQ(prompter.lastButtons(), Prompter::Buttons::YesNo);
    EXPECT_EQ(prompter.lastIcon(), Prompter::Icon::Stop);
    EXPECT_TRUE(opened.isEmpty());
    prompter.answer(Prompter::Yes);
    reportDbException(error);
    EXPECT_EQ(opened, QStringList{QStringLiteral("errors")});
}

TEST(ErrorReport, EngineFailureShowsItsStatusCode) {
    ScriptedPrompter prompter;
    prompter.answer(Prompter::Ok);
    reportDbException(CDbException::engineFailure(static_cast<qint32>(0x800A0BB9u)));
    EXPECT_EQ(prompter.messages().last(),
              QStringLiteral("ERROR:CDaoException\n\nSCODE_CODE      =3001\nSCODE_FACILITY  =10\n"
                             "SCODE_SEVERITY  =1\nResultFromScode =-2146825287\n"));
    EXPECT_EQ(prompter.lastButtons(), Prompter::Buttons::Ok);
}

TEST(ErrorReport, ALockedFileIsExplainedInTheReportsOwnFormat) {
    ScriptedPrompter prompter;
    for (const int code : {5, 6, 517}) {  // busy, locked, busy with a snapshot
        prompter.answer(Prompter::No);
        reportDbException(CDbException(code, QStringLiteral("database is locked")));
        const QString shown = prompter.messages().last();
        EXPECT_TRUE(
            shown.startsWith(QStringLiteral("Another program is writing to the contacts "
                                            "file")))
            << shown.toStdString();
        EXPECT_TRUE(shown.contains(QStringLiteral("what you typed is still in the form")));
        EXPECT_TRUE(
            shown.endsWith(QStringLiteral("   (%1)\n\nWould you like to see help?").arg(code)));
        EXPECT_EQ(prompter.lastButtons(), Prompter::Buttons::YesNo);
    }
}
