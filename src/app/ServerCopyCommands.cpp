#include "app/ServerCopyCommands.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <algorithm>
#include <atomic>
#include <climits>
#include <functional>
#include <optional>
#include <thread>

#include "app/Settings.h"
#include "data/Connection.h"
#include "data/ServerConnection.h"
#include "data/ServerCopy.h"
#include "platform/Prompter.h"

namespace {

const QString kFilter = QStringLiteral("Contacts files (*.mdb)|*.mdb|All files (*.*)|*.*||");

struct ServerLogin {
    QString uri;
    QString password;
};

// The server's address and password; nothing when the user cancels.
std::optional<ServerLogin> askLogin() {
    std::optional<QString> uri = prompter().text(
        QStringLiteral("Server address (a connection URI without the password, such as "
                       "postgresql://user@host:5432/contacts?sslmode=require):"),
        databaseServerSetting());
    if (!uri)
        return std::nullopt;
    if (const QString problem = serverUriProblem(*uri); !problem.isEmpty()) {
        messageBox(problem, Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
        return std::nullopt;
    }
    const std::optional<QString> password =
        prompter().password(QStringLiteral("Password of the server user:"));
    if (!password)
        return std::nullopt;
    return ServerLogin{uri->trimmed(), *password};
}

using Copy = std::function<servercopy::Result(CServerConnection&, const servercopy::Progress&)>;

struct Outcome {
    servercopy::Result result;
    QString database;
    QString server;
    std::optional<QString> failure;
};

// Connects and copies on a thread of its own while the dialog shows the progress; the
// window stays answering and Cancel stops the copy at its next step.
Outcome runWithProgress(const ServerLogin& login, const QString& label, const Copy& copy,
                        QWidget* parent) {
    QProgressDialog progress(label, QStringLiteral("Cancel"), 0, 0, parent);
    progress.setWindowTitle(QStringLiteral("Tarvex"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    std::atomic<bool> cancelled = false;
    QObject::connect(&progress, &QProgressDialog::canceled, [&] { cancelled = true; });
    QEventLoop loop;
    Outcome outcome;
    {
        std::jthread worker([&] {
            try {
                CServerConnection server(login.uri, login.password);
                outcome.database = server.database();
                outcome.server = server.server();
                outcome.result = copy(server, [&](qint64 done, qint64 total) {
                    QMetaObject::invokeMethod(
                        &progress,
                        [&progress, done, total] {
                            progress.setMaximum(static_cast<int>(std::min<qint64>(total, INT_MAX)));
                            progress.setValue(static_cast<int>(std::min(done, total)));
                        },
                        Qt::QueuedConnection);
                    return !cancelled.load();
                });
            } catch (const CDbException& e) {
                outcome.failure = e.description();
            } catch (const std::exception& e) {
                outcome.failure = QString::fromLocal8Bit(e.what());
            }
            QMetaObject::invokeMethod(
                &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
        });
        loop.exec();
    }
    return outcome;
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

}  // namespace

void RunCopyToServer(QWidget* parent) {
    const std::optional<ServerLogin> login = askLogin();
    if (!login)
        return;
    const QString path = databasePath();
    const QString password = currentPassword();
    const Outcome outcome = runWithProgress(
        *login, QStringLiteral("Copying the contacts file to the server..."),
        [&](CServerConnection& server, const servercopy::Progress& progress) {
            return servercopy::copyFileToServer(path, password, server, progress);
        },
        parent);
    if (outcome.failure) {
        messageBox(QStringLiteral("The contacts file was not copied; the server was left as it "
                                  "was.\n\n") +
                       *outcome.failure,
                   Prompter::Buttons::Ok, Prompter::Icon::Stop);
        return;
    }
    messageBox(QStringLiteral("The contacts file was copied to the database \"%1\" on the server "
                              "%2: %3 records. The number of records in every table and %4 "
                              "records compared column by column agree.")
                   .arg(outcome.database, outcome.server)
                   .arg(outcome.result.rows)
                   .arg(outcome.result.sampledRows),
               Prompter::Buttons::Ok, Prompter::Icon::Information);
}

void RunCopyFromServer(QWidget* parent) {
    const std::optional<ServerLogin> login = askLogin();
    if (!login)
        return;
    const QString target = prompter().saveFileName(QStringLiteral("Copy server to contacts file"),
                                                   kFilter, QStringLiteral("Tarvex-server.mdb"));
    if (target.isEmpty())
        return;
    const QFileInfo chosen(target);
    if (chosen.exists()) {
        const bool open =
            chosen.canonicalFilePath() == QFileInfo(databasePath()).canonicalFilePath();
        messageBox(open ? QStringLiteral("'%1' is the open contacts file. The copy is written "
                                         "only into a new file; choose another name.")
                              .arg(shown(target))
                        : QStringLiteral("The file '%1' already exists. The copy is written only "
                                         "into a new file; choose another name.")
                              .arg(shown(target)),
                   Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
        return;
    }
    const std::optional<QString> password = prompter().password(
        QStringLiteral("Password for the new contacts file (leave it empty for a file without "
                       "one):"));
    if (!password)
        return;
    const Outcome outcome = runWithProgress(
        *login, QStringLiteral("Copying the server to a contacts file..."),
        [&](CServerConnection& server, const servercopy::Progress& progress) {
            return servercopy::copyServerToFile(server, target, *password, progress);
        },
        parent);
    if (outcome.failure) {
        messageBox(QStringLiteral("The server was not copied; no file was written.\n\n") +
                       *outcome.failure,
                   Prompter::Buttons::Ok, Prompter::Icon::Stop);
        return;
    }
    messageBox(QStringLiteral("The database \"%1\" on the server %2 was copied to '%3': %4 "
                              "records. The number of records in every table and %5 records "
                              "compared column by column agree.")
                   .arg(outcome.database, outcome.server, shown(target))
                   .arg(outcome.result.rows)
                   .arg(outcome.result.sampledRows),
               Prompter::Buttons::Ok, Prompter::Icon::Information);
}
