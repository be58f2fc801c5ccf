list(APPEND TARVEX_CORE_SOURCES
    src/lists/CellText.cpp
    src/lists/FieldText.cpp
    src/lists/ListConnection.cpp
    src/lists/ListModel.cpp
    src/lists/ListPrinter.cpp
    src/lists/ListSource.cpp
    src/lists/PageRequests.cpp
    src/lists/SearchQuery.cpp
    src/lists/SearchResultModel.cpp
    src/lists/WildcardPattern.cpp
)
list(APPEND TARVEX_UI_SOURCES
    src/lists/FilterDlg.cpp
    src/lists/MyListView.cpp
    src/lists/QtPrintDevice.cpp
    src/lists/RecordLists.cpp
    src/lists/SearchDlg.cpp
)
