#include "data/BackgroundWorker.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "data/Connection.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "data/StopOnRequest.h"

namespace {

CBackgroundWorker::Delivery runJob(const std::stop_token& stop, const QString& path,
                                   const QString& password, const CBackgroundWorker::Job& job,
                                   const CBackgroundWorker::FailureHandler& failed) {
    try {
        if (stop.stop_requested())
            return {};
        CDatabase db;
        db.Open(path, false, true, connectText(password));
        const CStopOnRequest stopper(db, stop);
        if (stop.stop_requested())
            return {};
        return job(db, stop);
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

CBackgroundWorker::CBackgroundWorker(QObject* parent) : QObject(parent) {
    connect(this, &CBackgroundWorker::jobEnded, this, &CBackgroundWorker::onJobEnded,
            Qt::QueuedConnection);
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
    const quint64 generation = ++m_generation;
    m_busy = true;
    auto run = std::make_unique<Run>();
    Run* const ending = run.get();
    run->thread = std::jthread([this, ending, generation, path, password, job = std::move(job),
                                failed = std::move(failed)](const std::stop_token& stop) {
        const Delivery delivery = runJob(stop, path, password, job, failed);
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
    if (!m_busy)
        emit finished();
}

void CBackgroundWorker::reap() {
    // An ended thread is past its last use of this object: joining it takes no time.
    std::erase_if(m_runs, [](const std::unique_ptr<Run>& run) { return run->ended.load(); });
}
