list(APPEND TARVEX_CORE_SOURCES
    src/duplicates/DuplicateFinder.cpp
    src/duplicates/DuplicateSearch.cpp
    src/duplicates/MatchKeys.cpp
    src/duplicates/MatchReason.cpp
    src/duplicates/MergeChoices.cpp
    src/duplicates/MergeHistory.cpp
    src/duplicates/NotDuplicates.cpp
    src/duplicates/PartyKeys.cpp
    src/duplicates/RecordMatcher.cpp
)
list(APPEND TARVEX_UI_SOURCES
    src/duplicates/DuplicateGroupModel.cpp
    src/duplicates/DuplicatesDialog.cpp
    src/duplicates/MergeGrid.cpp
)
