list(APPEND TARVEX_CORE_SOURCES
    src/app/AppPaths.cpp
    src/app/Registry.cpp
    src/app/Settings.cpp
    src/app/WindowPlacement.cpp
)
