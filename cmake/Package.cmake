# Installation and the Debian package. `cmake --install build --prefix P` puts the program
# folder in P/bin (the executables, their data and the marker that makes the program run
# from each person's own copy of the data) and the desktop entry, icon and "korva" command
# beside (see InstallDesktop.cmake). scripts/package.sh builds korva_<version>_amd64.deb,
# which installs under /opt/korva.
install(TARGETS KORVA korvactl korva-devsim RUNTIME DESTINATION bin)
install(FILES ${KORVA_DIST_DIR}/KORVA.set ${KORVA_BIN_DIR}/KORVA.ml ${KORVA_DIST_DIR}/KORVA.sdb
              ${KORVA_BIN_DIR}/RV27.mdb ${PROJECT_SOURCE_DIR}/data/korva-installed
        DESTINATION bin)
set(KORVA_DESKTOP_PREFIX "" CACHE PATH
    "Where the desktop entry, icon and korva command go (empty: the install prefix, /usr for /opt)")
# Before the install code that writes it into the changelog.
set(KORVA_MAINTAINER "KORVA maintainers <maintainers@users.noreply.c-seed-ea69adf4.example>"
    CACHE STRING "The package's maintainer: name <address>")
install(CODE "set(KORVA_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
set(PROJECT_VERSION \"${PROJECT_VERSION}\")
set(KORVA_MAINTAINER \"${KORVA_MAINTAINER}\")
set(KORVA_BUILD_DIR \"${CMAKE_BINARY_DIR}\")
set(KORVA_DESKTOP_PREFIX \"${KORVA_DESKTOP_PREFIX}\")")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallDesktop.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korva)
set(CPACK_PACKAGE_VENDOR "KORVA")
set(CPACK_PACKAGE_CONTACT "${KORVA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for the KORVA SMS alarm dialer")
set(CPACK_PACKAGE_DESCRIPTION
    "Builds the contact groups, contacts and alarm zones of an SMS alarm dialer,\nkeeps them as a project file, downloads them into the device over RS-232\nand prints a project sheet. Includes korvactl (the same core from a\nterminal) and korva-devsim (a device simulator).")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/korva)
set(CPACK_INSTALL_PREFIX /opt/korva) # the prefix CPack installs with under DESTDIR
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries the executables link: the X11 platform plugin, the SVG image plugin
# the icons are drawn with (loaded at run time, so no library dependency shows it), the CJK
# fonts the texts and the printed sheet use; Qt's own Chinese texts (dialog buttons) are
# recommended.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
