# bench_tick: engine time of one tick with many reminders and none due, and the
# latency from a second's turn to its alert under the real tick timer.
add_executable(bench_tick ${CMAKE_CURRENT_SOURCE_DIR}/BenchTick.cpp)
target_link_libraries(bench_tick PRIVATE fw_alarm)
