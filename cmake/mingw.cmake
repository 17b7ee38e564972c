# Cross build for Windows with MinGW-w64, fully static: the programs need no
# libgcc, libstdc++ or winpthread DLL beside them. Included by the toolchain
# file of each processor (mingw-i686.cmake, mingw-x86_64.cmake), which sets
# SETWELL_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)

# The POSIX thread model by default: GoogleTest needs std::mutex; -static
# links winpthread into the program. SETWELL_THREAD_MODEL=win32 selects the
# win32 model for the product, which must load on Windows 98 to 2003.
if(NOT SETWELL_THREAD_MODEL)
  set(SETWELL_THREAD_MODEL posix)
endif()
set(CMAKE_C_COMPILER ${SETWELL_MINGW_TRIPLE}-gcc-${SETWELL_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${SETWELL_MINGW_TRIPLE}-g++-${SETWELL_THREAD_MODEL})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SETWELL_THREAD_MODEL)
set(CMAKE_RC_COMPILER ${SETWELL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SETWELL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Windows XP is the oldest NT target the wizard supports; its headers declare
# everything the installer calls.
add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600)

# Test programs run under Wine: scripts/wine-run picks the Wine that runs
# the program's processor.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
