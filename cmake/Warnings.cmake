# Every project target links zel_options: C++20, warnings as errors, optional sanitizers.
add_library(zel_options INTERFACE)
target_compile_features(zel_options INTERFACE cxx_std_20)
target_compile_options(zel_options INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor -Wshadow
  -Wconversion -Wno-sign-conversion -Werror)
if(ZEL_SANITIZE)
  target_compile_options(zel_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(zel_options INTERFACE -fsanitize=address,undefined)
endif()
