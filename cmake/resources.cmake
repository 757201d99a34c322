# Embedded pictures: a generated C++ file holding the table that FindResourceA searches.
# Placeholder until the artwork generator is wired in: an empty table.
set(ZOLTA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(ZOLTA_RESOURCE_SOURCES ${ZOLTA_GENERATED_DIR}/embedded_resources.cpp)
file(MAKE_DIRECTORY ${ZOLTA_GENERATED_DIR})
file(WRITE ${ZOLTA_GENERATED_DIR}/embedded_resources.cpp
"#include \"platform/resource_table.h\"\n\
const EmbeddedResource embeddedResources[1] = {{0, \"\", nullptr, 0}};\n\
const int embeddedResourceCount = 0;\n")
