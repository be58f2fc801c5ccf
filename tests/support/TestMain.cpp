#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

// Every test program runs with a real QApplication on the offscreen platform and with the
// settings store redirected away from the user's own.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvandel"));
    QApplication::setApplicationName(QStringLiteral("TarvexTest"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
