# Every project target links zel_options: C++20, warnings as errors, optional sanitizers.
add_library(zel_options INTERFACE)
target_compile_features(zel_options INTERFACE cxx_std_20)
target_compile_options(zel_options INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor -Wshadow
  -Wconversion -Wno-sign-conversion -Werror)
# GCC 12 at -O3 reports some std::string concatenations as overlapping copies (a known false
# -Wrestrict of that release); Release builds would fail on them.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(zel_options INTERFACE $<$<CONFIG:Release>:-Wno-restrict>)
endif()
if(ZEL_SANITIZE)
  target_compile_options(zel_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(zel_options INTERFACE -fsanitize=address,undefined)
endif()
