# The canvas benchmark: the time the real canvas and monitors take to handle a stylus move.
add_executable(canvas_benchmark ${CMAKE_CURRENT_SOURCE_DIR}/canvas_benchmark.cpp)
target_link_libraries(canvas_benchmark PRIVATE pixmora_core pixmora_resources)
pixmora_warnings(canvas_benchmark)
