# A real .accdb file read through the MDBTools driver, beside mdb-export (bench/run.d/accdb).
add_executable(bench_accdb ${CMAKE_CURRENT_LIST_DIR}/AccdbBench.cpp)
target_link_libraries(bench_accdb PRIVATE velmora_db)
