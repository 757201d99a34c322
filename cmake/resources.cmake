# Embedded pictures: the artwork generator (tools/artwork) draws every picture, encodes it as
# ImageBlob and writes a C++ file holding the bytes and the table that FindResourceA searches.
# The output depends only on the generator's source and the packaged DejaVu fonts, so the
# same inputs give the same bytes; nothing is fetched from the network.
set(ZOLTA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(ZOLTA_RESOURCE_SOURCES ${ZOLTA_GENERATED_DIR}/embedded_resources.cpp)
file(MAKE_DIRECTORY ${ZOLTA_GENERATED_DIR})

add_custom_command(
  OUTPUT ${ZOLTA_RESOURCE_SOURCES}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:zolta_artwork> --fonts ${ZOLTA_FONT_DIR} --source ${ZOLTA_RESOURCE_SOURCES}
  DEPENDS zolta_artwork
  COMMENT "Drawing the embedded pictures"
  VERBATIM)

# The launcher's icon, drawn by the same generator and installed with the program.
set(ZOLTA_ICON ${ZOLTA_GENERATED_DIR}/zolta-rodizeve.png)
add_custom_command(
  OUTPUT ${ZOLTA_ICON}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:zolta_artwork> --icon ${ZOLTA_ICON}
  DEPENDS zolta_artwork
  COMMENT "Drawing the launcher's icon"
  VERBATIM)
add_custom_target(zolta_icon ALL DEPENDS ${ZOLTA_ICON})
