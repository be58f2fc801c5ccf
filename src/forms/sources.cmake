list(APPEND TARVEX_CORE_SOURCES
    src/forms/TypeAheadPrefix.cpp
)
list(APPEND TARVEX_UI_SOURCES
    src/forms/DataEntryDialog.cpp
    src/forms/PickListEdit.cpp
    src/forms/PickListPopup.cpp
    src/forms/TypeAheadComboBox.cpp
    src/forms/TypeAheadListBox.cpp
)
