# What both Debian cross toolchains share: the cross compilers, the target's
# own libraries installed beside this machine's (multiarch), this machine's
# Qt tools (moc and friends), and qemu-user to run what was built.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${TAMREL_CROSS_PROCESSOR})
set(CMAKE_LIBRARY_ARCHITECTURE ${TAMREL_CROSS_TRIPLET})

find_program(CMAKE_C_COMPILER NAMES ${TAMREL_CROSS_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TAMREL_CROSS_TRIPLET}-g++ REQUIRED)

# Libraries and headers of the target only; programs of this machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${TAMREL_CROSS_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
set(QT_HOST_PATH /usr CACHE PATH "The Qt whose tools serve the cross build")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")

# binfmt_misc may be missing: the emulator is named.
find_program(TAMREL_QEMU NAMES qemu-${TAMREL_CROSS_QEMU})
if(TAMREL_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAMREL_QEMU})
endif()
# Protocol files only, but Debian's package file for them is this machine's.
set(PLASMA_WAYLAND_PROTOCOLS_DIR /usr/share/plasma-wayland-protocols CACHE PATH "")
