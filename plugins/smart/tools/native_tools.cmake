# Native-only: the fuzz target of the recorded-disk readers (clang, libFuzzer
# with ASan and UBSan) and the program that writes its seed recordings.

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(smart_fuzz_seeds tools/make_seeds.cpp)
  target_link_libraries(smart_fuzz_seeds PRIVATE diskdev_core)

  # The readers are compiled into the target again, with the fuzzer's coverage.
  # CTest fuzzes for QB_SMART_FUZZ_SECONDS from the seeds, keeping what it
  # learns in smart_corpus; a crashing input is written to smart_findings.
  qb_fuzzer(NAME smart_fuzz TEST smart_fuzz
            SOURCES tools/smart_fuzz.cpp smart_disk.cpp smart_eval.cpp ${PROJECT_SOURCE_DIR}/libs/diskdev/src/ata.cpp
                    ${PROJECT_SOURCE_DIR}/libs/diskdev/src/snapshot.cpp ${PROJECT_SOURCE_DIR}/libs/chipscan/src/disk_identify.cpp
            INCLUDES ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/libs/diskdev/include
                     ${PROJECT_SOURCE_DIR}/libs/chipscan/include
            FOLDER_PREFIX smart SEED_COMMAND smart_fuzz_seeds SEED_DEPENDS smart_fuzz_seeds STAMP healthy.smart
            SECONDS_VARIABLE QB_SMART_FUZZ_SECONDS SECONDS 60 DOC "How long CTest fuzzes the recorded-disk readers"
            MAX_LEN 8192 RSS_LIMIT_MB 2048)
endif()
