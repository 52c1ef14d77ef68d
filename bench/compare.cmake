# The database comparison: a full run on two local files, the engine alone on
# preloaded lists, and the merge of two thousand preloaded items.
add_executable(bench_compare ${CMAKE_CURRENT_LIST_DIR}/CompareBench.cpp)
target_link_libraries(bench_compare PRIVATE velmora_compare)
