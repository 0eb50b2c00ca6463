# Build speed: the compiler cache and the precompiled platform headers.
#
# ccache, where installed, compiles every source (the build-time tools too).
# Paths under the checkout are hashed relative to it, so a clone in another
# folder reuses what an earlier one compiled; the cache itself lives outside
# the checkout (CCACHE_DIR, else ccache's default). The precompiled headers
# need two relaxations: the header's own macros and __TIME__-like macros do
# not make a source uncacheable. A cache hit hashes every file the source
# used, the precompiled header too (over a hundred megabytes): ccache's inode
# cache keeps each file's hash by its inode, so a build hashes the header
# once instead of once per source (a hit took 0.8 s of processor time before, 20 ms now).
option(CODEXIA_CCACHE "Compile through ccache where it is installed" ON)
set(CODEXIA_LAUNCHER "")
if(CODEXIA_CCACHE)
    find_program(CCACHE_PROGRAM ccache)
    # A launcher given on the command line that is plain ccache gets the same settings.
    if(CCACHE_PROGRAM AND (NOT CMAKE_CXX_COMPILER_LAUNCHER OR CMAKE_CXX_COMPILER_LAUNCHER MATCHES "(^|/)ccache$"))
        # Depend mode: a miss hashes the files the compiler's own dependency
        # list names instead of running the preprocessor first, which cost
        # a tenth of a cold build's processor time; hits are found as before.
        set(_settings CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}
                      CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
                      CCACHE_INODECACHE=true CCACHE_DEPEND=true)
        if(CMAKE_HOST_UNIX)
            # A shell script sets them: a cmake -E env for every source
            # cost more processor time than a cache hit itself.
            set(CODEXIA_LAUNCHER ${CMAKE_BINARY_DIR}/ccache-launcher.sh)
            list(JOIN _settings " " _line)
            file(CONFIGURE OUTPUT ${CODEXIA_LAUNCHER}
                 CONTENT "#!/bin/sh\n${_line} exec \"${CCACHE_PROGRAM}\" \"$@\"\n")
            file(CHMOD ${CODEXIA_LAUNCHER} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                 GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
        else()
            set(CODEXIA_LAUNCHER ${CMAKE_COMMAND} -E env ${_settings} ${CCACHE_PROGRAM})
        endif()
        set(CMAKE_C_COMPILER_LAUNCHER ${CODEXIA_LAUNCHER})
        set(CMAKE_CXX_COMPILER_LAUNCHER ${CODEXIA_LAUNCHER})
    endif()
endif()

# The headers nearly every source of the framework, the components and the
# windows includes, precompiled once per build and shared by their targets.
# The platform-neutral core stays without them, as in its native build.
option(CODEXIA_PCH "Precompile the platform and test framework headers" ON)
set(CODEXIA_PCH_HEADERS <windows.h> <commctrl.h> <richedit.h>
                        <algorithm> <functional> <map> <memory> <string> <vector>)

# codexia_pch(<target> [FROM <target>] [HEADERS <headers...>]): gives <target>
# the precompiled headers, its own or those of the FROM target.
function(codexia_pch target)
    if(NOT CODEXIA_PCH)
        return()
    endif()
    cmake_parse_arguments(P "" "FROM" "HEADERS" ${ARGN})
    if(P_FROM)
        set_target_properties(${target} PROPERTIES PRECOMPILE_HEADERS_REUSE_FROM ${P_FROM})
    else()
        if(NOT P_HEADERS)
            set(P_HEADERS ${CODEXIA_PCH_HEADERS})
        endif()
        target_precompile_headers(${target} PRIVATE ${P_HEADERS})
    endif()
endfunction()

# The linker. GNU ld took over three seconds of processor time for each test
# program, and a change to the framework links some thirty programs; LLVM's
# linker (its MinGW mode) does the same in a tenth of that. The compiler
# driver is told to run it by a settings file of its own, as its -fuse-ld=lld
# only finds a linker installed beside GNU ld. The 64-bit build, whose programs the tests
# run, links with it where it is installed; the 32-bit build, which this
# machine may not be able to run, keeps the GNU linker it was proven with, and
# so does the reader template (see codexia_gnu_linker).
option(CODEXIA_LLD "Link the 64-bit programs with LLVM's linker where it is installed" ON)
set(CODEXIA_LLD_OPTION "")
if(CODEXIA_LLD AND WIN32 AND CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    find_program(CODEXIA_LLD_PROGRAM ld.lld)
    if(CODEXIA_LLD_PROGRAM)
        set(_driver_settings ${CMAKE_BINARY_DIR}/lld-linker.gcc)
        file(WRITE ${_driver_settings} "*linker:\n${CODEXIA_LLD_PROGRAM}\n\n")
        set(CODEXIA_LLD_OPTION -specs=${_driver_settings})
        add_link_options(${CODEXIA_LLD_OPTION})
        message(STATUS "Linking with ${CODEXIA_LLD_PROGRAM}")
    endif()
endif()

# codexia_gnu_linker(<target>): links <target> with GNU ld. The reader
# template needs it: LLVM's linker puts the import address tables of the
# delay-loaded libraries (made by GNU dlltool) among the read-only data, and
# the first call into such a library then faults as its address is written.
function(codexia_gnu_linker target)
    if(NOT CODEXIA_LLD_OPTION)
        return()
    endif()
    get_target_property(_options ${target} LINK_OPTIONS)
    if(_options)
        list(REMOVE_ITEM _options ${CODEXIA_LLD_OPTION})
        set_property(TARGET ${target} PROPERTY LINK_OPTIONS ${_options})
    endif()
endfunction()
