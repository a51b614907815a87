# Cross build for 32-bit Windows (Windows XP on x86).
set(MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
