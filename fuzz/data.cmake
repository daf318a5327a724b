# Fuzz targets of the files, lists and data module; included from
# fuzz/CMakeLists.txt. Each target compiles only the sources it tests, with
# libFuzzer and the sanitizers, and replays its seeds in fuzz/corpus/<name>/
# as a test:
#   ninja -C build-fuzz decode_fuzzer bmp_fuzzer
#   build-fuzz/fuzz/decode_fuzzer -max_total_time=600 build-fuzz/fuzz/corpus fuzz/corpus/decode
set(TESSEL_DATA_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)

function(tessel_data_fuzzer name seeds)
  add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp ${ARGN})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${TESSEL_DATA_FUZZ_FLAGS})
  target_link_options(${name} PRIVATE ${TESSEL_DATA_FUZZ_FLAGS})
  add_test(NAME ${name}_corpus COMMAND ${name} -runs=0 ${CMAKE_CURRENT_LIST_DIR}/corpus/${seeds})
endfunction()

# DECODBASE64, REMOVEQUOTED, UTF8PARAANSI and the encoding round trips.
tessel_data_fuzzer(decode_fuzzer decode
  ${PROJECT_SOURCE_DIR}/src/data/encodings.cpp
  ${PROJECT_SOURCE_DIR}/src/platform/text.cpp)

# The bitmap decoder behind IMAGEM, once it has a file of its own
# (console::DecodeBmp in src/console/bmp.h).
if(EXISTS ${PROJECT_SOURCE_DIR}/src/console/bmp.cpp)
  tessel_data_fuzzer(bmp_fuzzer bmp ${PROJECT_SOURCE_DIR}/src/console/bmp.cpp)
else()
  message(STATUS "bmp_fuzzer waits for src/console/bmp.cpp")
endif()
