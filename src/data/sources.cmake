list(APPEND TARVEX_CORE_SOURCES
    src/data/Connection.cpp
    src/data/Database.cpp
    src/data/DatabaseCopy.cpp
    src/data/DBDoc.cpp
    src/data/DbException.cpp
    src/data/EngineError.cpp
    src/data/ErrorReport.cpp
    src/data/FieldTypes.cpp
    src/data/FileDamage.cpp
    src/data/IntegrityCheck.cpp
    src/data/JetLike.cpp
    src/data/KnownValues.cpp
    src/data/NoCaseCollation.cpp
    src/data/QueryDef.cpp
    src/data/RecordSet.cpp
    src/data/RecordSource.cpp
    src/data/Schema.cpp
    src/data/SortedKeys.cpp
    src/data/SortTerms.cpp
    src/data/SqlDialect.cpp
    src/data/Statement.cpp
    src/data/StoredDateTime.cpp
    src/data/TableDef.cpp
    src/data/Transaction.cpp
)
list(APPEND TARVEX_UI_SOURCES
)
