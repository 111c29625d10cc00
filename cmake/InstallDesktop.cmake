# Run at install time: the desktop entry, the icon, the project files' MIME type, the "korva"
# command with its manual page, and the package's documents (copyright, changelog, guide). They go under the
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
file(INSTALL "${KORVA_SOURCE_DIR}/data/package/korva-mime.xml"
     DESTINATION "${top}/share/mime/packages" RENAME korva.xml)

# Compressed as Debian wants them: gzip -9, without name or time stamp.
function(korva_gzip from to)
    execute_process(COMMAND gzip -9nc "${from}" OUTPUT_FILE "${to}" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "gzip ${from} failed")
    endif()
endfunction()
set(doc "${top}/share/doc/korva")
configure_file("${KORVA_SOURCE_DIR}/data/package/changelog.in" "${KORVA_BUILD_DIR}/changelog" @ONLY)
korva_gzip("${KORVA_BUILD_DIR}/changelog" "${KORVA_BUILD_DIR}/changelog.gz")
korva_gzip("${KORVA_SOURCE_DIR}/data/package/korva.1" "${KORVA_BUILD_DIR}/korva.1.gz")
file(INSTALL "${KORVA_BUILD_DIR}/korva.1.gz" DESTINATION "${top}/share/man/man1")
file(INSTALL "${KORVA_SOURCE_DIR}/data/package/copyright" "${KORVA_BUILD_DIR}/changelog.gz"
     "${KORVA_SOURCE_DIR}/docs/USER-GUIDE.md" DESTINATION "${doc}")
file(INSTALL "${KORVA_SOURCE_DIR}/docs/guide" DESTINATION "${doc}")
# Within one top-level folder the link is relative; from /usr to /opt it is absolute, as
# Debian wants links between top-level folders.
string(REGEX MATCH "^/[^/]+" topRoot "${top}")
string(REGEX MATCH "^/[^/]+" exeRoot "${KORVA_EXE}")
if(topRoot STREQUAL exeRoot)
    file(RELATIVE_PATH link "${top}/bin" "${KORVA_EXE}")
else()
    set(link "${KORVA_EXE}")
endif()
file(MAKE_DIRECTORY "$ENV{DESTDIR}${top}/bin")
message(STATUS "Installing: $ENV{DESTDIR}${top}/bin/korva -> ${link}")
file(CREATE_LINK "${link}" "$ENV{DESTDIR}${top}/bin/korva" SYMBOLIC)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${top}/bin/korva")
