# The batch tool on large stand registers (included from bench/CMakeLists.txt).
add_executable(batch_bench ${CMAKE_CURRENT_LIST_DIR}/batch_bench.cpp)
target_link_libraries(batch_bench PRIVATE batchrun benchmark::benchmark)
