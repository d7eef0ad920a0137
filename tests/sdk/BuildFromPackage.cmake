# cmake -DSDK=<build>/sdk -DARCH=<i686|x86_64> -DOUT=<folder> -P BuildFromPackage.cmake
# Builds the example plug-in as an author would: the package copied into an empty temporary
# folder outside the repository, the example copied beside it as the author's own project,
# configured with the package's toolchain file and CMake package, built, and the DLL copied
# to OUT.
string(RANDOM LENGTH 10 suffix)
set(temp "/tmp/tvr-sdk-${ARCH}-${suffix}")
file(REMOVE_RECURSE ${temp})
file(COPY ${SDK}/ DESTINATION ${temp}/sdk)
file(COPY ${temp}/sdk/example/ DESTINATION ${temp}/myplugin)
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${temp}/myplugin -B ${temp}/myplugin/build -DCMAKE_BUILD_TYPE=Release
          -DCMAKE_PREFIX_PATH=${temp}/sdk -DCMAKE_TOOLCHAIN_FILE=${temp}/sdk/cmake/toolchain-${ARCH}-w64-mingw32.cmake
  RESULT_VARIABLE configured)
if(configured EQUAL 0)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${temp}/myplugin/build RESULT_VARIABLE built)
endif()
if(NOT configured EQUAL 0 OR NOT built EQUAL 0)
  file(REMOVE_RECURSE ${temp})
  message(FATAL_ERROR "the example did not build from the package for ${ARCH}")
endif()
file(MAKE_DIRECTORY ${OUT})
file(COPY ${temp}/myplugin/build/PluginExample.dll DESTINATION ${OUT})
file(REMOVE_RECURSE ${temp})
message(STATUS "PluginExample.dll built from the package for ${ARCH}")
