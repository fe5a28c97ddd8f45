# Every target of the project builds with warnings as errors.
add_library(zav_warnings INTERFACE)
target_compile_options(zav_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough -Werror)
