#include "app/FileTasks.h"

#include "data/Connection.h"
#include "data/Database.h"
#include "data/ExternalChangeWatch.h"
#include "data/IntegrityCheck.h"
#include "data/KnownValueLoader.h"

CFileTasks::CFileTasks()
    : m_knownValues(std::make_unique<CKnownValueLoader>()),
      m_changeWatch(std::make_unique<CExternalChangeWatch>(sharedDatabase())) {}

CFileTasks::~CFileTasks() = default;

void CFileTasks::StartIntegrityCheck() {
    // With the rollback journal, a reader keeps every writer waiting: a check of the whole
    // file would hold up the user's saves for as long as it reads.
    // The team's server looks after its own storage.
    if (sharedDatabase().journalMode() == QLatin1String("delete") || sharedDatabase().isServer())
        return;
    m_integrityCheck = std::make_unique<CIntegrityCheck>(databasePath(), currentPassword());
}

void CFileTasks::StopIntegrityCheck() {
    m_integrityCheck.reset();
}

void CFileTasks::StartKnownValueLoad() {
    m_knownValues->start();
}

void CFileTasks::StartChangeWatch() {
    m_changeWatch->start();
}

void CFileTasks::LookForOtherWriters() {
    if (m_changeWatch->isActive())
        m_changeWatch->check();
}

void CFileTasks::StopReaders() {
    StopIntegrityCheck();
    m_knownValues->stop();
}
