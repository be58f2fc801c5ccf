list(APPEND TARVEX_CORE_SOURCES
    src/platform/CaseFold.cpp
    src/platform/DeferredMoves.cpp
    src/platform/Document.cpp
    src/platform/Prompter.cpp
    src/platform/DocTemplate.cpp
    src/platform/OpenWindowRegistry.cpp
    src/platform/Clock.cpp
    src/platform/CommandTable.cpp
    src/platform/FileFilter.cpp
    src/platform/FrameServices.cpp
    src/platform/IniFile.cpp
    src/platform/ResourceLibrary.cpp
    src/platform/StringTable.cpp
    src/platform/PrintDevice.cpp
    src/platform/TextPrinter.cpp
    src/platform/TypeAheadPrefix.cpp
)
list(APPEND TARVEX_UI_SOURCES
    src/platform/DialogButtons.cpp
    src/platform/CommandIcon.cpp
    src/platform/PageSetup.cpp
    src/platform/QtPrompter.cpp
    src/platform/WaitCursor.cpp
    src/platform/CallerLink.cpp
    src/platform/TypeAheadListBox.cpp
)
