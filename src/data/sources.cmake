list(APPEND TARVEX_CORE_SOURCES
    src/data/DBDoc.cpp
    src/data/DbException.cpp
)
list(APPEND TARVEX_UI_SOURCES
)
