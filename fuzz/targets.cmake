# Fuzz targets of the parsers of outside input that link the whole library;
# included from fuzz/CMakeLists.txt. Each replays its seeds in
# fuzz/corpus/<name>/ as a test; .ci/run gives each a short run.
set(TESSEL_PARSER_FUZZERS
  settings keyscript terminal_keys number_words names jpeg wav mci script slot_reader rules diphone)

foreach(target IN LISTS TESSEL_PARSER_FUZZERS)
  add_executable(${target}_fuzzer ${CMAKE_CURRENT_LIST_DIR}/${target}_fuzzer.cpp)
  target_compile_options(${target}_fuzzer PRIVATE -fsanitize=fuzzer ${TESSEL_FUZZ_SANITIZERS})
  target_link_options(${target}_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${target}_fuzzer PRIVATE tessel_core)
  target_compile_definitions(${target}_fuzzer PRIVATE TESSEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${target}_fuzzer_corpus COMMAND ${target}_fuzzer -runs=0 ${CMAKE_CURRENT_LIST_DIR}/corpus/${target})
endforeach()
