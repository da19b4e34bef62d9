# The Linux program as a Debian package: `cpack` in a Release build tree
# writes tamrel_<version>_amd64.deb. It installs under /usr, where the
# program keeps each user's files in the user's own folders.
include(GNUInstallDirs)
set(packaging ${PROJECT_SOURCE_DIR}/packaging/linux)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/tamrel)

# The changelog of a package that is its own upstream (no Debian revision)
# and the manual page; Debian wants them compressed reproducibly: no name or time in the header.
function(tamrel_gzip source output)
  configure_file(${source} ${CMAKE_CURRENT_BINARY_DIR}/${output} @ONLY)
  add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${output}.gz
    COMMAND gzip -9nf ${output}
    DEPENDS ${source}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
tamrel_gzip(${packaging}/changelog.in changelog)
tamrel_gzip(${packaging}/tamrel.1.in tamrel.1)
add_custom_target(tamrel_package_files ALL DEPENDS
  ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz ${CMAKE_CURRENT_BINARY_DIR}/tamrel.1.gz)

install(TARGETS tamrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${packaging}/tamrel-setup.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/tamrel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Before the seat rules that turn "uaccess" into the seated user's access.
install(FILES ${packaging}/70-tamrel-rtc.rules DESTINATION lib/udev/rules.d)
# Enabled by hand for one user (`systemctl enable tamrel@arcade`): nothing to
# do when the package is installed.
install(FILES ${packaging}/tamrel@.service DESTINATION lib/systemd/system)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tamrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz README.md docs/fleet.md
        DESTINATION ${docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Tamrel project <maintainers@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# A cross build is packed for its target, not for the machine that built it.
if(CMAKE_CROSSCOMPILING)
  execute_process(COMMAND dpkg-architecture -qDEB_HOST_ARCH -t ${CMAKE_LIBRARY_ARCHITECTURE}
                  OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
endif()
# Libraries are found by dpkg-shlibdeps; Qt's platform plugins and SDL (for
# joystick buttons) are loaded at run time, so they are named here. A
# Wayland session has no screen without Qt's Wayland plugin.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsdl2-2.0-0")
# The synopsis, then the long description; CPack indents it as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "launch an arcade front end, then shut the machine down
Tamrel is for home arcade cabinets and other unattended machines. Started
with the desktop session, it launches one configured program (an arcade
front end, or a script that starts an emulator) and waits until it has
ended. Then it shows a full-screen countdown and at 0 powers the machine
off through systemd-logind. A key cancels and leaves the machine on.

Tamrel Setup in the applications menu chooses the program, the keys, the
countdown and its look, and whether Tamrel starts with the session.")
include(CPack)
