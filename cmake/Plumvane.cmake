# Build helpers shared by every folder.
#
# File names mark the platform: *_win.cpp (and every file that includes
# <windows.h> is named so) is compiled only for Windows, *_linux.cpp only for
# the native Linux build; everything else is portable. Entry points
# (*_main.cpp, *_main_win.cpp) go to their executables, not to the libraries.

if(WIN32)
  # One static executable: nothing but system DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # The same bytes from any folder at any time: no build paths in the
  # objects, no link time in the PE header.
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>
                      $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>)
  add_link_options(-Wl,--no-insert-timestamp)
  if(CMAKE_CROSSCOMPILING)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      set(PLUMVANE_WINEARCH win64)
      set(PLUMVANE_WINE_LOADER /usr/lib/wine/wine64)
    else()
      set(PLUMVANE_WINEARCH win32)
      set(PLUMVANE_WINE_LOADER /usr/lib/wine/wine)
    endif()
    configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
  endif()
endif()

# The version as the program shows it, the minor number in two digits: 0.3
# reads "0.03". The one source of that text: the version
# resources, platform/Version.h (generated) and version.txt in the build
# folder, which the end-to-end checks read.
set(minor ${PROJECT_VERSION_MINOR})
if(minor LESS 10)
  set(minor "0${minor}")
endif()
set(PLUMVANE_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${minor}")
set(PLUMVANE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/src/platform/Version.h.in
               ${PLUMVANE_GENERATED_DIR}/platform/Version.h @ONLY)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/version.txt CONTENT "${PLUMVANE_VERSION_TEXT}\n" @ONLY)

include(GoogleTest)

function(plumvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(PLUMVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(PLUMVANE_SANITIZE AND NOT WIN32)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# The sources of the current folder that belong to this platform. With
# WINDOWS_SIDE_ONLY, a Windows build keeps only the *_win.cpp files (test
# suites whose portable part runs natively).
function(plumvane_sources out)
  cmake_parse_arguments(A "WINDOWS_SIDE_ONLY" "" "" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(result)
  foreach(f IN LISTS all)
    if(f MATCHES "_(main|exe)(_win)?\\.cpp$")
      # entry points (and *_exe.cpp, what only the shipped programs link)
      # are added to their executables explicitly
    elseif(f MATCHES "_win\\.cpp$")
      if(WIN32)
        list(APPEND result ${f})
      endif()
    elseif(f MATCHES "_linux\\.cpp$")
      if(NOT WIN32)
        list(APPEND result ${f})
      endif()
    elseif(NOT WIN32 OR NOT A_WINDOWS_SIDE_ONLY)
      list(APPEND result ${f})
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# plumvane_library(name DEPS ...): a static library of the current folder.
function(plumvane_library name)
  cmake_parse_arguments(A "" "" "DEPS;WIN_LIBS" ${ARGN})
  plumvane_sources(srcs)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${A_DEPS})
    if(WIN32 AND A_WIN_LIBS)
      target_link_libraries(${name} PUBLIC ${A_WIN_LIBS})
    endif()
    plumvane_warnings(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${A_DEPS})
  endif()
endfunction()

# plumvane_test(name [BOTH_BACKENDS] DEPS ...): the GoogleTest executable of
# the current folder. Natively it holds the portable files (and *_linux.cpp);
# for Windows it holds the *_win.cpp files, plus the portable ones when the
# suite runs on both backends. Windows-side tests run under Wine.
function(plumvane_test name)
  cmake_parse_arguments(A "BOTH_BACKENDS" "" "DEPS" ${ARGN})
  if(A_BOTH_BACKENDS)
    plumvane_sources(srcs)
  else()
    plumvane_sources(srcs WINDOWS_SIDE_ONLY)
  endif()
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE GTest::gtest_main ${A_DEPS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    PLUMVANE_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests")
  plumvane_warnings(${name})
  # Each test is its own CTest test, so `ctest -R Name` runs one. Windows
  # tests are listed through the emulator when CTest starts rather than after
  # the build: the Wine prefix does not exist yet then, and starting Wine for
  # every relink is slow. Parameters stay out of the names (some print as raw
  # bytes, pointers included, which would rename a test on every listing).
  if(WIN32)
    gtest_discover_tests(${name} TEST_PREFIX "wine:" NO_PRETTY_VALUES DISCOVERY_MODE PRE_TEST
                         DISCOVERY_TIMEOUT 300 PROPERTIES TIMEOUT 300)
  else()
    gtest_discover_tests(${name} NO_PRETTY_VALUES DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# plumvane_resources(target [NAME name] [DESCRIPTION text]): icons, version
# and the manifest that asks for common controls 6 (for the target's own
# processor architecture). NAME is the version resource's internal name
# (plumvane.exe's by default), DESCRIPTION its file description.
function(plumvane_resources target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(A "" "NAME;DESCRIPTION" "" ${ARGN})
  set(PLUMVANE_RC_NAME plumvane)
  set(PLUMVANE_RC_DESCRIPTION
      "Set the WriteCacheEnableOverride and HotplugDevice value for USB drives")
  if(A_NAME)
    set(PLUMVANE_RC_NAME ${A_NAME})
  endif()
  if(A_DESCRIPTION)
    set(PLUMVANE_RC_DESCRIPTION ${A_DESCRIPTION})
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(PLUMVANE_MANIFEST_ARCH amd64)
  else()
    set(PLUMVANE_MANIFEST_ARCH x86)
  endif()
  set(patch ${PROJECT_VERSION_PATCH})
  if(NOT patch)
    set(patch 0)
  endif()
  set(PLUMVANE_VERSION_COMMAS "${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, ${patch}, 0")
  set(PLUMVANE_VERSION_DOTS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${patch}.0")
  set(PLUMVANE_RES_DIR ${PROJECT_SOURCE_DIR}/res)
  set(PLUMVANE_MANIFEST ${CMAKE_BINARY_DIR}/res/plumvane.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/res/plumvane.manifest.in ${PLUMVANE_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/res/plumvane.rc.in
                 ${CMAKE_BINARY_DIR}/res/${PLUMVANE_RC_NAME}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/res/${PLUMVANE_RC_NAME}.rc)
  # The compiler of resources reports no dependencies: name the files it reads.
  set_source_files_properties(${CMAKE_BINARY_DIR}/res/${PLUMVANE_RC_NAME}.rc PROPERTIES OBJECT_DEPENDS
    "${PLUMVANE_MANIFEST};${PLUMVANE_RES_DIR}/plumvane.ico;${PLUMVANE_RES_DIR}/appicon.ico")
endfunction()

# plumvane_print_size(target): the build prints the size of the target's file.
function(plumvane_print_size target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -P ${PROJECT_SOURCE_DIR}/cmake/PrintFileSize.cmake
    VERBATIM)
endfunction()

# plumvane_shipped_code(target...): what goes into plumvane.exe and
# plumvane-cli.exe (the product's libraries and the two programs' own code)
# throws no exception, so for Windows it is compiled without exception
# support and without unwind tables, and the two programs end on
# std::terminate without the runtime's verbose handler, which would link the
# demangler and the printf engine. The simulation, the drivers and the tests
# keep exceptions.
# A runtime exception (memory exhausted) ends the program in abort().
function(plumvane_shipped_code)
  if(NOT WIN32)
    return()
  endif()
  foreach(target IN LISTS ARGN)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      continue()
    endif()
    target_compile_options(${target} PRIVATE -fno-exceptions -fno-asynchronous-unwind-tables)
    if(type STREQUAL "EXECUTABLE")
      # An object of its own: a library member would come too late to keep
      # the runtime's handler out.
      target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src/app/AbortOnTerminate_exe.cpp)
      # The link map, for ./run bench's list of the largest parts.
      target_link_options(${target} PRIVATE -Wl,-Map=$<TARGET_FILE_DIR:${target}>/${target}.map)
    endif()
  endforeach()
endfunction()
