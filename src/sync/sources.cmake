list(APPEND TARVEX_CORE_SOURCES
    src/sync/CardText.cpp
    src/sync/CardMapping.cpp
    src/sync/CollectionSync.cpp
    src/sync/EventMapping.cpp
    src/sync/DavClient.cpp
    src/sync/DavDiscovery.cpp
    src/sync/FirstSyncMatch.cpp
    src/sync/PasswordStore.cpp
    src/sync/FieldMerge.cpp
    src/sync/SyncAccount.cpp
    src/sync/SyncSettings.cpp
)
list(APPEND TARVEX_UI_SOURCES
    src/sync/ConflictDialog.cpp
    src/sync/SyncAccountDialog.cpp
)
