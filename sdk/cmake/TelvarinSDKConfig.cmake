# Telvarin plug-in SDK. find_package(TelvarinSDK) gives:
#   Telvarin::Plugin      the interface target: the SDK's include folder, the Unicode
#                         definitions, and the linker options that export the .def file's
#                         plain names (__stdcall names are decorated on 32 bits) from a DLL
#                         that needs no runtime DLL
#   telvarin_add_plugin(<name> DEF <file.def> SOURCES <files...>)
#                         a plug-in DLL named <name>.dll (no "lib" prefix) linked with it
#   TELVARIN_SDK_DEF_TEMPLATE  the .def template listing every export
#   TELVARIN_SDK_CHECKER       the conformance checker tvrplugcheck.exe
get_filename_component(TELVARIN_SDK_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(TELVARIN_SDK_INCLUDE_DIR "${TELVARIN_SDK_ROOT}/include")
set(TELVARIN_SDK_DEF_TEMPLATE "${TELVARIN_SDK_ROOT}/plugin-template.def")
set(TELVARIN_SDK_CHECKER "${TELVARIN_SDK_ROOT}/bin/tvrplugcheck.exe")

if(NOT TARGET Telvarin::Plugin)
  add_library(Telvarin::Plugin INTERFACE IMPORTED)
  set_target_properties(Telvarin::Plugin PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${TELVARIN_SDK_INCLUDE_DIR}"
    INTERFACE_COMPILE_DEFINITIONS "UNICODE;_UNICODE"
    INTERFACE_LINK_OPTIONS "$<$<CXX_COMPILER_ID:GNU,Clang>:-Wl,--enable-stdcall-fixup>;$<$<CXX_COMPILER_ID:GNU,Clang>:-static>;$<$<CXX_COMPILER_ID:GNU,Clang>:-Wl,--file-alignment,0x1000>"
    INTERFACE_LINK_LIBRARIES "user32;kernel32")
endif()

function(telvarin_add_plugin name)
  cmake_parse_arguments(P "" "DEF" "SOURCES" ${ARGN})
  if(NOT P_DEF)
    message(FATAL_ERROR "telvarin_add_plugin(${name}): DEF <file.def> names the exports (see ${TELVARIN_SDK_DEF_TEMPLATE})")
  endif()
  add_library(${name} SHARED ${P_SOURCES} ${P_DEF})
  target_link_libraries(${name} PRIVATE Telvarin::Plugin)
  # MSVC: the static runtime, as mingw-w64's -static above.
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".dll"
    MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
endfunction()
