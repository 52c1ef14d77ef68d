# Record editing in the query page: repainting the edited rows of a page,
# taking over a wide changed row, and the key check of a very large table.
if(TARGET velmora_querypage)
  add_executable(bench_editing_page ${CMAKE_CURRENT_LIST_DIR}/EditingPageBench.cpp)
  target_include_directories(bench_editing_page PRIVATE ${PROJECT_SOURCE_DIR}/tests/querypage)
  target_link_libraries(bench_editing_page PRIVATE velmora_querypage benchmark::benchmark Qt6::Widgets)
endif()
