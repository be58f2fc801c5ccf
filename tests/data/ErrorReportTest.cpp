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
    ReportDbException(error);
    EXPECT_EQ(prompter.messages().last(),
              QStringLiteral(
                  "file is encrypted or is not a database   (26)\n\nWould you like to see help?"));
    EXPECT_EQ(prompter.lastButtons(), Prompter::Buttons::YesNo);
    EXPECT_EQ(prompter.lastIcon(), Prompter::Icon::Stop);
    EXPECT_TRUE(opened.isEmpty());
    prompter.answer(Prompter::Yes);
    ReportDbException(error);
    EXPECT_EQ(opened, QStringList{QStringLiteral("errors")});
}

TEST(ErrorReport, EngineFailureShowsItsStatusCode) {
    ScriptedPrompter prompter;
    prompter.answer(Prompter::Ok);
    ReportDbException(CDbException::engineFailure(static_cast<qint32>(0x800A0BB9u)));
    EXPECT_EQ(prompter.messages().last(),
              QStringLiteral("ERROR:CDaoException\n\nSCODE_CODE      =3001\nSCODE_FACILITY  =10\n"
                             "SCODE_SEVERITY  =1\nResultFromScode =-2146825287\n"));
    EXPECT_EQ(prompter.lastButtons(), Prompter::Buttons::Ok);
}
