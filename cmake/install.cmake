# What cmake --install puts under its prefix P, in two components, one Debian package each:
# dev (the library, its headers, the CMake and pkg-config files, the tools, the shared assets and
# the docs) and morwenfall (the demo and its data). Every path is relative to P, so an installed
# tree still works once moved.
include(CMakePackageConfigHelpers)

set(TARVO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tarvo)
set(TARVO_ASSETS_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/tarvo/assets)
set(TARVO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tarvo)
set(MORWENFALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/games/morwenfall)
set(TARVO_TOOLS levelc leveldump polyraster)

# The library and its headers. A client's include path gets P/include alone.
install(TARGETS tarvo EXPORT TarvoTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev NAMELINK_COMPONENT dev
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# A stripping install (CPack's) strips the programs but leaves an archive alone; its debugging
# sections are most of its size, so they go as Debian's own packages drop them.
if(NOT BUILD_SHARED_LIBS)
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND ${CMAKE_STRIP} --strip-debug --remove-section=.comment
                --enable-deterministic-archives
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:tarvo>\"
                COMMAND_ERROR_IS_FATAL ANY)
        endif()" COMPONENT dev)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/tarvo DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        COMPONENT dev FILES_MATCHING PATTERN "*.h")

# find_package(Tarvo): the installed files, and the same for the build tree, so that a build of
# the library alone can be used without installing it.
install(EXPORT TarvoTargets NAMESPACE Tarvo:: DESTINATION ${TARVO_CMAKE_DIR} COMPONENT dev)
export(EXPORT TarvoTargets NAMESPACE Tarvo:: FILE ${PROJECT_BINARY_DIR}/TarvoTargets.cmake)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TarvoConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
set(TARVO_ASSETS ${TARVO_ASSETS_INSTALL_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TarvoConfig.cmake.in
    ${PROJECT_BINARY_DIR}/install/TarvoConfig.cmake
    INSTALL_DESTINATION ${TARVO_CMAKE_DIR} PATH_VARS TARVO_ASSETS)
set(TARVO_ASSETS ${PROJECT_BINARY_DIR}/assets)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TarvoConfig.cmake.in
    ${PROJECT_BINARY_DIR}/TarvoConfig.cmake
    INSTALL_DESTINATION . INSTALL_PREFIX ${PROJECT_BINARY_DIR} PATH_VARS TARVO_ASSETS)
install(FILES ${PROJECT_BINARY_DIR}/install/TarvoConfig.cmake
              ${PROJECT_BINARY_DIR}/TarvoConfigVersion.cmake
        DESTINATION ${TARVO_CMAKE_DIR} COMPONENT dev)

# pkg-config: the prefix is found from the .pc file's own folder, as many levels up as the real
# libdir is deep. The static library needs its dependencies on every link, so they are public
# there; a shared one hides them, except SDL, whose headers the public ones include.
file(RELATIVE_PATH TARVO_PC_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" TARVO_PC_PREFIX ${TARVO_PC_PREFIX})
foreach(dir LIBDIR INCLUDEDIR)
    file(RELATIVE_PATH TARVO_PC_${dir} ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_${dir}})
endforeach()
set(pc_requires "SDL_image SDL_mixer SDL_gfx physfs libconfuse libpng zlib pugixml")
set(pc_libs "-lgif")
if(BUILD_SHARED_LIBS)
    set(TARVO_PC_REQUIRES_PRIVATE ${pc_requires})
    set(TARVO_PC_LIBS_PRIVATE ${pc_libs})
else()
    set(TARVO_PC_REQUIRES ${pc_requires})
    set(TARVO_PC_LIBS ${pc_libs})
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/tarvo.pc.in ${PROJECT_BINARY_DIR}/install/tarvo.pc
               @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/install/tarvo.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# In a shared build the programs find the library from their own folder, wherever the tree is:
# P/bin and P/games both lie one level under P.
if(BUILD_SHARED_LIBS)
    set_target_properties(${TARVO_TOOLS} morwenfall PROPERTIES
                          INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
endif()

# The tools keep their short names in the build tree and are installed as tarvo-NAME, beside
# the system's other programs.
install(TARGETS ${TARVO_TOOLS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT dev)
foreach(tool ${TARVO_TOOLS})
    install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(RENAME \"\${bin}/${tool}\" \"\${bin}/tarvo-${tool}\")
        message(STATUS \"Renamed: \${bin}/tarvo-${tool}\")" COMPONENT dev)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${TARVO_DOC_DIR} COMPONENT dev)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${TARVO_DOC_DIR}/docs COMPONENT dev)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${TARVO_DOC_DIR}/examples
        COMPONENT dev)

# The demo as an installed game: P/games/morwenfall, its data under P/share/games/morwenfall.
install(TARGETS morwenfall RUNTIME DESTINATION games COMPONENT morwenfall)
install(FILES ${PROJECT_BINARY_DIR}/base/pak000.zip DESTINATION ${MORWENFALL_DATA_DIR}/base
        COMPONENT morwenfall)
install(FILES ${PROJECT_SOURCE_DIR}/kelda.cfg DESTINATION ${MORWENFALL_DATA_DIR}
        COMPONENT morwenfall)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/morwenfall.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT morwenfall)
install(FILES ${MORWENFALL_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
        COMPONENT morwenfall)
