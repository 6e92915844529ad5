# What cmake --install puts under its prefix P: the game as P/games/climb, its pak and defaults
# file under P/share/games/climb, where the engine looks beside the program's folder, a desktop
# entry and icon, and the copyright file and changelog Debian asks of a package. `cpack` in the
# build tree makes climb_1.0.0_amd64.deb of it, installed under /usr; the settings answer what
# lintian finds in CPack's defaults.
include(GNUInstallDirs)
set(CLIMB_MAINTAINER "Tarvo Engine developers <maintainers@tarvo.invalid>")

install(TARGETS climb RUNTIME DESTINATION games)
install(FILES ${CLIMB_PAK} DESTINATION ${CMAKE_INSTALL_DATADIR}/games/climb/base)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/climb.cfg DESTINATION ${CMAKE_INSTALL_DATADIR}/games/climb)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/debian/climb.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CLIMB_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
        RENAME climb.png)

# The changelog compressed as Debian does it: the best level, no name or time in the header.
find_program(GZIP gzip REQUIRED)
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog
            ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog
    COMMAND ${GZIP} -9nf ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog
    VERBATIM)
add_custom_target(climb_changelog ALL DEPENDS ${changelog})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/debian/copyright ${changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/climb)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME climb)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${CLIMB_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CLIMB_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# SDL 1.2 through sdl12-compat: the shim stands in for the classic library.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libsdl1.2-compat-shim)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS timgm6mb-soundfont)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small platform game on the Tarvo Engine")
set(CPACK_PACKAGE_DESCRIPTION "Kelda's Climb: run across the meadow, over lava and beetles, and climb the
tower to its top. Coins to gather, checkpoints to reach, and records of the
best time, the most coins and the fewest deaths. Keyboard or gamepad.")
include(CPack)
