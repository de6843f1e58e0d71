# Loading the adapter's driver library at run time.
platform_library(platform_dynlib dynlib)
if(NOT WIN32)
  target_link_libraries(platform_dynlib PRIVATE ${CMAKE_DL_LIBS})
endif()
