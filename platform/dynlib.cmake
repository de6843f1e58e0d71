# Loading the adapter's driver library at run time.
if(WIN32)
  add_library(platform_dynlib STATIC ${CMAKE_CURRENT_LIST_DIR}/dynlib_win32.cpp)
else()
  add_library(platform_dynlib STATIC ${CMAKE_CURRENT_LIST_DIR}/dynlib_linux.cpp)
  target_link_libraries(platform_dynlib PRIVATE ${CMAKE_DL_LIBS})
endif()
target_link_libraries(platform_dynlib PUBLIC project_includes PRIVATE project_warnings)
