# Legacy port I/O (platform/port_io.h): target port_io_native, the real ports.
# One source per OS; the simulated backend lives in sim/lpt (port_io_sim).
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(port_io_native_sources ${CMAKE_CURRENT_LIST_DIR}/port_io_linux.cpp)
elseif(WIN32)
  # Through a port-I/O driver library loaded at run time (inpout32.dll).
  set(port_io_native_sources ${CMAKE_CURRENT_LIST_DIR}/port_io_win32.cpp)
endif()

if(port_io_native_sources)
  add_library(port_io_native STATIC ${port_io_native_sources})
  target_link_libraries(port_io_native PUBLIC project_includes PRIVATE project_warnings)
  if(WIN32)
    target_link_libraries(port_io_native PRIVATE platform_dynlib)
  endif()
endif()
