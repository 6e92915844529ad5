# The demo level: the level file compiled by levelc from the Tiled map in data/levels, and its
# tile and background images painted by tools/data/tiles_art.py. Included by
# data/CMakeLists.txt.
set(level_demo1 ${PAK_STAGING}/demo1)
set(level_source ${CMAKE_CURRENT_SOURCE_DIR}/levels/blk301a.tmx)
set(level_tileset ${CMAKE_CURRENT_SOURCE_DIR}/levels/blk301a.tsx)
# The map to open in Tiled, beside the images as Tiled should show them (outside the archive).
set(level_tiled ${CMAKE_BINARY_DIR}/data/level)

# tiles_art.py paints image numbers 1 to 30 for the tiles and 0 to 3 for the backgrounds.
set(level_images "")
foreach(number RANGE 1 30)
    string(LENGTH "${number}" digits)
    math(EXPR pad "4 - ${digits}")
    string(REPEAT "0" ${pad} zeros)
    list(APPEND level_images ${level_demo1}/tiles/TILE${zeros}${number}.PNG)
endforeach()
foreach(number RANGE 0 3)
    list(APPEND level_images ${level_demo1}/bg/BG000${number}.PNG)
endforeach()

add_custom_command(OUTPUT ${level_images}
    COMMAND ${TARVO_DATA_PYTHON} -B ${TARVO_DATA_TOOLS}/tiles_art.py ${level_demo1}
    DEPENDS ${TARVO_DATA_TOOLS}/tiles_art.py
    COMMENT "Painting the level's tiles and backgrounds"
    VERBATIM)

add_custom_command(OUTPUT ${level_demo1}/levels/blk301a
    COMMAND ${CMAKE_COMMAND} -E make_directory ${level_demo1}/levels
    COMMAND levelc ${level_source} ${level_demo1}/levels/blk301a
    DEPENDS levelc ${level_source} ${level_tileset}
    COMMENT "Compiling the demo level"
    VERBATIM)

# leveldump --game writes the images with the engine's white key as transparency; the source
# map and tileset then replace the map it wrote.
add_custom_command(OUTPUT ${level_tiled}/blk301a.tmx ${level_tiled}/blk301a.tsx
    COMMAND ${CMAKE_COMMAND} -E make_directory ${level_tiled}
    COMMAND leveldump --tmx ${level_demo1}/levels/blk301a ${level_tiled}/blk301a.tmx
            --game ${PAK_STAGING}
    COMMAND ${CMAKE_COMMAND} -E copy ${level_source} ${level_tileset} ${level_tiled}
    DEPENDS leveldump ${level_demo1}/levels/blk301a ${level_images} ${level_tileset}
    COMMENT "Placing the demo level's map beside its images for Tiled"
    VERBATIM)
add_custom_target(level_tiled ALL DEPENDS ${level_tiled}/blk301a.tmx)

set(PAK_OUTPUTS ${PAK_OUTPUTS} ${level_images} ${level_demo1}/levels/blk301a)
