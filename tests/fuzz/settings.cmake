# The settings file's reader and writer, through the file-backed registry, fed arbitrary files.
kestrune_add_fuzzer(settings_fuzzer
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/SettingsFileFuzzer.cpp
    LIBS kestrune_platform)
