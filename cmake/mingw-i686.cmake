# The product's build: 32-bit Windows (i686). Its programs run on Windows 98
# to Server 2003 and under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SETWELL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
