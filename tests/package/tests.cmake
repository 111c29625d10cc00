# The Debian package: built with CPack, unpacked with dpkg -x into a temporary root, its
# files, dependencies and desktop entry checked, and its korvactl run from there: a sheet,
# and the built-in demo device.
add_test(NAME package_deb
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/deb_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(package_deb PROPERTIES TIMEOUT 300)
