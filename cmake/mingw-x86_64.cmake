# The same sources for 64-bit Windows (x86_64): the test twin of the product
# on machines that cannot run 32-bit programs, where only 64-bit Wine runs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SETWELL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
