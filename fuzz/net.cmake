# Fuzz target of the network module; included from fuzz/CMakeLists.txt.
# The HTTP response parser (status line, headers, chunked framing) on its own:
#   ninja -C build-fuzz http_response_fuzzer
#   build-fuzz/fuzz/http_response_fuzzer -max_total_time=600 build-fuzz/fuzz/corpus fuzz/corpus/http_response
tessel_data_fuzzer(http_response_fuzzer http_response ${PROJECT_SOURCE_DIR}/src/net/http_response.cpp)
