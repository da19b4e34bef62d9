# Cross-builds the Linux program for 32-bit ARM (Raspberry Pi OS 32-bit).
set(TAMREL_CROSS_TRIPLET arm-linux-gnueabihf)
set(TAMREL_CROSS_PROCESSOR arm)
set(TAMREL_CROSS_QEMU arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
