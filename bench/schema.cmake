# The table list's search step and the structure window's refill, offscreen.
add_executable(bench_schema ${CMAKE_CURRENT_LIST_DIR}/SchemaBench.cpp)
target_link_libraries(bench_schema PRIVATE velmora_schema)
