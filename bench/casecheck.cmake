# A start's open of a million-row local file with a case-free index, beside sqlite3's.
add_executable(bench_casecheck ${CMAKE_CURRENT_LIST_DIR}/CaseCheckBench.cpp)
target_link_libraries(bench_casecheck PRIVATE velmora_db benchmark::benchmark PkgConfig::SQLITE3_BENCH)
