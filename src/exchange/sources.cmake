list(APPEND TARVEX_CORE_SOURCES
    src/exchange/AlarmCalendar.cpp
    src/exchange/ContactCard.cpp
    src/exchange/ContactExport.cpp
    src/exchange/ContactImport.cpp
    src/exchange/CsvReader.cpp
    src/exchange/CsvWriter.cpp
    src/exchange/TextEncoding.cpp
    src/exchange/VCardReader.cpp
    src/exchange/VCardWriter.cpp
)
list(APPEND TARVEX_UI_SOURCES
    src/exchange/ExportDialog.cpp
    src/exchange/ImportDialog.cpp
)
