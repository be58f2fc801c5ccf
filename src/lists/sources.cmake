list(APPEND TARVEX_CORE_SOURCES
    src/lists/FieldText.cpp
    src/lists/PrintDevice.cpp
    src/lists/TextPrinter.cpp
)
list(APPEND TARVEX_UI_SOURCES
    src/lists/QtPrintDevice.cpp
)
