#pragma once

#include <QObject>

#include "data/BackgroundWorker.h"

// Fills the known-value lists in the background, on a connection of its own, so that the
// main window answers while a large file's names are read. Until the lists are filled, the
// forms work with what the lists hold (nothing at start-up); the changes announced meanwhile
// are applied to the result when it is put in force, so none is missing from the lists.
// Its CKnownValueUpdater keeps the lists current afterwards and starts it again when the
// file changed in ways nobody can name.
class CKnownValueLoader : public QObject {
    Q_OBJECT
public:
    explicit CKnownValueLoader(QObject* parent = nullptr);
    // Stops a load under way.
    ~CKnownValueLoader() override;

    // Starts reading every source of the shared connection's file; a load under way is
    // dropped and starts again.
    void start();
    // Stops a load under way; the next load then reads everything.
    void stop();
    bool busy() const { return m_worker.busy(); }
    // Blocks until the reading thread has ended (for tests and the benchmark).
    void wait() { m_worker.wait(); }

signals:
    // The load has ended: the lists are filled, or its failure was reported.
    void loaded();

private:
    CBackgroundWorker m_worker;
};
