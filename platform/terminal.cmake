# Whether the standard streams are interactive terminals.
if(WIN32)
  add_library(platform_terminal STATIC ${CMAKE_CURRENT_LIST_DIR}/terminal_win32.cpp)
else()
  add_library(platform_terminal STATIC ${CMAKE_CURRENT_LIST_DIR}/terminal_linux.cpp)
endif()
target_link_libraries(platform_terminal PUBLIC project_includes PRIVATE project_warnings)
