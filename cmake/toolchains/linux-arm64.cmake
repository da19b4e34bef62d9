# Cross-builds the Linux program for 64-bit ARM (Raspberry Pi OS 64-bit).
set(TAMREL_CROSS_TRIPLET aarch64-linux-gnu)
set(TAMREL_CROSS_PROCESSOR aarch64)
set(TAMREL_CROSS_QEMU aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
