# The win64 flavour: 64-bit Windows; tests run under wine64. The 64-bit loader is called
# directly: Debian's "wine" starts the 32-bit loader first whenever it is installed, and that
# fails on kernels that run no 32-bit programs.
set(CJT_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)
if(EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR wine64)
endif()
