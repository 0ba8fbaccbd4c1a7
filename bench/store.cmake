# bench_store: saving and loading 100,000 reminders, and the memory they take.
add_executable(bench_store ${CMAKE_CURRENT_SOURCE_DIR}/BenchStore.cpp)
target_link_libraries(bench_store PRIVATE fw_reminders)
