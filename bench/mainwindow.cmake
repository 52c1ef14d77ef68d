# The main window: start with 1 and 20 tabs, closing the first of 20 tabs,
# and the shutdown of 20 unchanged pages, with the program's own pages.
add_executable(bench_mainwindow ${CMAKE_CURRENT_LIST_DIR}/MainWindowBench.cpp)
target_link_libraries(bench_mainwindow PRIVATE velmora_mainwindow Qt6::Widgets)
target_compile_definitions(bench_mainwindow PRIVATE VELMORA_TRANSLATE_VRX="${VELMORA_TRANSLATE_VRX}")
add_dependencies(bench_mainwindow translate_vrx)
