#include "data/KnownValueLoader.h"

#include "data/Connection.h"
#include "data/ErrorReport.h"
#include "data/KnownValueUpdater.h"
#include "data/KnownValues.h"

CKnownValueLoader::CKnownValueLoader(QObject* parent) : QObject(parent) {
    // Owned by this loader, as a child.
    new CKnownValueUpdater(*this, this);
    connect(&m_worker, &CBackgroundWorker::finished, this, [this] {
        // Whatever the job gave, the lists are no longer left to it.
        AbandonKnownValueLoad();
        emit loaded();
    });
}

CKnownValueLoader::~CKnownValueLoader() {
    stop();
}

void CKnownValueLoader::start() {
    BeginKnownValueLoad();
    m_worker.start(
        databasePath(), currentPassword(),
        [this](CDatabase& db, const std::stop_token& stop) -> CBackgroundWorker::Delivery {
            std::shared_ptr<KnownValueSnapshot> snapshot = ReadKnownValues(db, stop);
            if (!snapshot)
                return {};
            return [snapshot] { InstallKnownValues(std::move(*snapshot)); };
        },
        [](const CDbException& error) {
            AbandonKnownValueLoad();
            reportDbException(error);
        });
}

void CKnownValueLoader::stop() {
    m_worker.stop();
    AbandonKnownValueLoad();
}
