# Kelda's Climb (games/climb) is built the way a game of the engine's users is: as a project of
# its own, against the engine installed. `stage` installs the engine's dev component into
# build/stage once what it installs is built; the game is then configured and built in
# build/climb against that tree, with its tests from tests/games/climb. Both run on every build
# and do nothing when nothing changed: the install keeps unchanged files as they are, and the
# game's own build sees a changed engine library or header and rebuilds what uses it.
set(TARVO_STAGE ${PROJECT_BINARY_DIR}/stage)
set(CLIMB_BINARY_DIR ${PROJECT_BINARY_DIR}/climb)

add_custom_target(stage ALL
    COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${TARVO_STAGE}
            --component dev > ${PROJECT_BINARY_DIR}/stage.log
    COMMENT "Installing the engine into ${TARVO_STAGE}"
    VERBATIM)
add_dependencies(stage tarvo ${TARVO_TOOLS} assets package_docs)

# A sanitized engine needs the game compiled and linked with the same runtime.
set(climb_flags "")
if(TARVO_SANITIZE)
    set(sanitize "-fsanitize=address,undefined -fno-omit-frame-pointer")
    set(climb_flags "-DCMAKE_CXX_FLAGS=${sanitize} -fno-sanitize-recover=undefined"
                    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined")
endif()

include(ExternalProject)
ExternalProject_Add(climb
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/games/climb
    BINARY_DIR ${CLIMB_BINARY_DIR}
    CMAKE_ARGS -DCMAKE_PREFIX_PATH=${TARVO_STAGE} -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
               -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
               -DCLIMB_TESTS_DIR=${PROJECT_SOURCE_DIR}/tests/games/climb
               -DTARVO_SANITIZE=${TARVO_SANITIZE} -DPython3_EXECUTABLE=${Python3_EXECUTABLE}
               ${climb_flags}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    DEPENDS stage)

# The game's tests join this tree's ctest run under their own names, once the game is built.
set(climb_tests ${PROJECT_BINARY_DIR}/climb-tests.cmake)
file(WRITE ${climb_tests} "if(EXISTS \"${CLIMB_BINARY_DIR}/CTestTestfile.cmake\")\n"
                          "    subdirs(\"${CLIMB_BINARY_DIR}\")\nendif()\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${climb_tests})
