# The INSERT script of a large result and the column fit of a wide grid.
if(TARGET velmora_querypage)
  add_executable(bench_script ${CMAKE_CURRENT_LIST_DIR}/ScriptBench.cpp)
  target_include_directories(bench_script PRIVATE ${PROJECT_SOURCE_DIR}/tests/querypage)
  target_link_libraries(bench_script PRIVATE velmora_querypage benchmark::benchmark Qt6::Widgets)
endif()
