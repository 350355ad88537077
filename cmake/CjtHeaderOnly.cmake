# Header-only libraries from the build machine (cxxopts, nlohmann::json). Their headers are
# copied at configure time into one folder of the build tree, and only that folder becomes
# an include directory: a cross build (mingw) must not see /usr/include as a whole.
set(CJT_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/header-only)
file(COPY /usr/include/cxxopts.hpp DESTINATION ${CJT_HEADER_ONLY_DIR})
file(COPY /usr/include/nlohmann DESTINATION ${CJT_HEADER_ONLY_DIR})

# cjt_use_header_only(TARGET): the target includes the copied headers.
function(cjt_use_header_only target)
  target_include_directories(${target} SYSTEM PRIVATE ${CJT_HEADER_ONLY_DIR})
endfunction()
