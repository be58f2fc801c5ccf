#include <gtest/gtest.h>

#include <QDialog>
#include <QMenu>
#include <QMenuBar>

#include "app/AppFixture.h"
#include "data/Database.h"
#include "platform/CommandIds.h"

namespace {

QStringList fileMenuTexts(QMainWindow& window) {
    QStringList texts;
    for (QAction* top : window.menuBar()->actions())
        if (top->text() == QLatin1String("&File") && top->menu())
            for (QAction* entry : top->menu()->actions())
                texts << entry->text();
    return texts;
}

class ExchangeMenuTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        CDatabase::Create(path(QStringLiteral("Tarvex.mdb")), QString());
        sharedDatabase().Open(path(QStringLiteral("Tarvex.mdb")));
    }
    void TearDown() override {
        sharedDatabase().Close();
        AppTest::TearDown();
    }
};

TEST_F(ExchangeMenuTest, FileMenuOfMainAndChildWindowsOpensTheDialogs) {
    auto frame = makeFrame({testTemplate("Person", FrameKind::Record)});
    for (bool child : {false, true}) {
        if (child)
            frame->SendCommand(cmd::ViewPersons);
        const QStringList texts = fileMenuTexts(*frame);
        EXPECT_TRUE(texts.contains(QStringLiteral("&Import..."))) << child;
        EXPECT_TRUE(texts.contains(QStringLiteral("&Export..."))) << child;
        for (const auto& [id, title] :
             {std::pair{cmd::Import, "Import"}, {cmd::Export, "Export"}}) {
            QString shown;
            onNextModal([&shown](QWidget* modal) {
                shown = modal->windowTitle();
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
            });
            EXPECT_TRUE(frame->SendCommand(id));
            EXPECT_EQ(shown, QLatin1String(title));
        }
    }
}

}  // namespace
