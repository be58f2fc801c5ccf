#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>

#include "app/AppFixture.h"
#include "app/Application.h"
#include "app/SpawnMDIChildWnd.h"
#include "app/WindowKinds.h"
#include "data/Database.h"
#include "notepad/VondDoc.h"
#include "notepad/VondView.h"

namespace {

void acceptPasswordPrompt() {
    onNextModal([](QWidget* modal) {
        modal->findChild<QLineEdit*>("password")->setText(QString());
        qobject_cast<QDialog*>(modal)->accept();
    });
}

}  // namespace

TEST_F(AppTest, AnRtfFileOnTheCommandLineOpensAfterThePasswordPrompt) {
    CDatabase::Create(path("Tarvex.mdb"), QString());
    QFile file(path("start.rtf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\\rtf1\\ansi {\\b Hello} there\\par}");
    file.close();
    CMainFrame frame(makeDocTemplates());
    frame.show();
    acceptPasswordPrompt();
    ASSERT_TRUE(StartSession(frame, {path("start.rtf")}));
    ASSERT_EQ(frame.mdiArea()->subWindowList().size(), 1);
    auto* doc = qobject_cast<CVondDoc*>(frame.activeChild()->document());
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("start.rtf"));
    EXPECT_EQ(doc->view()->toPlainText(), QStringLiteral("Hello there"));
    sharedDatabase().Close();
}

TEST_F(AppTest, NoCommandLineArgumentOpensNoWindow) {
    CDatabase::Create(path("Tarvex.mdb"), QString());
    CMainFrame frame(makeDocTemplates());
    frame.show();
    acceptPasswordPrompt();
    ASSERT_TRUE(StartSession(frame, {}));
    EXPECT_TRUE(frame.mdiArea()->subWindowList().isEmpty());
    sharedDatabase().Close();
}
