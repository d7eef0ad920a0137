# The SDK package in <build>/sdk: the plug-in header, the .def template, the CMake package
# (find_package(TelvarinSDK)), the toolchain files for building on Linux, the example
# plug-in as a project of its own, the plug-in guide, and (built later) the conformance
# checker in bin/. Files are copied when the build is configured, so the project's own
# example builds against the same package an author gets.
include(CMakePackageConfigHelpers)
set(TVR_SDK_DIR ${CMAKE_BINARY_DIR}/sdk)
file(STRINGS ${PROJECT_SOURCE_DIR}/sdk/TelvarinPlugin.h sdk_version_line REGEX "^#define TELVARIN_SDK_VERSION ")
string(REGEX REPLACE ".* (0x[0-9A-Fa-f]+).*" "\\1" sdk_version_hex "${sdk_version_line}")
math(EXPR sdk_major "(${sdk_version_hex} >> 8) & 255")
math(EXPR sdk_minor "${sdk_version_hex} & 255")
set(TVR_SDK_VERSION ${sdk_major}.${sdk_minor})

foreach(pair
    "sdk/TelvarinPlugin.h|include"
    "sdk/plugin-template.def|."
    "sdk/cmake/TelvarinSDKConfig.cmake|cmake"
    "cmake/toolchain-i686-w64-mingw32.cmake|cmake"
    "cmake/toolchain-x86_64-w64-mingw32.cmake|cmake"
    "plugins/example/CMakeLists.txt|example"
    "plugins/example/PluginExample.cpp|example"
    "plugins/example/PluginExample.def|example"
    "docs/plugins.md|docs")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 folder)
  get_filename_component(name ${source} NAME)
  configure_file(${PROJECT_SOURCE_DIR}/${source} ${TVR_SDK_DIR}/${folder}/${name} COPYONLY)
endforeach()
write_basic_package_version_file(${TVR_SDK_DIR}/cmake/TelvarinSDKConfigVersion.cmake
  VERSION ${TVR_SDK_VERSION} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
# The project's own plug-ins find the package where an author's would.
set(TelvarinSDK_DIR ${TVR_SDK_DIR}/cmake)
