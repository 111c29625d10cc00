# Run at install time: the desktop entry, the icon and the "korva" command. They go under the
# install prefix, except that a program kept under /opt (the package's /opt/korva) has them
# under /usr, where desktops and shells look.
if(KORVA_DESKTOP_PREFIX)
    set(top "${KORVA_DESKTOP_PREFIX}")
elseif(CMAKE_INSTALL_PREFIX MATCHES "^/opt/")
    set(top "/usr")
else()
    set(top "${CMAKE_INSTALL_PREFIX}")
endif()
set(KORVA_EXE "${CMAKE_INSTALL_PREFIX}/bin/KORVA")
configure_file("${KORVA_SOURCE_DIR}/data/korva.desktop.in" "${KORVA_BUILD_DIR}/korva.desktop" @ONLY)
file(INSTALL "${KORVA_BUILD_DIR}/korva.desktop" DESTINATION "${top}/share/applications")
file(INSTALL "${KORVA_SOURCE_DIR}/src/base/icons/KORVA.svg"
     DESTINATION "${top}/share/icons/hicolor/scalable/apps" RENAME korva.svg)
file(RELATIVE_PATH link "${top}/bin" "${KORVA_EXE}")
file(MAKE_DIRECTORY "$ENV{DESTDIR}${top}/bin")
message(STATUS "Installing: $ENV{DESTDIR}${top}/bin/korva -> ${link}")
file(CREATE_LINK "${link}" "$ENV{DESTDIR}${top}/bin/korva" SYMBOLIC)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${top}/bin/korva")
