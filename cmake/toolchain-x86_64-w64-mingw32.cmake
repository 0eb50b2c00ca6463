# The posix thread model gives the standard library its threads and mutexes;
# the program links it statically with everything else.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CODEXIA_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CODEXIA_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CODEXIA_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CODEXIA_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${CODEXIA_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
