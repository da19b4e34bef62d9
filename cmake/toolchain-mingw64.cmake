# Cross-builds the 64-bit Windows program with MinGW-w64 from Linux.
set(TAMREL_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
