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
  qb_fuzzer(NAME tga_fuzz TEST wallface_tga_fuzz SOURCES tools/tga_fuzz.cpp src/tga_reader.cpp INCLUDES include
            FOLDER_PREFIX tga SEED_COMMAND ${QB_PYTHON_WITH_PIL} ${CMAKE_CURRENT_LIST_DIR}/make_tga_seeds.py
            SEED_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_tga_seeds.py ${CMAKE_CURRENT_LIST_DIR}/tga_gen.py
            STAMP t2_d24_bottom.tga
            SECONDS_VARIABLE QB_TGA_FUZZ_SECONDS SECONDS 60 DOC "How long CTest fuzzes the Targa reader"
            MAX_LEN 65536 RSS_LIMIT_MB 2048)
endif()
