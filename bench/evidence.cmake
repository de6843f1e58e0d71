# Evidence benchmarks (bench/run.sh runs every benchmark):
#   calls_bench     adapter calls per primitive, operation and reading cycle,
#                   counted by the simulated adapter, beside the waveform figures
#   overhead_bench  the library's own cost: each operation through the library
#                   against the same adapter calls replayed into an adapter that
#                   only counts
# Both walk the operation table of the robustness tests.
set(EVIDENCE_OPERATIONS_DIR ${CMAKE_SOURCE_DIR}/tests/robustness)

thermo_benchmark(calls_bench calls_bench.cpp)
target_include_directories(calls_bench PRIVATE ${EVIDENCE_OPERATIONS_DIR})
target_link_libraries(calls_bench PRIVATE i2c ftd2xx_sim)

# The counting adapter as libftd2xx.so in a folder of its own; the overhead
# benchmark links it, so the link's run-time load finds it by its soname.
add_library(ftd2xx_counting SHARED counting_adapter.cpp)
target_link_libraries(ftd2xx_counting PRIVATE project_warnings)
set_target_properties(ftd2xx_counting PROPERTIES
  OUTPUT_NAME ftd2xx
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench/counting
  CXX_VISIBILITY_PRESET hidden)

thermo_benchmark(overhead_bench overhead_bench.cpp)
target_include_directories(overhead_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${EVIDENCE_OPERATIONS_DIR})
target_link_libraries(overhead_bench PRIVATE i2c platform_dynlib ftd2xx_counting)
