# The Windows build (cmake/mingw-w64.cmake): the program's folders compiled unchanged against the
# real <windows.h> and <d3d9.h>. Of platform/ only what Windows lacks is built: the audio library
# over libopenmpt and KISS FFT (shared with Linux) and its waveOut output, the C runtime's random
# sequence, and the Windows side of the start options, the desktop bus and the console.
# libopenmpt and KISS FFT are cross-built from Debian's sources by tools/windows/build-deps.sh;
# the pictures come from the native artwork generator of a Linux build.
enable_language(RC)
set(ZOLTA_WINDOWS_DEPS ${CMAKE_BINARY_DIR}/deps CACHE PATH "Prefix of the cross-built libraries")
set(ZOLTA_ARTWORK "" CACHE FILEPATH "The native artwork generator (a Linux build's zolta_artwork)")
if(NOT EXISTS ${ZOLTA_WINDOWS_DEPS}/.built)
  message(FATAL_ERROR "No cross-built libraries in ${ZOLTA_WINDOWS_DEPS}: run `make windows`")
endif()
if(NOT EXISTS "${ZOLTA_ARTWORK}")
  message(FATAL_ERROR "ZOLTA_ARTWORK must name a native zolta_artwork: run `make windows`")
endif()

add_library(zolta_openmpt INTERFACE)
target_include_directories(zolta_openmpt SYSTEM INTERFACE ${ZOLTA_WINDOWS_DEPS}/include)
target_link_libraries(zolta_openmpt INTERFACE ${ZOLTA_WINDOWS_DEPS}/lib/libopenmpt.a
  ${ZOLTA_WINDOWS_DEPS}/lib/libkissfft-float.a ole32 rpcrt4)
target_compile_definitions(zolta_openmpt INTERFACE kiss_fft_scalar=float)

# The platform of the Windows build: the shared audio library and the Windows side.
file(GLOB ZOLTA_WINDOWS_PLATFORM_SOURCES CONFIGURE_DEPENDS platform/windows/*.cpp)
add_library(zolta_platform OBJECT
  platform/bass_music.cpp platform/bass_mixer.cpp platform/bass_analysis.cpp platform/c_runtime.cpp
  ${ZOLTA_WINDOWS_PLATFORM_SOURCES})
target_include_directories(zolta_platform PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(zolta_platform PUBLIC zolta_openmpt zolta_terminal d3d9 gdi32 winmm)

# The pictures as BINARYDATA resources and the icon group 101, compiled by windres.
set(ZOLTA_RESOURCE_DIR ${CMAKE_BINARY_DIR}/resources)
file(MAKE_DIRECTORY ${ZOLTA_RESOURCE_DIR})
add_custom_command(
  OUTPUT ${ZOLTA_RESOURCE_DIR}/zolta.rc
  COMMAND ${ZOLTA_ARTWORK} --fonts ${ZOLTA_FONT_DIR} --rc ${ZOLTA_RESOURCE_DIR}
  DEPENDS ${ZOLTA_ARTWORK}
  COMMENT "Drawing the pictures as Windows resources"
  VERBATIM)

add_custom_target(zolta_resources DEPENDS ${ZOLTA_RESOURCE_DIR}/zolta.rc)

# A windowed program: started from Explorer it opens no console (see platform/windows/console.cpp).
target_sources(zolta PRIVATE ${ZOLTA_RESOURCE_DIR}/zolta.rc)
set_target_properties(zolta PROPERTIES WIN32_EXECUTABLE ON)
add_dependencies(zolta zolta_resources)

# zolta-frames.exe: the frames tool of tools/frames/ over the real Direct3D 9, a console program
# with the same pictures.
add_executable(zolta-frames tools/frames/zolta_frames.cpp tools/frames/windows/frames_platform.cpp
  tools/frames/windows/png_file.cpp ${ZOLTA_RESOURCE_DIR}/zolta.rc)
target_link_libraries(zolta-frames PRIVATE zolta_core)
add_dependencies(zolta-frames zolta_resources)

# ---- Tests of the Windows build, run under Wine (tools/windows/wine-run.sh) by `make test-windows`:
# the Windows side's own (tests/platform/windows/) and those of the program's code that need no
# Linux platform. GoogleTest is built from Debian's sources for Windows.
if(ZOLTA_TESTS)
  enable_testing()
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(ZOLTA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/windows/wine-run.sh --captured
    ${ZOLTA_WINE_PREFIX})
  file(GLOB ZOLTA_WINDOWS_TEST_SOURCES RELATIVE ${CMAKE_SOURCE_DIR} CONFIGURE_DEPENDS
    tests/platform/windows/*_test.cpp)
  list(APPEND ZOLTA_WINDOWS_TEST_SOURCES
    tests/support_types/ref_string_test.cpp tests/support_types/transform_test.cpp
    tests/support_types/printable_name_test.cpp tests/metaballs/iso_surface_test.cpp
    tests/app/scroll_text_test.cpp tests/effects/random_value_test.cpp)
  # Listening to the output: the recording readers and libopenmpt's own renderings of the Linux tests.
  add_library(zolta_windows_test_support STATIC tests/support/e2e_sound.cpp)
  target_link_libraries(zolta_windows_test_support PUBLIC zolta_core gtest)
  foreach(source ${ZOLTA_WINDOWS_TEST_SOURCES})
    string(REGEX REPLACE "^tests/(.*)\\.cpp$" "\\1" name ${source})
    string(REPLACE "/" "_" name ${name})
    add_executable(${name} ${source})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${name} PRIVATE zolta_windows_test_support gtest_main)
    target_compile_definitions(${name} PRIVATE ZOLTA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS windows)
  endforeach()
endif()

# ---- `make windows-package`: zolta-<version>-win64.zip, with zolta.exe, the default tunes and
# a README.txt, in one folder of that name.
install(TARGETS zolta RUNTIME DESTINATION .)
install(DIRECTORY data/msx/ DESTINATION data/msx)
install(FILES docs/windows-readme.txt DESTINATION . RENAME README.txt)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zolta)
set(CPACK_PACKAGE_FILE_NAME zolta-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
