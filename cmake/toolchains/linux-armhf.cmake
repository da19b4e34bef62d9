# Cross-builds the Linux program for 32-bit ARM (Raspberry Pi OS 32-bit).
set(TAMREL_CROSS_TRIPLET arm-linux-gnueabihf)
set(TAMREL_CROSS_PROCESSOR arm)
set(TAMREL_CROSS_QEMU arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
# File offsets, sizes and directory positions of 64 bits, as the kernel and a
# large disk give them: without, a directory read may fail (EOVERFLOW).
set(CMAKE_C_FLAGS_INIT "-D_FILE_OFFSET_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-D_FILE_OFFSET_BITS=64")
