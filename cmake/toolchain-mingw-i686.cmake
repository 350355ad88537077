# The win32 flavour: 32-bit Windows, the real target; tests run under wine.
set(CJT_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
