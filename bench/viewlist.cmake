# Listing the views of a database whose view has a million rows.
add_executable(bench_viewlist ${CMAKE_CURRENT_LIST_DIR}/ViewListBench.cpp)
target_link_libraries(bench_viewlist PRIVATE velmora_data velmora_db Qt6::Core)
