list(APPEND TARVEX_CORE_SOURCES
    src/dossiers/DossierPages.cpp
)
list(APPEND TARVEX_UI_SOURCES
    src/dossiers/DossierPage.cpp
    src/dossiers/DossierSheet.cpp
    src/dossiers/DossierFView.cpp
    src/dossiers/SharksFView.cpp
    src/dossiers/Sharks2FView.cpp
)
