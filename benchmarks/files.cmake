# Opening a 4096 x 4096 24-bit bitmap, from the file to the canvas's image. Run by hand:
#   scripts/wine-run $PWD/build/wineprefix build/benchmarks/files_benchmark.exe
add_executable(files_benchmark ${CMAKE_CURRENT_LIST_DIR}/files_benchmark.cpp
)
target_link_libraries(files_benchmark PRIVATE pixmora_core pixmora_resources psapi)
target_link_options(files_benchmark PRIVATE -municode)
pixmora_warnings(files_benchmark)

# An icon of one 256 x 256 PNG image, from the file to the canvas.
add_executable(png_icon_benchmark ${CMAKE_CURRENT_LIST_DIR}/png_icon_benchmark.cpp)
target_link_libraries(png_icon_benchmark PRIVATE pixmora_core pixmora_resources)
target_link_options(png_icon_benchmark PRIVATE -municode)
pixmora_warnings(png_icon_benchmark)

# Crafted files: a PNG bomb, removing an image from 65,535, the peak memory of large PNGs.
add_executable(hostile_input_benchmark ${CMAKE_CURRENT_LIST_DIR}/hostile_input_benchmark.cpp
    ${PROJECT_SOURCE_DIR}/tests/files/file_builders.cpp)
target_include_directories(hostile_input_benchmark PRIVATE ${PROJECT_SOURCE_DIR}/tests/files)
target_link_libraries(hostile_input_benchmark PRIVATE pixmora_core pixmora_resources)
target_link_options(hostile_input_benchmark PRIVATE -municode)
pixmora_warnings(hostile_input_benchmark)

# Make All Sizes from a 256 x 256 PNG image and Save As Icon; run by benchmarks/all-sizes
# beside Pillow doing the same.
add_executable(all_sizes_benchmark ${CMAKE_CURRENT_LIST_DIR}/all_sizes_benchmark.cpp)
target_link_libraries(all_sizes_benchmark PRIVATE pixmora_core pixmora_resources)
target_link_options(all_sizes_benchmark PRIVATE -municode)
pixmora_warnings(all_sizes_benchmark)
