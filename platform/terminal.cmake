# Whether the standard streams are interactive terminals.
platform_library(platform_terminal terminal)
