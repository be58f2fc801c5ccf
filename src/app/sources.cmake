list(APPEND TARVEX_CORE_SOURCES
    src/app/AppPaths.cpp
    src/app/Registry.cpp
    src/app/Settings.cpp
    src/app/WindowPlacement.cpp
    src/app/MenuLayout.cpp
)
list(APPEND TARVEX_UI_SOURCES
    src/app/AboutDialog.cpp
    src/app/BackupCommands.cpp
    src/app/Application.cpp
    src/app/DatabaseAccessDialog.cpp
    src/app/GuardedApplication.cpp
    src/app/MainFrame.cpp
    src/app/OptionsDialog.cpp
    src/app/PrintSetupCommand.cpp
    src/app/PasswordChange.cpp
    src/app/RecordKeys.cpp
    src/app/ChildFrames.cpp
    src/app/CommandActions.cpp
    src/app/HelpWindow.cpp
    src/app/SpawnMDIChildWnd.cpp
    src/app/SaveScript.cpp
    src/app/SystemTray.cpp
    src/app/TipOfDayDialog.cpp
    src/app/WindowKinds.cpp
)
