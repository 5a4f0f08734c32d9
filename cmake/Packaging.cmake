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
# The long description; CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kostkolam is a small brick-breaking game for the desktop; all its texts are
Czech. Move the paddle with the A and D keys, keep the ball in play and knock
out the bricks of three levels. Every brick is worth 10 points; a ball that
gets past the paddle costs a life and 30 points.
.
The package also holds kostkolam-script, which plays a scenario against the
game's rules without any window, for recorded games and regression tests.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# CPack strips with plain `strip`, which leaves the compiler's .comment and .note sections; strip
# them as Debian's own packaging does.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program IN ITEMS kostkolam kostkolam-script)
            execute_process(
                COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                        --strip-unneeded
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${KOSTKOLAM_INSTALL_GAMESDIR}/\${program}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()
")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps sees only linked libraries. The labels' texts need a sans-serif face with the
# Czech letters, which no library pulls in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core | fonts-liberation")

include(CPack)
