# The console program under valgrind against the simulated adapter, for two
# run lengths: no memory error, nothing lost, and no heap growth per reading
# cycle (the longer run may not allocate one block more per extra cycle).
#
# The program loops until a key is pressed; with no terminal it is ended by
# the adapter's pin reads failing after a set number of cycles, which it
# reports as a failed reading and then exits 0.
#
# cmake -DVALGRIND=<valgrind> -DTHERMO=<thermo> -DLIBRARY_DIR=<sim lib dir>
#       -DWORK_DIR=<dir> -P thermo_valgrind.cmake
set(short_run 100)
set(long_run 400)

# Pin reads per reading cycle with the conversion done at the second look:
# start 2, two done-flag reads 2 x 12, two-byte reading 19, high-resolution 33.
set(reads_per_cycle 78)
set(reads_before_loop 17)  # I2C_Open 2, TEMP_Init up to 15

function(run cycles allocs_var)
  math(EXPR fail_from "${reads_before_loop} + ${cycles} * ${reads_per_cycle} + 1")
  set(log "${WORK_DIR}/thermo_valgrind_${cycles}.log")
  set(ENV{LD_LIBRARY_PATH} "${LIBRARY_DIR}")
  set(ENV{FTSIM_DEVICES} "therm:0")
  set(ENV{FTSIM_TEMP} "23.5")
  set(ENV{FTSIM_CONVERSION} "2reads")
  set(ENV{FTSIM_LATENCY_US} "0")
  set(ENV{FTSIM_FAULT} "getbitmode-from:${fail_from}")
  execute_process(
    COMMAND ${VALGRIND} --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect
            --log-file=${log} ${THERMO}
    INPUT_FILE /dev/null
    OUTPUT_VARIABLE out
    RESULT_VARIABLE result
    TIMEOUT 240)
  file(READ "${log}" report)
  if(NOT result STREQUAL "0")
    message(FATAL_ERROR "${cycles} cycles: exit status ${result}\n${report}")
  endif()
  string(REGEX MATCHALL "Temp1=" readings "${out}")
  list(LENGTH readings count)
  math(EXPR least "${cycles} - 1")
  if(count LESS least)
    message(FATAL_ERROR "${cycles} cycles: only ${count} readings\n${out}")
  endif()
  if(NOT report MATCHES "ERROR SUMMARY: 0 errors")
    message(FATAL_ERROR "${cycles} cycles: valgrind reports errors\n${report}")
  endif()
  if(NOT report MATCHES "total heap usage: ([0-9,]+) allocs")
    message(FATAL_ERROR "no heap summary in\n${report}")
  endif()
  string(REPLACE "," "" allocs "${CMAKE_MATCH_1}")
  message(STATUS "${cycles} cycles: ${count} readings, ${allocs} heap blocks allocated in all")
  set(${allocs_var} ${allocs} PARENT_SCOPE)
endfunction()

run(${short_run} short_allocs)
run(${long_run} long_allocs)
math(EXPR extra_allocs "${long_allocs} - ${short_allocs}")
math(EXPR extra_cycles "${long_run} - ${short_run}")
message(STATUS "${extra_cycles} more cycles: ${extra_allocs} more heap blocks")
if(extra_allocs GREATER_EQUAL extra_cycles)
  message(FATAL_ERROR "heap grows with the cycles: ${extra_allocs} more blocks for ${extra_cycles} more cycles")
endif()
