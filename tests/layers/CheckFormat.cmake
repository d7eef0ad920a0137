# Fails when a source file of the product differs from the layout .clang-format describes.
# Usage: cmake -DTVR_ROOT=<repository> -DCLANG_FORMAT=<program> -P CheckFormat.cmake
file(GLOB_RECURSE files ${TVR_ROOT}/src/*.h ${TVR_ROOT}/src/*.cpp)
list(SORT files)
execute_process(COMMAND ${CLANG_FORMAT} --style=file --dry-run --Werror ${files}
  WORKING_DIRECTORY ${TVR_ROOT} RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Not in the layout of .clang-format (clang-format -i fixes it):\n${errors}")
endif()
list(LENGTH files count)
message(STATUS "${count} files follow .clang-format")
