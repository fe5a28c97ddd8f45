# Every target of the project builds with warnings as errors.
add_library(zav_warnings INTERFACE)
target_compile_options(zav_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough -Werror)
# The sanitizers' instrumentation makes GCC's flow analysis report uninitialised values and null
# dereferences that cannot happen (its manual warns of this); the plain build keeps both as errors.
if(ZAV_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(zav_warnings INTERFACE -Wno-maybe-uninitialized -Wno-null-dereference)
endif()
