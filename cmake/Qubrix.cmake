# Build helpers shared by every module.

set(QB_BIN_DIR ${CMAKE_BINARY_DIR}/bin)

macro(qb_strict_warnings)
  add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wno-missing-field-initializers)
  if(QB_WINDOWS)
    add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                            _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600)
    # Every deliverable stands alone on a Windows machine.
    add_link_options(-static-libgcc -static-libstdc++ -static)
  elseif(QB_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endmacro()

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
endfunction()

# A test program. Windows tests run under Wine through the emulator; native
# ones directly. Both are GoogleTest programs, one CTest entry each.
#   qb_test(NAME name SOURCES ... LIBS ... [WINDOWS_GUI])
function(qb_test)
  cmake_parse_arguments(A "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${A_NAME} ${A_SOURCES})
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS} gtest)
  if(QB_WINDOWS)
    qb_output_to_bin(${A_NAME})
    target_link_libraries(${A_NAME} PRIVATE qb_testbench)
  else()
    target_link_libraries(${A_NAME} PRIVATE gtest_main)
  endif()
  add_test(NAME ${A_NAME} COMMAND ${A_NAME} WORKING_DIRECTORY $<TARGET_FILE_DIR:${A_NAME}>)
endfunction()

# Replaces the import library of a DLL whose .def exports stdcall functions
# under plain names (Name=Name@N): the linker's own import library would offer
# only _Name, while callers compiled against __stdcall declarations look for
# _Name@N. dlltool -k keeps the decorated symbols and imports the plain names.
#   qb_stdcall_import_library(target file.def)
function(qb_stdcall_import_library target def)
  find_program(QB_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)
  file(STRINGS ${def} lines)
  set(decorated "EXPORTS\n")
  foreach(line ${lines})
    if(line MATCHES "^[ \t]*\"?[^=]+\"?=([^ \t]+)[ \t]*$")
      string(APPEND decorated "${CMAKE_MATCH_1}\n")
    endif()
  endforeach()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_callers.def)
  file(WRITE ${out} "${decorated}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${QB_DLLTOOL} -k -d ${out} -D $<TARGET_FILE_NAME:${target}> -l $<TARGET_LINKER_FILE:${target}>
    VERBATIM)
endfunction()
