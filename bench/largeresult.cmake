# A large result through the query page and each export, one process a measure.
if(TARGET velmora_querypage AND TARGET velmora_export)
  add_executable(bench_largeresult ${CMAKE_CURRENT_LIST_DIR}/LargeResultBench.cpp)
  target_link_libraries(bench_largeresult PRIVATE velmora_querypage velmora_export PkgConfig::SQLITE3_BENCH Qt6::Widgets)
  target_compile_definitions(bench_largeresult PRIVATE VELMORA_SQLITE_ODBC_DRIVER="${VELMORA_BENCH_SQLITE_ODBC}")
endif()
