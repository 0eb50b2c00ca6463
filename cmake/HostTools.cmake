# The build-time tools run on the build machine: build them with its own
# compiler as a separate project. Another build of them can be named with
# CODEXIA_HOST_TOOLS_DIR.
include(ExternalProject)

set(CODEXIA_HOST_TOOLS_DIR "" CACHE PATH "A build of tools/ for the build machine (built here when empty)")
if(CODEXIA_HOST_TOOLS_DIR)
    set(HOST_BIN ${CODEXIA_HOST_TOOLS_DIR})
    if(EXISTS ${HOST_BIN}/CMakeCache.txt)
        # Another build's tools (the other architecture's): kept up to date from here too.
        add_custom_target(host_tools COMMAND ${CMAKE_COMMAND} --build ${HOST_BIN} --target layoutc
                          BYPRODUCTS ${HOST_BIN}/layoutc)
    elseif(EXISTS ${HOST_BIN}/../CMakeCache.txt)
        # The tools of another build of this project not built yet: that build makes them.
        add_custom_target(host_tools COMMAND ${CMAKE_COMMAND} --build ${HOST_BIN}/.. --target host_tools
                          BYPRODUCTS ${HOST_BIN}/layoutc)
    else()
        add_custom_target(host_tools)
    endif()
else()
    set(HOST_BIN ${CMAKE_BINARY_DIR}/host)
    ExternalProject_Add(host_tools
        SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools
        BINARY_DIR ${HOST_BIN}
        # A build of the book alone (CODEXIA_TESTS off) needs only the layout compiler.
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=cc -DCMAKE_CXX_COMPILER=c++
                   -DCODEXIA_HOST_TESTS=${CODEXIA_TESTS}
        CMAKE_CACHE_ARGS -DCMAKE_CXX_COMPILER_LAUNCHER:STRING=${CODEXIA_LAUNCHER}
        # The book needs only the layout compiler; the native tests are built
        # with the tests (below), so a book made from a fresh clone waits for
        # neither them nor GoogleTest.
        BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target layoutc
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${HOST_BIN}/layoutc)
endif()
if(CODEXIA_TESTS AND (NOT CODEXIA_HOST_TOOLS_DIR OR EXISTS ${HOST_BIN}/CMakeCache.txt))
    add_custom_target(host_tests_build ALL COMMAND ${CMAKE_COMMAND} --build ${HOST_BIN} --target host_tests
                      DEPENDS host_tools BYPRODUCTS ${HOST_BIN}/host_tests)
endif()
set(LAYOUTC ${HOST_BIN}/layoutc)
set(HOST_TESTS ${HOST_BIN}/host_tests)
