# libjpeg-turbo for the Windows build: Debian's source package, fetched with
# `apt-get source` into the build folder on the first configure and built once
# there as a static library with its SIMD code (nasm). Later builds reuse both.
# Gives the imported target qb_jpeg.
include_guard(GLOBAL)
include(ExternalProject)

set(qb_jpeg_root ${CMAKE_BINARY_DIR}/_deps/libjpeg-turbo)
set(qb_jpeg_fetch ${qb_jpeg_root}/source)
file(GLOB qb_jpeg_src LIST_DIRECTORIES true ${qb_jpeg_fetch}/libjpeg-turbo-*)
list(FILTER qb_jpeg_src EXCLUDE REGEX "\\.(gz|xz|dsc)$")
if(NOT qb_jpeg_src)
  message(STATUS "Fetching libjpeg-turbo's source with apt-get source")
  file(MAKE_DIRECTORY ${qb_jpeg_fetch})
  execute_process(COMMAND apt-get source libjpeg-turbo
                  WORKING_DIRECTORY ${qb_jpeg_fetch}
                  RESULT_VARIABLE qb_jpeg_rc OUTPUT_QUIET ERROR_VARIABLE qb_jpeg_err)
  file(GLOB qb_jpeg_src LIST_DIRECTORIES true ${qb_jpeg_fetch}/libjpeg-turbo-*)
  list(FILTER qb_jpeg_src EXCLUDE REGEX "\\.(gz|xz|dsc)$")
  if(NOT qb_jpeg_rc EQUAL 0 OR NOT qb_jpeg_src)
    message(FATAL_ERROR "apt-get source libjpeg-turbo failed (apt needs a deb-src entry and dpkg-dev; "
                        "tools/install-deps.sh sets both up):\n${qb_jpeg_err}")
  endif()
endif()
list(GET qb_jpeg_src 0 qb_jpeg_src)

set(qb_jpeg_build ${qb_jpeg_root}/build)

# A build made by another compiler (one configured before the switch to the
# win32 thread model, say) starts over: CMake keeps the compiler it first found.
file(GLOB qb_jpeg_compiler_file ${qb_jpeg_build}/CMakeFiles/*/CMakeCCompiler.cmake)
if(qb_jpeg_compiler_file)
  file(STRINGS ${qb_jpeg_compiler_file} qb_jpeg_compiler REGEX "^set\\(CMAKE_C_COMPILER ")
  if(NOT qb_jpeg_compiler STREQUAL "set(CMAKE_C_COMPILER \"${CMAKE_C_COMPILER}\")")
    message(STATUS "libjpeg-turbo was built by another compiler: building it again")
    file(REMOVE_RECURSE ${qb_jpeg_build} ${qb_jpeg_root}/stamp)
  endif()
endif()

# Built for the same Windows version as our code.
list(TRANSFORM QB_WINDOWS_TARGET PREPEND "-D" OUTPUT_VARIABLE qb_jpeg_defines)
list(JOIN qb_jpeg_defines " " qb_jpeg_defines)

file(MAKE_DIRECTORY ${qb_jpeg_build})
ExternalProject_Add(libjpeg_turbo
  SOURCE_DIR ${qb_jpeg_src}
  BINARY_DIR ${qb_jpeg_build}
  STAMP_DIR ${qb_jpeg_root}/stamp
  TMP_DIR ${qb_jpeg_root}/tmp
  CMAKE_ARGS -G Ninja
             -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
             "-DCMAKE_C_FLAGS=${qb_jpeg_defines}"
             -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_INSTALL_PREFIX=${qb_jpeg_root}/install
             -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF
             -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm
  BUILD_COMMAND ${CMAKE_COMMAND} --build . --target jpeg-static -j 2
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${qb_jpeg_build}/libjpeg.a
  LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)

add_library(qb_jpeg STATIC IMPORTED GLOBAL)
set_target_properties(qb_jpeg PROPERTIES
  IMPORTED_LOCATION ${qb_jpeg_build}/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES "${qb_jpeg_src};${qb_jpeg_build}")
add_dependencies(qb_jpeg libjpeg_turbo)
