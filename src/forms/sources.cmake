list(APPEND TARVEX_CORE_SOURCES
    src/forms/NameResolution.cpp
    src/forms/RecordStateMachine.cpp
)
list(APPEND TARVEX_UI_SOURCES
    src/forms/DossierButton.cpp
    src/forms/FieldBinder.cpp
    src/forms/MyFormView.cpp
    src/forms/PersonFView.cpp
    src/forms/RecordPrintout.cpp
    src/forms/ContactFView.cpp
    src/forms/PartyFormView.cpp
    src/forms/DataEntryDialog.cpp
    src/forms/DossierText.cpp
    src/forms/FirmFView.cpp
    src/forms/GroupFView.cpp
    src/forms/PickListEdit.cpp
    src/forms/PickListPopup.cpp
    src/forms/TypeAheadComboBox.cpp
)
