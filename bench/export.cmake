# The exports on the million-row table: CSV fast and full paths, and a
# 600,000-row workbook beside libxlsxwriter writing the same cells alone.
if(TARGET velmora_export)
  pkg_check_modules(XLSXWRITER_BENCH REQUIRED IMPORTED_TARGET xlsxwriter)
  add_executable(bench_export ExportBench.cpp)
  target_link_libraries(bench_export PRIVATE velmora_export PkgConfig::SQLITE3_BENCH PkgConfig::XLSXWRITER_BENCH)
endif()
