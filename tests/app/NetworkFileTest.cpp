#include <QLabel>
#include <optional>

#include "AppFixture.h"
#include "data/Database.h"
#include "data/FolderFileSystem.h"

// A contacts file on a network file system keeps the rollback journal; the status bar says
// why, and says nothing on a local disk.
TEST_F(AppTest, TheStatusBarSaysWhenTheFileIsOnANetworkDrive) {
    CDatabase::Create(databasePath(), QString());
    auto frame = makeFrame({});
    auto* note = frame->findChild<QLabel*>(QStringLiteral("fileNote"));
    ASSERT_NE(note, nullptr);

    openSharedDatabase({});
    frame->ShowFileNote();
    EXPECT_TRUE(note->isHidden());
    sharedDatabase().Close();

    folderfs::setTypeProbeForTesting([](const QString&) -> std::optional<quint64> {
        return 0xFF534D42;  // cifs
    });
    openSharedDatabase({});
    frame->ShowFileNote();
    folderfs::setTypeProbeForTesting(nullptr);
    EXPECT_FALSE(note->isHidden());
    EXPECT_TRUE(note->text().contains(QLatin1String("network drive (cifs)")));
    EXPECT_TRUE(note->text().contains(QLatin1String("rollback journal")));
    EXPECT_EQ(sharedDatabase().journalMode(), QStringLiteral("delete"));
    sharedDatabase().Close();
}
