# Kelda's Climb's data, made at build time into base/pak000.zip under the build tree (target
# climb_data, part of the default build):
#   tools/makeart.py      the tileset, the backgrounds, Kelda's and the beetle's sheets, the icon
#   tarvo-makefont        climb/font.png, from the engine's installed glyphs (they have the
#                         apostrophe) and data/font.txt
#   tarvo-makesound       climb/{jump,coin,stomp,death,checkpoint,goal}.wav from data/sounds/
#   tarvo-makemusic       climb/music.mid from data/music.txt
#   tarvo-levelc          levels/climb from data/climb.tmx, cutting the tileset into the tiles
#                         the engine's level loader reads, demo1/tiles/TILE%04d.PNG
# and checked: tools/checkmap.py (the fair level's numeric rules) and, once the game is built,
# `climb --check-map` (the game's own checks). A map that fails either fails the build.
# data/map/ in the build tree holds the map beside its pictures: Tiled opens it there and
# `-level` plays it.

find_program(TARVO_LEVELC tarvo-levelc REQUIRED)
find_program(TARVO_MAKEFONT tarvo-makefont REQUIRED)
find_program(TARVO_MAKESOUND tarvo-makesound REQUIRED)
find_program(TARVO_MAKEMUSIC tarvo-makemusic REQUIRED)
# Debian's interpreter, which has the python3-pil the pictures need.
find_program(CLIMB_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(CLIMB_PYTHON python3 REQUIRED)
# The engine's inputs for its generators lie in P/share/tarvo/sources, P being the prefix of
# the installed tarvo-makefont (P/bin).
get_filename_component(tarvo_bin ${TARVO_MAKEFONT} DIRECTORY)
get_filename_component(TARVO_SOURCES_DIR ${tarvo_bin}/../share/tarvo/sources ABSOLUTE)

set(CLIMB_TOOLS ${CMAKE_CURRENT_SOURCE_DIR}/tools)
set(CLIMB_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/data)
set(CLIMB_ART ${CMAKE_CURRENT_BINARY_DIR}/data/art)
set(CLIMB_MAP_DIR ${CMAKE_CURRENT_BINARY_DIR}/data/map)
set(CLIMB_STAGING ${CMAKE_CURRENT_BINARY_DIR}/data/pak)
set(CLIMB_PAK ${CMAKE_CURRENT_BINARY_DIR}/base/pak000.zip)
set(CLIMB_ICON ${CLIMB_ART}/icon.png)
set(backgrounds BG0000.PNG BG0001.PNG BG0002.PNG)
set(climb_files "")

# The pictures, all from one run of the painter.
set(art ${CLIMB_ART}/tiles.png ${CLIMB_ART}/kelda.png ${CLIMB_ART}/enemy.png ${CLIMB_ICON})
foreach(name ${backgrounds})
    list(APPEND art ${CLIMB_ART}/bg/${name})
endforeach()
add_custom_command(OUTPUT ${art}
    COMMAND ${CLIMB_PYTHON} -B ${CLIMB_TOOLS}/makeart.py ${CLIMB_ART}
    DEPENDS ${CLIMB_TOOLS}/makeart.py
    COMMENT "Painting Kelda's Climb's pictures"
    VERBATIM)
foreach(name kelda enemy)
    add_custom_command(OUTPUT ${CLIMB_STAGING}/climb/${name}.png
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CLIMB_STAGING}/climb
        COMMAND ${CMAKE_COMMAND} -E copy ${CLIMB_ART}/${name}.png ${CLIMB_STAGING}/climb/${name}.png
        DEPENDS ${CLIMB_ART}/${name}.png
        VERBATIM)
    list(APPEND climb_files ${CLIMB_STAGING}/climb/${name}.png)
endforeach()

add_custom_command(OUTPUT ${CLIMB_STAGING}/climb/font.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CLIMB_STAGING}/climb
    COMMAND ${TARVO_MAKEFONT} ${TARVO_SOURCES_DIR}/glyphs.txt ${CLIMB_SOURCES}/font.txt
            ${CLIMB_STAGING}/climb/font.png
    DEPENDS ${TARVO_SOURCES_DIR}/glyphs.txt ${CLIMB_SOURCES}/font.txt
    VERBATIM)
list(APPEND climb_files ${CLIMB_STAGING}/climb/font.png)
foreach(name jump coin stomp death checkpoint goal)
    add_custom_command(OUTPUT ${CLIMB_STAGING}/climb/${name}.wav
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CLIMB_STAGING}/climb
        COMMAND ${TARVO_MAKESOUND} ${CLIMB_SOURCES}/sounds/${name}.txt
                ${CLIMB_STAGING}/climb/${name}.wav
        DEPENDS ${CLIMB_SOURCES}/sounds/${name}.txt
        VERBATIM)
    list(APPEND climb_files ${CLIMB_STAGING}/climb/${name}.wav)
endforeach()
add_custom_command(OUTPUT ${CLIMB_STAGING}/climb/music.mid
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CLIMB_STAGING}/climb
    COMMAND ${TARVO_MAKEMUSIC} ${CLIMB_SOURCES}/music.txt ${CLIMB_STAGING}/climb/music.mid
    DEPENDS ${CLIMB_SOURCES}/music.txt
    VERBATIM)
list(APPEND climb_files ${CLIMB_STAGING}/climb/music.mid)

# The map beside its pictures, checked, then compiled. The tiles are cut afresh each time, so a
# tile dropped from the tileset leaves nothing behind in the pak.
set(map_files ${CLIMB_MAP_DIR}/climb.tmx ${CLIMB_MAP_DIR}/climb.tsx ${CLIMB_MAP_DIR}/tiles.png)
set(staged_backgrounds "")
foreach(name ${backgrounds})
    list(APPEND map_files ${CLIMB_MAP_DIR}/bg/${name})
    list(APPEND staged_backgrounds ${CLIMB_STAGING}/demo1/bg/${name})
endforeach()
add_custom_command(OUTPUT ${map_files} ${staged_backgrounds}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CLIMB_MAP_DIR}/bg ${CLIMB_STAGING}/demo1/bg
    COMMAND ${CMAKE_COMMAND} -E copy ${CLIMB_SOURCES}/climb.tmx ${CLIMB_SOURCES}/climb.tsx
            ${CLIMB_ART}/tiles.png ${CLIMB_MAP_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CLIMB_ART}/bg ${CLIMB_MAP_DIR}/bg
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CLIMB_ART}/bg ${CLIMB_STAGING}/demo1/bg
    DEPENDS ${CLIMB_SOURCES}/climb.tmx ${CLIMB_SOURCES}/climb.tsx ${art}
    COMMENT "Placing the map beside its pictures"
    VERBATIM)
set(level ${CLIMB_STAGING}/levels/climb)
add_custom_command(OUTPUT ${level}
    COMMAND ${CLIMB_PYTHON} -B ${CLIMB_TOOLS}/checkmap.py ${CLIMB_MAP_DIR}/climb.tmx
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CLIMB_STAGING}/demo1/tiles
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CLIMB_STAGING}/levels
    COMMAND ${TARVO_LEVELC} --cut-tiles ${CLIMB_STAGING}/demo1/tiles
            ${CLIMB_MAP_DIR}/climb.tmx ${level}
    DEPENDS ${map_files} ${CLIMB_TOOLS}/checkmap.py
    COMMENT "Checking and compiling the map"
    VERBATIM)
list(APPEND climb_files ${level} ${staged_backgrounds})

# The game's own checks, once its program is built; a stamp records that the map passed them.
if(TARGET climb)
    set(checked ${CMAKE_CURRENT_BINARY_DIR}/data/map-checked.stamp)
    add_custom_command(OUTPUT ${checked}
        COMMAND ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
                $<TARGET_FILE:climb> --check-map ${CLIMB_MAP_DIR}/climb.tmx
        COMMAND ${CMAKE_COMMAND} -E touch ${checked}
        DEPENDS climb ${map_files}
        COMMENT "Checking the map with climb --check-map"
        VERBATIM)
    list(APPEND climb_files ${checked})
endif()

# Every file under the staging folder, in name order with fixed times and permissions, so each
# build gives the same bytes.
add_custom_command(OUTPUT ${CLIMB_PAK}
    COMMAND ${CLIMB_PYTHON} -B ${CLIMB_TOOLS}/makepak.py ${CLIMB_STAGING} ${CLIMB_PAK}
    DEPENDS ${climb_files} ${CLIMB_TOOLS}/makepak.py
    COMMENT "Packing base/pak000.zip"
    VERBATIM)
add_custom_target(climb_data ALL DEPENDS ${CLIMB_PAK})

# The defaults file beside the pak, so the game started in its build folder reads it.
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/climb.cfg ${CMAKE_CURRENT_BINARY_DIR}/climb.cfg
               COPYONLY)
