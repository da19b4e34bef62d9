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

# The Release program is what the zip ships: unused code dropped and symbols
# stripped keep it small.
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s -Wl,--gc-sections")
