# What both MinGW-w64 toolchain files share; each sets TAVRIX_MINGW_PROCESSOR
# (i686 or x86_64) first. The -posix compilers are required: the
# win32-thread variants lack std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TAVRIX_MINGW_PROCESSOR})
set(tavrix_triple ${TAVRIX_MINGW_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER ${tavrix_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${tavrix_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${tavrix_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${tavrix_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

find_program(WINE_PROGRAM wine)
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
endif()
