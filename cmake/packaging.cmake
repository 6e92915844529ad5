# make package: the two install components as Debian packages under /usr, tarvo-dev (the
# library side) and morwenfall (the demo), each with the copyright file and changelog Debian
# asks of a package. The settings answer what lintian finds in CPack's defaults.
set(TARVO_MAINTAINER "Tarvo Engine developers <maintainers@tarvo.invalid>")

# share/doc/PACKAGE/{copyright,changelog.gz}; the changelog compressed as Debian does it, at
# the best level and without a name or time stamp in the gzip header.
find_program(GZIP gzip REQUIRED)
set(package_docs "")
foreach(component dev morwenfall)
    set(PACKAGE_NAME ${component})
    set(PACKAGE_TITLE "Morwenfall Tech Demo One, a game on the Tarvo Engine")
    if(component STREQUAL dev)
        set(PACKAGE_NAME tarvo-dev)
        set(PACKAGE_TITLE "Tarvo Engine, a small 2D game engine on the SDL 1.2 API")
    endif()
    set(dir ${PROJECT_BINARY_DIR}/packaging/${PACKAGE_NAME})
    configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in ${dir}/copyright @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${dir}/changelog @ONLY)
    add_custom_command(OUTPUT ${dir}/gz/changelog.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${dir}/changelog ${dir}/gz/changelog
        COMMAND ${GZIP} -9nf ${dir}/gz/changelog
        DEPENDS ${dir}/changelog
        COMMENT "Compressing the changelog of ${PACKAGE_NAME}"
        VERBATIM)
    list(APPEND package_docs ${dir}/gz/changelog.gz)
    install(FILES ${dir}/copyright ${dir}/gz/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${PACKAGE_NAME} COMPONENT ${component})
endforeach()
add_custom_target(package_docs ALL DEPENDS ${package_docs})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TARVO_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL dev morwenfall)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TARVO_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# Both load SDL 1.2 through sdl12-compat: the shim stands in for the classic library.
set(CPACK_DEBIAN_DEV_PACKAGE_NAME tarvo-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libsdl1.2-compat-dev, libsdl-image1.2-dev, \
libsdl-mixer1.2-dev, libsdl-gfx1.2-dev, libphysfs-dev, libconfuse-dev, libpng-dev, libgif-dev, \
zlib1g-dev, libpugixml-dev, pkgconf, python3, python3-pil, libsdl1.2-compat-shim")
set(CPACK_COMPONENT_DEV_DESCRIPTION "small 2D game engine on the SDL 1.2 API (development files)
The Tarvo Engine is a 2D game engine on the SDL 1.2 API: surfaces, bitmap
fonts, sound and music, a software polygon renderer, tile maps over parallax
backgrounds, recording and replay.
.
This package holds the static library, its headers, the files by which CMake
(find_package(Tarvo)) and pkg-config (tarvo) find it, the level and polygon
tools, the engine's asset generators and shared assets, and the documentation.")

set(CPACK_DEBIAN_MORWENFALL_PACKAGE_NAME morwenfall)
set(CPACK_DEBIAN_MORWENFALL_PACKAGE_SECTION games)
set(CPACK_DEBIAN_MORWENFALL_PACKAGE_DEPENDS libsdl1.2-compat-shim)
set(CPACK_DEBIAN_MORWENFALL_PACKAGE_RECOMMENDS timgm6mb-soundfont)
set(CPACK_COMPONENT_MORWENFALL_DESCRIPTION "five-stage showcase of the Tarvo game engine
Morwenfall Tech Demo One, stepped through with the right arrow key: a
rippling title, a gear spinning through rotate-and-scale, two cubes drawn by
the engine's software polygon renderer, a tile-map level over parallax
backgrounds, and a positional sound test over looping MIDI music.")

include(CPack)
