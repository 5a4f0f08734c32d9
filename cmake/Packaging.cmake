# The Debian package of the game: `cpack -G DEB` in the build directory writes
# kostkolam_<version>_<arch>.deb, installing under /usr. The shared libraries it needs are worked
# out by dpkg-shlibdeps (package dpkg-dev) from the installed program, so they follow whatever Qt
# the build used.
if(NOT KOSTKOLAM_WITH_QT)
    return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kostkolam)
set(CPACK_PACKAGE_VENDOR "Kostkolam developers")
set(CPACK_PACKAGE_CONTACT "Kostkolam developers <kostkolam@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small brick-breaking game with Czech texts")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps sees only linked libraries. The labels' texts need a sans-serif face with the
# Czech letters, which no library pulls in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core | fonts-liberation")

include(CPack)
