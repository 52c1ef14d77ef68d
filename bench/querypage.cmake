# The query page: a large unpaged load into the grid, splitting and cleaning a
# large script, colouring a large text.
if(TARGET velmora_querypage)
  add_executable(bench_querypage ${CMAKE_CURRENT_LIST_DIR}/QueryPageBench.cpp)
  target_link_libraries(bench_querypage PRIVATE velmora_querypage benchmark::benchmark Qt6::Widgets)
endif()
