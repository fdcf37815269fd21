# Installation and the Debian package: the dialer, its desktop entry, its
# icon, the default office file and an office with a SIP line. `cmake --install build --prefix /usr` installs them; `cpack` in the
# build folder (or `scripts/package.sh`) builds dialwerk_<version>_<arch>.deb.
include(GNUInstallDirs)

install(TARGETS dialwerk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/dialwerk.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/dialwerk.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The built-in office as a file, and an office with a SIP line, to copy and
# edit for `dialwerk --office`.
install(FILES ${PROJECT_SOURCE_DIR}/resources/office/default.json ${PROJECT_SOURCE_DIR}/resources/office/sip-pbx.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/dialwerk/office)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dialwerk)
set(CPACK_PACKAGE_VENDOR "Dialwerk")
set(CPACK_PACKAGE_CONTACT "Dialwerk developers <dialwerk@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Interactive test dialer for the Telephony API")
set(CPACK_PACKAGE_DESCRIPTION
    "Dialwerk places, answers and drops calls and drives every call-control feature of the Telephony API on a simulated telephone exchange, showing every result and event.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
# The library dependencies are read off the binary by dpkg-shlibdeps (Qt's,
# and libre0 for the SIP lines).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
