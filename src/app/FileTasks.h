#pragma once

#include <memory>

class CExternalChangeWatch;
class CIntegrityCheck;
class CKnownValueLoader;

// The work that goes on beside the user on the open contacts file: the background check for
// damage, the background load of the known-value lists (which then follow every change),
// and the watch for what other programs commit.
class CFileTasks {
public:
    CFileTasks();
    ~CFileTasks();
    CFileTasks(const CFileTasks&) = delete;
    CFileTasks& operator=(const CFileTasks&) = delete;

    // Checks the file for damage in the background (see CIntegrityCheck); not on a network
    // file system, where a reader of the whole file would hold up every save.
    void StartIntegrityCheck();
    void StopIntegrityCheck();
    CIntegrityCheck* integrityCheck() const { return m_integrityCheck.get(); }

    void StartKnownValueLoad();
    CKnownValueLoader& knownValueLoader() const { return *m_knownValues; }

    // Looks once a second for other programs' commits, from now on.
    void StartChangeWatch();
    CExternalChangeWatch& changeWatch() const { return *m_changeWatch; }
    // Looks now (a window was activated), when the watch runs.
    void LookForOtherWriters();

    // Ends the background readers, which would keep the file from being copied or
    // replaced.
    void StopReaders();

private:
    std::unique_ptr<CIntegrityCheck> m_integrityCheck;
    std::unique_ptr<CKnownValueLoader> m_knownValues;
    std::unique_ptr<CExternalChangeWatch> m_changeWatch;
};
