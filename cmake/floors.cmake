# The engine's floors, bottom up. Each floor is an object library, tarvo_FLOOR, whose objects
# go into the one library tarvo; a floor includes only floors on a lower level (video and audio
# stand beside each other, as do render3d and tiles). The object libraries no longer stop an
# upward include at link time, so configuring checks every floor's includes instead.
set(TARVO_FLOORS core fs video audio render3d tiles engine)
set(TARVO_FLOOR_LEVELS 0 1 2 2 3 3 4)

function(tarvo_floor_level floor out)
    list(FIND TARVO_FLOORS ${floor} index)
    if(index EQUAL -1)
        set(${out} -1 PARENT_SCOPE)
    else()
        list(GET TARVO_FLOOR_LEVELS ${index} level)
        set(${out} ${level} PARENT_SCOPE)
    endif()
endfunction()

# Stops the configure, naming the file and the line, when a source or header of FLOOR
# includes "tarvo/OTHER/..." or "OTHER/..." of a floor that is not below it.
function(tarvo_check_floor_includes floor)
    tarvo_floor_level(${floor} level)
    file(GLOB_RECURSE files ${PROJECT_SOURCE_DIR}/src/${floor}/*.cpp
         ${PROJECT_SOURCE_DIR}/src/${floor}/*.h ${PROJECT_SOURCE_DIR}/include/tarvo/${floor}/*.h)
    foreach(file ${files})
        file(STRINGS ${file} includes REGEX "^#include \"")
        foreach(line ${includes})
            if(NOT line MATCHES "^#include \"(tarvo/)?([a-z0-9]+)/")
                continue()
            endif()
            set(other ${CMAKE_MATCH_2})
            tarvo_floor_level(${other} other_level)
            if(NOT other STREQUAL floor AND other_level GREATER_EQUAL level)
                file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR} ${file})
                message(FATAL_ERROR "${name}: '${line}': the ${floor} floor includes the "
                                    "${other} floor, which is not below it")
            endif()
        endforeach()
    endforeach()
endfunction()

# tarvo_add_floor(FLOOR SOURCES ... [BELOW floor ...] [LIBS target ...]): the floor's object
# library, compiled for the library (hidden visibility, position-independent when shared),
# with the floors below it for their usage requirements and LIBS, the packages it calls.
function(tarvo_add_floor floor)
    cmake_parse_arguments(F "" "" "SOURCES;BELOW;LIBS" ${ARGN})
    tarvo_check_floor_includes(${floor})
    set(target tarvo_${floor})
    add_library(${target} OBJECT ${F_SOURCES})
    set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON POSITION_INDEPENDENT_CODE ${BUILD_SHARED_LIBS})
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
                               PRIVATE ${PROJECT_SOURCE_DIR}/src)
    list(TRANSFORM F_BELOW PREPEND tarvo_)
    target_link_libraries(${target} PUBLIC ${F_BELOW} ${F_LIBS})
    set_property(GLOBAL APPEND PROPERTY TARVO_FLOOR_LIBS ${F_LIBS})
endfunction()
