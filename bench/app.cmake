# app_probe: start-up, memory and hidden idle CPU of the real main window;
# leak_ticks: engine ticks for the leak check. bench/scripts/app.sh and
# bench/scripts/leak.sh run them (they are not bench_* programs on their own).
add_executable(app_probe ${CMAKE_CURRENT_SOURCE_DIR}/BenchApp.cpp)
target_link_libraries(app_probe PRIVATE fw_app fw_resources)
add_executable(leak_ticks ${CMAKE_CURRENT_SOURCE_DIR}/BenchAppLeak.cpp)
target_link_libraries(leak_ticks PRIVATE fw_alarm)
