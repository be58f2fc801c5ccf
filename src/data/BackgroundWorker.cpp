#include "data/BackgroundWorker.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "data/Connection.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "data/ServerConnection.h"
#include "data/SpareConnection.h"
#include "data/StopOnRequest.h"

namespace {

// Runs the job on the spare connection when there is one, and keeps the connection for the
// next job when it is a server's and the job ended well. A spare whose session the server
// ended meanwhile (a restart, an idle timeout) is replaced once by a new connection: the
// jobs only read, so running one again changes nothing.
CBackgroundWorker::Delivery runOn(const std::stop_token& stop, const QString& path,
                                  const QString& password, const CBackgroundWorker::Job& job,
                                  CSpareConnection& spare) {
    std::unique_ptr<CDatabase> db = spare.take(path, password);
    if (db && !db->server().stillAnswers())
        db.reset();
    const bool lent = db != nullptr;
    if (!lent) {
        db = std::make_unique<CDatabase>();
        db->Open(path, false, true, connectText(password));
    }
    CBackgroundWorker::Delivery delivery;
    try {
        const CStopOnRequest stopper(*db, stop);
        if (stop.stop_requested())
            return {};
        delivery = job(*db, stop);
    } catch (const CServerError& error) {
        if (!lent || !error.connectionLost() || stop.stop_requested())
            throw;
        return runOn(stop, path, password, job, spare);
    }
    // Opening a server's connection costs a handshake and several round trips; a file's
    // costs nothing and is not held open.
    if (db->isServer() && !stop.stop_requested() && !db->server().inTransaction())
        spare.keep(std::move(db), password);
    return delivery;
}

CBackgroundWorker::Delivery runJob(const std::stop_token& stop, const QString& path,
                                   const QString& password, const CBackgroundWorker::Job& job,
                                   const CBackgroundWorker::FailureHandler& failed,
                                   CSpareConnection& spare) {
    try {
        if (stop.stop_requested())
            return {};
        return runOn(stop, path, password, job, spare);
    } catch (const CDbException& error) {
        // A stopped job's interrupted statement is no failure.
        if (stop.stop_requested() || !failed)
            return {};
        return [failed, error] { failed(error); };
    }
}

}  // namespace

struct CBackgroundWorker::Run {
    std::jthread thread;
    std::atomic<bool> ended = false;
};

CBackgroundWorker::CBackgroundWorker(QObject* parent)
    : QObject(parent), m_spare(std::make_unique<CSpareConnection>()) {
    connect(this, &CBackgroundWorker::jobEnded, this, &CBackgroundWorker::onJobEnded,
            Qt::QueuedConnection);
    // A session held for nothing counts against the server's limit of connections.
    m_letSpareGo.setSingleShot(true);
    m_letSpareGo.setInterval(kSpareKept);
    connect(&m_letSpareGo, &QTimer::timeout, this, [this] { m_spare->clear(); });
}

CBackgroundWorker::~CBackgroundWorker() {
    // All are asked first, so that they end side by side; each is then joined.
    for (const std::unique_ptr<Run>& run : m_runs)
        run->thread.request_stop();
    m_runs.clear();
}

void CBackgroundWorker::start(const QString& path, const QString& password, Job job,
                              FailureHandler failed) {
    stop();
    reap();
    m_letSpareGo.stop();
    const quint64 generation = ++m_generation;
    m_busy = true;
    auto run = std::make_unique<Run>();
    Run* const ending = run.get();
    run->thread = std::jthread([this, ending, generation, path, password, job = std::move(job),
                                failed = std::move(failed)](const std::stop_token& stop) {
        const Delivery delivery = runJob(stop, path, password, job, failed, *m_spare);
        ending->ended = true;
        emit jobEnded(generation, delivery, QPrivateSignal());
    });
    m_runs.push_back(std::move(run));
}

void CBackgroundWorker::stop() {
    ++m_generation;
    m_busy = false;
    for (const std::unique_ptr<Run>& run : m_runs)
        run->thread.request_stop();
}

void CBackgroundWorker::wait() {
    if (!m_runs.empty() && m_runs.back()->thread.joinable())
        m_runs.back()->thread.join();
}

void CBackgroundWorker::onJobEnded(quint64 generation, const Delivery& delivery) {
    reap();
    if (generation != m_generation || !m_busy)
        return;
    m_busy = false;
    if (delivery)
        delivery();
    // The delivery may have started the next job.
    if (!m_busy) {
        m_letSpareGo.start();
        emit finished();
    }
}

void CBackgroundWorker::reap() {
    // An ended thread is past its last use of this object: joining it takes no time.
    std::erase_if(m_runs, [](const std::unique_ptr<Run>& run) { return run->ended.load(); });
}
