list(APPEND TARVEX_CORE_SOURCES
    src/sync/CardText.cpp
    src/sync/ContactSync.cpp
    src/sync/DavClient.cpp
    src/sync/FirstSyncMatch.cpp
    src/sync/RecordMerge.cpp
    src/sync/SyncAccount.cpp
)
