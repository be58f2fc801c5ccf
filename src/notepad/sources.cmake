list(APPEND TARVEX_CORE_SOURCES
    src/notepad/CodePage.cpp
    src/notepad/RecentFileList.cpp
    src/notepad/RtfFile.cpp
    src/notepad/RichText.cpp
    src/notepad/RtfReader.cpp
    src/notepad/RtfWriter.cpp
    src/notepad/TableTextDump.cpp
)
list(APPEND TARVEX_UI_SOURCES
    src/notepad/FindReplaceDialog.cpp
    src/notepad/RichTextDocument.cpp
    src/notepad/VondDoc.cpp
    src/notepad/VondView.cpp
)
