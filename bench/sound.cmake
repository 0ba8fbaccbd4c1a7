# sound_probe: the desk with the real sounds; bench/scripts/sound.sh records
# what it plays through private audio servers.
add_executable(sound_probe ${CMAKE_CURRENT_SOURCE_DIR}/BenchSound.cpp)
target_link_libraries(sound_probe PRIVATE fw_desk fw_media fw_resources)
