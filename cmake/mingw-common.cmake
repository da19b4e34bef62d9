# What both MinGW-w64 toolchains share. The program links statically so that
# it needs no runtime DLL beside the system's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TAMREL_MINGW_TRIPLET})

# The posix thread model gives the full C++ standard library.
find_program(CMAKE_C_COMPILER NAMES ${TAMREL_MINGW_TRIPLET}-gcc-posix ${TAMREL_MINGW_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TAMREL_MINGW_TRIPLET}-g++-posix ${TAMREL_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TAMREL_MINGW_TRIPLET}-windres windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TAMREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Lets ctest run the cross-built tests where Wine is installed.
find_program(TAMREL_WINE NAMES wine)
if(TAMREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAMREL_WINE})
endif()

# The Release program is what the zip ships, and is kept under 1 MiB: built
# for size, unused code dropped, symbols stripped. Set as the cache entry
# itself, since CMake would append its own -O3 to an _INIT value.
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG -ffunction-sections -fdata-sections" CACHE STRING "Release compiler flags")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-s -Wl,--gc-sections" CACHE STRING "Release linker flags")
