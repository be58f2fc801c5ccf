#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include "AppFixture.h"
#include "app/GuardedApplication.h"
#include "data/DbException.h"
#include "platform/CommandIds.h"

namespace {

const QString kFailure = QStringLiteral("disk I/O error");

// A document whose print command and whose save on closing fail in the engine.
class FailingDoc : public CDBDoc {
public:
    bool IsCommandEnabled(int id, bool& enabled) const override {
        if (id != cmd::Print)
            return CDBDoc::IsCommandEnabled(id, enabled);
        enabled = true;
        return true;
    }
    bool OnCommand(int id) override {
        if (id != cmd::Print)
            return CDBDoc::OnCommand(id);
        throw CDbException(10, kFailure);
    }
    bool SaveModified() override { throw CDbException(10, kFailure); }
};

CDocTemplate failingTemplate() {
    CDocTemplate t = testTemplate(QStringLiteral("Person"), FrameKind::Record);
    t.createDocument = [] { return std::make_unique<FailingDoc>(); };
    return t;
}

QStringList logged;

void keepCritical(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg)
        logged << text;
}

}  // namespace

class ErrorGuardTest : public AppTest {};

TEST_F(ErrorGuardTest, AFailingCommandIsReportedWhereItEntersAndTheWindowStays) {
    auto frame = makeFrame({failingTemplate()});
    ASSERT_NE(frame->OpenOrActivate(QStringLiteral("Person")), nullptr);
    prompts.answer(Prompter::No);
    EXPECT_FALSE(frame->SendCommand(cmd::Print));
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().first().startsWith(kFailure));

    // A save that fails while the window closes keeps the window and its record.
    QMdiSubWindow* window = frame->mdiArea()->activeSubWindow();
    ASSERT_NE(window, nullptr);
    prompts.answer(Prompter::No);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(prompts.messages().size(), 2);
    EXPECT_TRUE(window->isVisible());
}

TEST(GuardedApplication, AnEscapedExceptionIsLoggedWithItsReceiverAndReportedOnce) {
    ScriptedPrompter prompts;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepCritical);
    QTimer receiver;
    receiver.setObjectName(QStringLiteral("alarmTimer"));
    QEvent event(QEvent::Timer);
    prompts.answer(Prompter::No);
    EXPECT_FALSE(CGuardedApplication::deliverGuarded(
        &receiver, &event, []() -> bool { throw CDbException(10, kFailure); }));
    qInstallMessageHandler(previous);
    EXPECT_EQ(prompts.messages().size(), 1);
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].contains(kFailure));
    EXPECT_TRUE(logged[0].contains(QStringLiteral("QTimer \"alarmTimer\"")));
    EXPECT_TRUE(logged[0].contains(QStringLiteral("event type %1").arg(int(QEvent::Timer))));
}
