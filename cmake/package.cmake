# The Debian package (`make package`, or cpack in a build folder): tevra_<version>_amd64.deb with the
# library, its header, the pkg-config file, the CMake package, the game and the examples' sources,
# installed under /usr. Its run-time dependencies are read from the binaries by dpkg-shlibdeps; the
# font and SDL2 (loaded at run time, when a program opens real windows) are named by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tevra)
set(CPACK_PACKAGE_VENDOR "The TEVRA developers")
set(CPACK_PACKAGE_CONTACT "The TEVRA developers <tevra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small graphics and event library for interactive C programs")
set(CPACK_PACKAGE_DESCRIPTION "TEVRA opens a graphics window and a text console, draws with a
24-colour palette in a y-up coordinate system, and turns clicks, typed keys and a 100 ms animation
timer into one stream of events. It records and replays that stream, and runs any program without a
screen for tests and grading. Includes Frostvel, an ice-cream cone builder written on TEVRA.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installing through DESTDIR keeps the real prefix in what is written at install time (tevra.pc).
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libtevra.so.1 is in the package itself: the game's dependency on it needs no other package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/tevra)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libsdl2-2.0-0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pkg-config, gcc | c-compiler")
# tevra-web and the web kit, when the package carries them, build pages with emscripten.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS emscripten)
include(CPack)
