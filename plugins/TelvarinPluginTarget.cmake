# tvr_add_plugin(<target> OUTPUT_NAME <file base name> DESTINATION <folder> DEF <.def file> SOURCES ...)
# One plug-in module: a DLL with undecorated exports, named <file base name>.dll, linked
# statically against the C++ runtime and placed in <folder>.
function(tvr_add_plugin target)
  cmake_parse_arguments(P "" "OUTPUT_NAME;DESTINATION;DEF" "SOURCES;LIBRARIES" ${ARGN})
  add_library(${target} SHARED ${P_SOURCES} ${P_DEF})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/sdk)
  target_link_libraries(${target} PRIVATE ${P_LIBRARIES})
  # Page-aligned sections in the file let the image be mapped from it, not copied.
  target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup -Wl,--file-alignment,0x1000)
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX ".dll" OUTPUT_NAME ${P_OUTPUT_NAME}
    RUNTIME_OUTPUT_DIRECTORY ${P_DESTINATION}
    LIBRARY_OUTPUT_DIRECTORY ${P_DESTINATION})
endfunction()
