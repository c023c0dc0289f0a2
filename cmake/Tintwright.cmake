# Build settings shared by every folder.

if(MSVC)
    add_compile_options(/W4 /utf-8)
    add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
else()
    add_compile_options(-Wall -Wextra)
endif()

if(WIN32)
    # ANSI build: every string of the program is 8-bit.
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    if(MINGW)
        # No runtime DLLs beside the program: libgcc, libstdc++ and winpthread linked in.
        add_link_options(-static -static-libgcc -static-libstdc++)
        # Sections at page-aligned file offsets: Wine maps them from the file, where at the
        # default 512-byte alignment it reads every section, debug information too, into memory
        # at each start (4.5 MB of the program's and ImgLib's, some ms of the first paint).
        add_link_options(-Wl,--file-alignment=0x1000)
    endif()
endif()

if(NOT WIN32 AND TW_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(CMAKE_CROSSCOMPILING AND WIN32)
    # Two launchers over prefixes of this build tree, made by tools/wine-prefix from one
    # description: wine-run for ctest (unmanaged windows) and wine-desktop for scripts/run.sh.
    set(TW_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix of the tests")
    set(TW_DESKTOP_WINEPREFIX ${CMAKE_BINARY_DIR}/desktop-wineprefix CACHE PATH
        "Wine prefix in which scripts/run.sh starts the program")
    foreach(launcher IN ITEMS "wine-run;tests;${TW_WINEPREFIX}"
                              "wine-desktop;desktop;${TW_DESKTOP_WINEPREFIX}")
        list(GET launcher 0 name)
        list(GET launcher 1 TW_PREFIX_KIND)
        list(GET launcher 2 TW_PREFIX_DIR)
        configure_file(${PROJECT_SOURCE_DIR}/tools/wine-run.in ${CMAKE_BINARY_DIR}/${name} @ONLY
                       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                        GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endforeach()
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()

# GoogleTest from source: Debian's googletest package, or -DGTEST_SOURCE_DIR=... elsewhere.
macro(tw_find_googletest)
    set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
    if(NOT EXISTS ${GTEST_SOURCE_DIR}/CMakeLists.txt)
        message(FATAL_ERROR "GoogleTest sources not found in ${GTEST_SOURCE_DIR}; set GTEST_SOURCE_DIR or TW_BUILD_TESTS=OFF")
    endif()
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    if(WIN32)
        set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    endif()
    add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endmacro()

# One ctest entry per test program; Windows programs run through the emulator above.
function(tw_add_test name)
    cmake_parse_arguments(ARG "OWN_MAIN" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_OWN_MAIN)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} tw_test_main)
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}"
                         WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endfunction()
