# The demo level: the level file compiled by levelc from data/levels, and its tile and
# background images painted by tools/data/tiles_art.py. Included by data/CMakeLists.txt.
set(level_demo1 ${PAK_STAGING}/demo1)
set(level_source ${CMAKE_CURRENT_SOURCE_DIR}/levels/blk301a.txt)

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
    DEPENDS levelc ${level_source}
    COMMENT "Compiling the demo level"
    VERBATIM)

set(PAK_OUTPUTS ${PAK_OUTPUTS} ${level_images} ${level_demo1}/levels/blk301a)
