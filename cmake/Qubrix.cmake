# Build helpers shared by every module.

set(QB_BIN_DIR ${CMAKE_BINARY_DIR}/bin)

# A build folder keeps the compilers it was first configured with, so one made
# when everything used the posix thread model would go on shipping binaries
# that need Vista.
if(QB_WINDOWS AND NOT CMAKE_CXX_COMPILER MATCHES "-win32$")
  message(FATAL_ERROR "${CMAKE_BINARY_DIR} builds with ${CMAKE_CXX_COMPILER}, but shipped binaries need "
                      "the win32 thread model's compiler (cmake/mingw-i686.cmake). Delete "
                      "${CMAKE_BINARY_DIR}/CMakeCache.txt and ${CMAKE_BINARY_DIR}/CMakeFiles, then configure again.")
endif()

# The oldest Windows the binaries run on, XP: the headers then hide whatever
# is newer, so a call that would keep a binary from loading there does not compile.
set(QB_WINDOWS_TARGET _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600)

macro(qb_strict_warnings)
  add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wno-missing-field-initializers)
  if(QB_WINDOWS)
    add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX ${QB_WINDOWS_TARGET})
    # Every deliverable stands alone on a Windows machine.
    add_link_options(-static-libgcc -static-libstdc++ -static)
    # Release binaries carry no symbols and no unused code.
    add_compile_options($<$<CONFIG:Release>:-ffunction-sections> $<$<CONFIG:Release>:-fdata-sections>)
    add_link_options($<$<CONFIG:Release>:-s> $<$<CONFIG:Release>:-Wl,--gc-sections>)
  elseif(QB_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endmacro()

# A binary that goes to users. The import check reads every one of them: they
# must load on Windows XP. qb_dll counts its DLLs itself.
function(qb_shipped target)
  set_property(GLOBAL APPEND PROPERTY QB_SHIPPED_BINARIES ${target})
endfunction()

function(qb_output_to_bin target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${QB_BIN_DIR}
    LIBRARY_OUTPUT_DIRECTORY ${QB_BIN_DIR}
    PREFIX "")
endfunction()

# A DLL whose exports are named exactly by a .def file (stdcall names undecorated).
#   qb_dll(NAME name DEF file.def SOURCES ... LIBS ...)
function(qb_dll)
  cmake_parse_arguments(A "" "NAME;DEF" "SOURCES;LIBS" ${ARGN})
  add_library(${A_NAME} SHARED ${A_SOURCES} ${A_DEF})
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS})
  target_link_options(${A_NAME} PRIVATE -Wl,--enable-stdcall-fixup)
  qb_output_to_bin(${A_NAME})
  set_target_properties(${A_NAME} PROPERTIES IMPORT_PREFIX "lib")
  qb_shipped(${A_NAME})
  if(A_DEF)
    qb_import_library(${A_NAME} ${CMAKE_CURRENT_SOURCE_DIR}/${A_DEF})
  endif()
endfunction()

# Callers name stdcall functions by their decorated symbols (_Name@8) while the
# DLL exports them undecorated, and one name even ends in a blank. The import
# library the linker writes knows neither, so it is replaced by one made with
# dlltool from the same .def: each "Export=Symbol@N" becomes "Symbol@N ==
# Export", with -k taking the decoration off the import name.
function(qb_import_library target def)
  file(STRINGS ${def} lines)
  set(out "")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line MATCHES "^(\"[^\"]+\"|[A-Za-z_][A-Za-z0-9_]*)=([A-Za-z_][A-Za-z0-9_]*@[0-9]+)$")
      set(export "${CMAKE_MATCH_1}")
      set(symbol "${CMAKE_MATCH_2}")
      string(REGEX REPLACE "@[0-9]+$" "" plain "${symbol}")
      if(export STREQUAL plain)
        string(APPEND out "  ${symbol}\n")
      else()
        string(APPEND out "  ${symbol} == ${export}\n")
      endif()
    elseif(line MATCHES "^LIBRARY" OR line MATCHES "^EXPORTS")
      string(APPEND out "${line}\n")
    endif()
  endforeach()
  set(import_def ${CMAKE_CURRENT_BINARY_DIR}/${target}.import.def)
  file(WRITE ${import_def} "${out}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_DLLTOOL} -k -D $<TARGET_FILE_NAME:${target}> -d ${import_def} -l $<TARGET_LINKER_FILE:${target}>
    VERBATIM)
endfunction()

# Builds a target with the posix thread model instead of the toolchain's win32
# model: for GoogleTest (std::mutex) and everything that includes or links it.
# Objects of the win32 model link into such a program and work, so one build
# of a library serves both its shipped binary and its tests.
function(qb_posix_threads target)
  if(NOT QB_WINDOWS)
    return()
  endif()
  set(launcher ${PROJECT_SOURCE_DIR}/tools/posix-threads)
  set_target_properties(${target} PROPERTIES C_COMPILER_LAUNCHER ${launcher} CXX_COMPILER_LAUNCHER ${launcher})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
    set_target_properties(${target} PROPERTIES C_LINKER_LAUNCHER ${launcher} CXX_LINKER_LAUNCHER ${launcher})
  endif()
endfunction()

# A program that tests start or that measures (probe, marker, benchmark):
# built like the tests, into bin/ beside them.
function(qb_test_program target)
  qb_posix_threads(${target})
  qb_output_to_bin(${target})
endfunction()

# A test program. Windows tests run under Wine through the emulator; native
# ones directly. Both are GoogleTest programs, one CTest entry each.
#   qb_test(NAME name SOURCES ... LIBS ... [WINDOWS_GUI])
function(qb_test)
  cmake_parse_arguments(A "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${A_NAME} ${A_SOURCES})
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS} gtest)
  if(QB_WINDOWS)
    qb_test_program(${A_NAME})
    target_link_libraries(${A_NAME} PRIVATE qb_testbench)
  else()
    target_link_libraries(${A_NAME} PRIVATE gtest_main)
  endif()
  add_test(NAME ${A_NAME} COMMAND ${A_NAME} WORKING_DIRECTORY $<TARGET_FILE_DIR:${A_NAME}>)
endfunction()

# A plug-in module: its page as an object library <name>_page (which tests
# link directly) and <name>.dll with the exports its .def file names.
#   qb_plugin(NAME name DEF name.def SOURCES ... LIBS ...)
function(qb_plugin)
  cmake_parse_arguments(A "" "NAME;DEF" "SOURCES;LIBS" ${ARGN})
  add_library(${A_NAME}_page OBJECT ${A_SOURCES})
  target_link_libraries(${A_NAME}_page PUBLIC qb_shell ${A_LIBS})
  target_include_directories(${A_NAME}_page PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  qb_dll(NAME ${A_NAME} DEF ${A_DEF} LIBS ${A_NAME}_page qb_shell_dllmain)
endfunction()

# A probe: a helper program that a test runs as a process of its own, usually
# under Wine's emulation of another Windows version (qb::test::runProbe), or as
# a stand-in for a program the page starts. Built into bin beside the tests
# named after FOR, and before them. GUI makes it a windows-subsystem program.
#   qb_probe(NAME name SOURCES ... LIBS ... FOR test ... [GUI])
function(qb_probe)
  cmake_parse_arguments(A "GUI" "NAME" "SOURCES;LIBS;FOR" ${ARGN})
  qb_helper_program(${A_NAME} "${A_SOURCES}" "${A_LIBS}")
  if(A_GUI)
    target_link_options(${A_NAME} PRIVATE -mwindows)
  endif()
  foreach(test ${A_FOR})
    add_dependencies(${test} ${A_NAME})
  endforeach()
endfunction()

# A benchmark: a command of its own that prints figures, never a test.
#   qb_bench(NAME name SOURCES ... LIBS ...)
function(qb_bench)
  cmake_parse_arguments(A "" "NAME" "SOURCES;LIBS" ${ARGN})
  qb_helper_program(${A_NAME} "${A_SOURCES}" "${A_LIBS}")
endfunction()

# What probes and benchmarks share: the test bench's helpers, the posix thread
# model like the tests, output to bin.
function(qb_helper_program name sources libs)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${libs} qb_testbench_ui)
  qb_test_program(${name})
endfunction()

# A libFuzzer target with ASan and UBSan (clang, native build only) and the
# CTest entry that fuzzes it for SECONDS (cache variable SECONDS_VARIABLE)
# from generated seeds. Its folders in the build folder: <prefix>_seeds,
# written before the target by SEED_COMMAND with that folder appended (STAMP
# is one file it writes); <prefix>_corpus, what the fuzzer learns; and
# <prefix>_findings, where a crashing input is saved.
#   qb_fuzzer(NAME target TEST test SOURCES ... [INCLUDES ...] [LIBS ...]
#             FOLDER_PREFIX prefix SEED_COMMAND command ... [SEED_DEPENDS ...] STAMP file
#             SECONDS_VARIABLE variable SECONDS default DOC text MAX_LEN bytes [RSS_LIMIT_MB megabytes])
function(qb_fuzzer)
  cmake_parse_arguments(A "" "NAME;TEST;FOLDER_PREFIX;STAMP;SECONDS_VARIABLE;SECONDS;DOC;MAX_LEN;RSS_LIMIT_MB"
                        "SOURCES;INCLUDES;LIBS;SEED_COMMAND;SEED_DEPENDS" ${ARGN})
  add_executable(${A_NAME} ${A_SOURCES})
  target_include_directories(${A_NAME} PRIVATE ${A_INCLUDES})
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS})
  target_compile_options(${A_NAME} PRIVATE -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
  target_link_options(${A_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)

  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${A_FOLDER_PREFIX})
  add_custom_command(OUTPUT ${folder}_seeds/${A_STAMP}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}_seeds
                     COMMAND ${A_SEED_COMMAND} ${folder}_seeds
                     DEPENDS ${A_SEED_DEPENDS}
                     COMMENT "Writing the fuzz seeds of ${A_NAME}")
  add_custom_target(${A_NAME}_seed_files ALL DEPENDS ${folder}_seeds/${A_STAMP})
  add_dependencies(${A_NAME} ${A_NAME}_seed_files)

  set(${A_SECONDS_VARIABLE} ${A_SECONDS} CACHE STRING "${A_DOC}")
  set(seconds ${${A_SECONDS_VARIABLE}})
  set(rss_limit "")
  if(A_RSS_LIMIT_MB)
    set(rss_limit -rss_limit_mb=${A_RSS_LIMIT_MB})
  endif()
  file(MAKE_DIRECTORY ${folder}_corpus ${folder}_findings)
  add_test(NAME ${A_TEST}
           COMMAND ${A_NAME} -max_total_time=${seconds} ${rss_limit} -max_len=${A_MAX_LEN} -print_final_stats=1
                   -artifact_prefix=${folder}_findings/ ${folder}_corpus ${folder}_seeds)
  math(EXPR timeout "${seconds} + 120")
  set_tests_properties(${A_TEST} PROPERTIES TIMEOUT ${timeout})
endfunction()
