# The query page's paging bar and tab history: one page refilled from a large
# record set, and a save and a load of a full six-entry history.
if(TARGET velmora_querypage)
  add_executable(bench_paging ${CMAKE_CURRENT_LIST_DIR}/PagingBench.cpp)
  target_link_libraries(bench_paging PRIVATE velmora_querypage benchmark::benchmark Qt6::Widgets)
endif()
