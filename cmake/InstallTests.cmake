# Tests of what users get: the installed tree (desktop entry, AppStream data, icons, the editor
# finding its data when installed) and the Debian package unpacked into a private root.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
find_program(DPKG_DEB dpkg-deb)
set(INSTALL_TEST_ENV
    QT_QPA_PLATFORM=offscreen
    LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0)

add_test(NAME InstalledTree COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-install ${CMAKE_BINARY_DIR})
set_tests_properties(InstalledTree PROPERTIES TIMEOUT 600 ENVIRONMENT "${INSTALL_TEST_ENV}"
                     SKIP_RETURN_CODE 77)
add_test(NAME DebianPackage COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-package ${CMAKE_BINARY_DIR})
set_tests_properties(DebianPackage PROPERTIES TIMEOUT 900 ENVIRONMENT "${INSTALL_TEST_ENV}"
                     SKIP_RETURN_CODE 77 RUN_SERIAL TRUE)
