list(APPEND TARVEX_CORE_SOURCES
    src/alarms/AdvanceAlarm.cpp
    src/alarms/AlarmScheduler.cpp
    src/alarms/AlarmSoundSource.cpp
    src/alarms/AlarmTable.cpp
    src/alarms/SchedulerUpdate.cpp
    src/alarms/TakeDueAlarm.cpp
    src/alarms/TipsFile.cpp
)
list(APPEND TARVEX_UI_SOURCES
    src/alarms/AlarmFView.cpp
    src/alarms/AlarmNotice.cpp
    src/alarms/AlarmSound.cpp
)
