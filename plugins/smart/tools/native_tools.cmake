# Native-only: the fuzz target of the recorded-disk readers (clang, libFuzzer
# with ASan and UBSan) and the program that writes its seed recordings.

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(smart_fuzz_seeds tools/make_seeds.cpp)
  target_link_libraries(smart_fuzz_seeds PRIVATE diskdev_core)

  # The readers are compiled into the target again, with the fuzzer's coverage.
  add_executable(smart_fuzz tools/smart_fuzz.cpp smart_disk.cpp smart_eval.cpp
                 ${PROJECT_SOURCE_DIR}/libs/diskdev/src/ata.cpp ${PROJECT_SOURCE_DIR}/libs/diskdev/src/snapshot.cpp
                 ${PROJECT_SOURCE_DIR}/libs/chipscan/src/disk_identify.cpp)
  target_include_directories(smart_fuzz PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/libs/diskdev/include
                                                ${PROJECT_SOURCE_DIR}/libs/chipscan/include)
  target_compile_options(smart_fuzz PRIVATE -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
  target_link_options(smart_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)

  set(smart_seeds ${CMAKE_CURRENT_BINARY_DIR}/smart_seeds)
  add_custom_command(OUTPUT ${smart_seeds}/healthy.smart
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${smart_seeds}
                     COMMAND smart_fuzz_seeds ${smart_seeds}
                     DEPENDS smart_fuzz_seeds
                     COMMENT "Writing recorded-disk fuzz seeds")
  add_custom_target(smart_fuzz_seed_files ALL DEPENDS ${smart_seeds}/healthy.smart)
  add_dependencies(smart_fuzz smart_fuzz_seed_files)

  # CTest fuzzes for QB_SMART_FUZZ_SECONDS from the seeds, keeping what it
  # learns in smart_corpus; a crashing input is written to smart_findings.
  set(QB_SMART_FUZZ_SECONDS 60 CACHE STRING "How long CTest fuzzes the recorded-disk readers")
  set(smart_corpus ${CMAKE_CURRENT_BINARY_DIR}/smart_corpus)
  file(MAKE_DIRECTORY ${smart_corpus} ${CMAKE_CURRENT_BINARY_DIR}/smart_findings)
  add_test(NAME smart_fuzz
           COMMAND smart_fuzz -max_total_time=${QB_SMART_FUZZ_SECONDS} -rss_limit_mb=2048 -max_len=8192
                   -print_final_stats=1 -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/smart_findings/
                   ${smart_corpus} ${smart_seeds})
  math(EXPR smart_fuzz_timeout "${QB_SMART_FUZZ_SECONDS} + 120")
  set_tests_properties(smart_fuzz PROPERTIES TIMEOUT ${smart_fuzz_timeout})
endif()
