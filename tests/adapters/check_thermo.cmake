# The console program run against the libftdi adapter library on a machine
# with no adapter attached: it must load our library (not the simulated one,
# not none at all), fail to open adapter 0, print the start-up error and
# "Hit any key ", and, with no terminal to wait on, exit 0.
# cmake -DTHERMO=<thermo> -DLIBRARY_DIR=<folder of libftd2xx.so> -P check_thermo.cmake
set(ENV{LD_LIBRARY_PATH} "${LIBRARY_DIR}")
# The dynamic loader reports on stderr every library it initialises.
set(ENV{LD_DEBUG} "libs")
execute_process(
  COMMAND ${THERMO}
  INPUT_FILE /dev/null
  OUTPUT_VARIABLE out
  ERROR_VARIABLE loader_trace
  RESULT_VARIABLE result
  TIMEOUT 30)

set(expected "Erreur a l'initialisation I2C\nHit any key ")
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "console output differs\n--- got ---\n[${out}]\n--- expected ---\n[${expected}]")
endif()
if(NOT result STREQUAL "0")
  message(FATAL_ERROR "exit status ${result}, expected 0")
endif()
string(FIND "${loader_trace}" "calling init: ${LIBRARY_DIR}/libftd2xx.so" loaded)
if(loaded EQUAL -1)
  message(FATAL_ERROR "thermo did not load ${LIBRARY_DIR}/libftd2xx.so; loader trace:\n${loader_trace}")
endif()
