# The console: unbuffered output and the key-pressed test.
if(WIN32)
  add_library(platform_console STATIC ${CMAKE_CURRENT_LIST_DIR}/console_win32.cpp)
else()
  add_library(platform_console STATIC ${CMAKE_CURRENT_LIST_DIR}/console_linux.cpp)
endif()
target_link_libraries(platform_console PUBLIC project_includes PRIVATE project_warnings)
