list(APPEND TARVEX_CORE_SOURCES
    src/platform/Document.cpp
    src/platform/Prompter.cpp
)
list(APPEND TARVEX_UI_SOURCES
)
