# cmake -DFILE=path -P PrintFileSize.cmake: prints the size of a built file,
# so every build shows what the shipped executable weighs.
file(SIZE "${FILE}" bytes)
math(EXPR kib "(${bytes} + 1023) / 1024")
get_filename_component(name "${FILE}" NAME)
message(STATUS "${name}: ${bytes} bytes (${kib} KB)")
