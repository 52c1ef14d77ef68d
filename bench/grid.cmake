# The result grid: filling, clearing, shrinking and colouring a full page load.
add_executable(bench_grid ${CMAKE_CURRENT_LIST_DIR}/GridBench.cpp)
target_link_libraries(bench_grid PRIVATE velmora_controls)
