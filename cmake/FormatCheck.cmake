# The format check: every tracked C and C++ source as clang-format 14 lays it out (.clang-format).
# A ctest of the native build, so that the test command runs it and counts it.
find_program(TW_CLANG_FORMAT NAMES clang-format-14)
find_package(Git QUIET)
if(TW_CLANG_FORMAT AND GIT_FOUND)
    add_test(NAME clang_format
             COMMAND sh -c "${GIT_EXECUTABLE} ls-files -z -- '*.cpp' '*.h' | xargs -0 '${TW_CLANG_FORMAT}' --dry-run --Werror"
             WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
else()
    add_test(NAME clang_format
             COMMAND sh -c "echo 'clang-format-14 and git are needed (scripts/setup.sh installs them)' >&2; exit 1")
endif()
set_tests_properties(clang_format PROPERTIES LABELS format)
