# The Debian package: cpack -G DEB in the build folder.
set(CPACK_PACKAGE_NAME autoquorvan)
set(CPACK_PACKAGE_VENDOR "AutoQuorvan")
set(CPACK_PACKAGE_CONTACT "AutoQuorvan support <suporte@autoquorvan.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Bridge between a fuel station's pump automation and its back-office")
# Short lines, as the package tools show them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Runs on the computer wired to the pumps: turns every record the pump"
    "automation leaves in its dBASE tables into a fueling in the back-office,"
    "moves the nozzle's totalizer, answers totalizer readings asked for through"
    "request files and logs every event. It starts with the session and waits"
    "in the notification area. Comes with autoquorvan-retaguarda, which sets up"
    "and lists the back-office, and autoquorvan-bomba, which writes pump tables"
    "the way the pump automation does.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The autostart entry goes to /etc, outside the prefix; staging through DESTDIR keeps it in the
# package instead of on the building computer.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Stripped: the symbols of a RelWithDebInfo build are forty times the program, and a station has
# no debugger. A crash is examined on a build of the same commit.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
# The Qt libraries are found by dpkg-shlibdeps; the SQLite driver is a plugin it cannot see, and
# the back-office database is SQLite unless the settings name a server. The window's captions were
# sized for a font with Liberation Sans's metrics; without it they fall back to a wider one.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt6sql6-psql")
# An operator's change to the autostart entry (turning it off on a spare computer) survives upgrades.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/conffiles)

include(CPack)
