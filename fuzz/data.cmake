# Fuzz targets of the files, lists and data module; included from
# fuzz/CMakeLists.txt. Each target compiles the few sources it tests with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, and its corpus
# in fuzz/corpus/<name>/ is replayed as a test.
set(TESSEL_DATA_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)

function(tessel_data_fuzzer name)
  add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp ${ARGN})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${TESSEL_DATA_FUZZ_FLAGS})
  target_link_options(${name} PRIVATE ${TESSEL_DATA_FUZZ_FLAGS})
  add_test(NAME ${name}_corpus COMMAND ${name} -runs=0 ${CMAKE_CURRENT_LIST_DIR}/corpus/${name})
endfunction()

tessel_data_fuzzer(decode_fuzzer
  ${PROJECT_SOURCE_DIR}/src/data/encodings.cpp
  ${PROJECT_SOURCE_DIR}/src/platform/text.cpp)
tessel_data_fuzzer(bmp_fuzzer
  ${PROJECT_SOURCE_DIR}/src/console/bmp.cpp)
