# Cross-compiles for 64-bit Windows with MinGW-w64.
set(TAVRIX_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
