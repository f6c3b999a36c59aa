# Native-only helpers around the Targa reader: the peer check against Pillow,
# the fuzz target (clang) and the throughput benchmark.

# A Python that has Pillow (Debian's python3-pil lives with /usr/bin/python3).
find_program(QB_PYTHON_WITH_PIL NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(QB_PYTHON_WITH_PIL)
  execute_process(COMMAND ${QB_PYTHON_WITH_PIL} -c "import PIL" RESULT_VARIABLE pil_missing OUTPUT_QUIET ERROR_QUIET)
endif()

add_executable(tga_dump tools/tga_dump.cpp)
target_link_libraries(tga_dump PRIVATE wallface_tga)

if(QB_PYTHON_WITH_PIL AND NOT pil_missing)
  add_test(NAME wallface_tga_peer_check
           COMMAND ${QB_PYTHON_WITH_PIL} ${CMAKE_CURRENT_LIST_DIR}/peer_check.py
                   $<TARGET_FILE:tga_dump> ${CMAKE_CURRENT_BINARY_DIR}/peer_check)
else()
  message(WARNING "python3 with Pillow not found: the Targa peer check is not run")
endif()

# Benchmark: an optimised build without sanitizers, driven by bench_tga.py.
add_executable(bench_tga tools/bench_tga.cpp src/tga_reader.cpp)
target_include_directories(bench_tga PRIVATE include)
set_target_properties(bench_tga PROPERTIES COMPILE_OPTIONS "-O2" LINK_OPTIONS "")
target_compile_definitions(bench_tga PRIVATE NDEBUG)

# Fuzz target: libFuzzer with ASan and UBSan. CTest runs it for about a minute
# (QB_TGA_FUZZ_SECONDS) from the generated seeds, keeping what it learns in
# tga_corpus; a crashing input is written to tga_findings.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(tga_fuzz tools/tga_fuzz.cpp src/tga_reader.cpp)
  target_include_directories(tga_fuzz PRIVATE include)
  target_compile_options(tga_fuzz PRIVATE -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
  target_link_options(tga_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)

  set(tga_seeds ${CMAKE_CURRENT_BINARY_DIR}/tga_seeds)
  add_custom_command(OUTPUT ${tga_seeds}/t2_d24_bottom.tga
                     COMMAND ${QB_PYTHON_WITH_PIL} ${CMAKE_CURRENT_LIST_DIR}/make_tga_seeds.py ${tga_seeds}
                     DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_tga_seeds.py ${CMAKE_CURRENT_LIST_DIR}/tga_gen.py
                     COMMENT "Writing Targa fuzz seeds")
  add_custom_target(tga_fuzz_seeds ALL DEPENDS ${tga_seeds}/t2_d24_bottom.tga)
  add_dependencies(tga_fuzz tga_fuzz_seeds)

  set(QB_TGA_FUZZ_SECONDS 60 CACHE STRING "How long CTest fuzzes the Targa reader")
  set(tga_corpus ${CMAKE_CURRENT_BINARY_DIR}/tga_corpus)
  file(MAKE_DIRECTORY ${tga_corpus} ${CMAKE_CURRENT_BINARY_DIR}/tga_findings)
  add_test(NAME wallface_tga_fuzz
           COMMAND tga_fuzz -max_total_time=${QB_TGA_FUZZ_SECONDS} -rss_limit_mb=2048 -max_len=65536
                   -print_final_stats=1 -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/tga_findings/
                   ${tga_corpus} ${tga_seeds})
  math(EXPR tga_fuzz_timeout "${QB_TGA_FUZZ_SECONDS} + 120")
  set_tests_properties(wallface_tga_fuzz PROPERTIES TIMEOUT ${tga_fuzz_timeout})
endif()
