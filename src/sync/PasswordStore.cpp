#include "sync/PasswordStore.h"

#include <qt6keychain/keychain.h>
#include <QTimer>
#include <memory>

namespace {

const QString kService = QStringLiteral("Tarvex sync");
constexpr int kStoreWaitMs = 5'000;

// Calls `done` once: with the job's answer, or with `fallback` when the store keeps silent.
template <typename Job, typename Answer>
void runOnce(QObject* context, Job* job, std::function<void(Answer)> done, Answer fallback,
             std::function<Answer(Job*)> answerOf) {
    auto pending = std::make_shared<std::function<void(Answer)>>(std::move(done));
    auto timer = new QTimer(context);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, context, [pending, fallback, timer] {
        if (auto call = std::exchange(*pending, {}))
            call(fallback);
        timer->deleteLater();
    });
    QObject::connect(job, &QKeychain::Job::finished, context,
                     [pending, answerOf, timer](QKeychain::Job* finished) {
                         timer->stop();
                         timer->deleteLater();
                         if (auto call = std::exchange(*pending, {}))
                             call(answerOf(static_cast<Job*>(finished)));
                     });
    timer->start(kStoreWaitMs);
    job->start();
}

}  // namespace

void CKeychainStore::read(const QString& key, Found found) {
    auto* job = new QKeychain::ReadPasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(key);
    runOnce<QKeychain::ReadPasswordJob, std::optional<QString>>(
        this, job, std::move(found), std::nullopt,
        [](QKeychain::ReadPasswordJob* done) -> std::optional<QString> {
            if (done->error() != QKeychain::NoError)
                return std::nullopt;
            return done->textData();
        });
}

void CKeychainStore::write(const QString& key, const QString& password, Written written) {
    auto* job = new QKeychain::WritePasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(key);
    job->setTextData(password);
    runOnce<QKeychain::WritePasswordJob, bool>(
        this, job, std::move(written), false,
        [](QKeychain::WritePasswordJob* done) { return done->error() == QKeychain::NoError; });
}

void CSyncPasswords::find(const QString& key, const CPasswordStore::Found& found) {
    if (const auto known = m_run.constFind(key); known != m_run.cend()) {
        found(*known);
        return;
    }
    m_store.read(key, found);
}

void CSyncPasswords::remember(const QString& key, const QString& password) {
    m_run.insert(key, password);
    m_store.write(key, password, [](bool) {});
}
