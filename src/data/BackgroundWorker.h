#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>
#include <vector>

class CDatabase;
class CDbException;
class CSpareConnection;

// Runs work off the user-interface thread, one job at a time, each on a read-only
// connection of its own to the contacts file. On a team's server a job's connection is kept
// for the worker's next job.
//
// Stopping is never lost: the job's stop token ends the connection's statements
// (CStopOnRequest), also one that starts after the stop was asked for.
//
// The result comes back by a queued signal tagged with the job's generation: a job stopped
// or replaced meanwhile has an old generation and its result is dropped. The user-interface
// thread never waits for a job; only the destructor waits for the stopped threads to end,
// which their stop tokens make quick.
class CBackgroundWorker : public QObject {
    Q_OBJECT
public:
    // Applies a job's result on the user-interface thread.
    using Delivery = std::function<void()>;
    // The work: runs on the worker's thread with the connection, checks `stop` in long loops
    // of its own and returns what to do with its result. A CDbException it throws goes to
    // the failure handler instead.
    using Job = std::function<Delivery(CDatabase& db, const std::stop_token& stop)>;
    using FailureHandler = std::function<void(const CDbException& error)>;

    // How long a server's connection is kept for the next job after the last one ended.
    static constexpr std::chrono::seconds kSpareKept{30};

    explicit CBackgroundWorker(QObject* parent = nullptr);
    ~CBackgroundWorker() override;
    CBackgroundWorker(const CBackgroundWorker&) = delete;
    CBackgroundWorker& operator=(const CBackgroundWorker&) = delete;

    // Stops the job before (its result is dropped) and starts `job` on a new read-only
    // connection to `path`. A failure to open the file goes to `failed` as well.
    void start(const QString& path, const QString& password, Job job, FailureHandler failed = {});
    // Stops the current job; its result is dropped. Returns at once.
    void stop();
    // True from start() until the job's result (or failure) has been handled or dropped.
    bool busy() const { return m_busy; }

    // Blocks until the current job's thread has ended; its result is then on its way but not
    // yet handled (for tests and the benchmark: the user-interface thread never waits).
    void wait();

signals:
    // Emitted on the user-interface thread after a job's result or failure was handled.
    void finished();
    // From the worker's thread to the user-interface thread: the job of `generation` ended.
    void jobEnded(quint64 generation, CBackgroundWorker::Delivery delivery, QPrivateSignal);

private:
    struct Run;

    void onJobEnded(quint64 generation, const Delivery& delivery);
    // Lets go of the threads that have ended.
    void reap();

    quint64 m_generation = 0;
    bool m_busy = false;
    std::vector<std::unique_ptr<Run>> m_runs;
    // The connection the last job left for the next; the destructor ends the threads first.
    std::unique_ptr<CSpareConnection> m_spare;
    // Closes the spare connection once no job has come for a while.
    QTimer m_letSpareGo;
};
