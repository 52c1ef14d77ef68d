# The query page's dialogs: re-indenting a large statement, listing many data sources.
if(TARGET velmora_mainwindow)
  add_executable(bench_dialogs ${CMAKE_CURRENT_LIST_DIR}/DialogsBench.cpp)
  target_link_libraries(bench_dialogs PRIVATE velmora_mainwindow benchmark::benchmark Qt6::Widgets)
endif()
