# The console: unbuffered output and the key-pressed test.
platform_library(platform_console console)
