# tevra.dll: the library for Windows programs, what the Windows kit ships (`make windows-kit`).
#
# It exports the C entry points of include/tevra.h and nothing else, and carries everything it
# needs inside: winpthread, libgcc and libstdc++ are linked statically, so a C program links it with
# the plain C driver and runs with no DLL beside it but tevra.dll and Windows' own. Next to the
# MinGW import library (libtevra.dll.a, made by the link) stands an import library for MSVC's
# linker, tevra.lib, made by dlltool from the same .def file. Included by tevra/CMakeLists.txt with
# tevra_shared defined; sets TEVRA_MSVC_IMPLIB for the install rules.

# The .def file lists the header's entry points: every declaration "int32_t tevra_NAME(" at the
# start of a line. Made at configure time, and again whenever the header changes.
set(TEVRA_HEADER ${PROJECT_SOURCE_DIR}/include/tevra.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TEVRA_HEADER})
file(STRINGS ${TEVRA_HEADER} declarations REGEX "^int32_t tevra_[a-z_]+\\(")
set(def_lines "LIBRARY tevra.dll\nEXPORTS\n")
foreach(declaration ${declarations})
  string(REGEX MATCH "tevra_[a-z_]+" entry_point "${declaration}")
  string(APPEND def_lines "  ${entry_point}\n")
endforeach()
if(NOT declarations)
  message(FATAL_ERROR "no entry point found in ${TEVRA_HEADER}")
endif()
set(TEVRA_DEF ${CMAKE_CURRENT_BINARY_DIR}/tevra.def)
file(CONFIGURE OUTPUT ${TEVRA_DEF} CONTENT "${def_lines}")

# With a .def file the linker exports what it lists, instead of every global symbol. -static makes
# winpthread (std::thread's runtime) an archive too; user32, gdi32 and kernel32 stay import libraries.
target_link_libraries(tevra_shared PRIVATE tevra_image user32 gdi32 kernel32)
target_link_options(tevra_shared PRIVATE ${TEVRA_DEF} -static -static-libgcc -static-libstdc++
                    -Wl,--no-undefined)
set_target_properties(tevra_shared PROPERTIES
  OUTPUT_NAME tevra PREFIX "" IMPORT_PREFIX lib IMPORT_SUFFIX .dll.a
  EXPORT_NAME tevra LINKER_LANGUAGE CXX VERSION ${PROJECT_VERSION}
  LINK_DEPENDS ${TEVRA_DEF})

set(TEVRA_MSVC_IMPLIB ${CMAKE_CURRENT_BINARY_DIR}/tevra.lib)
set(TEVRA_DLLTOOL ${CMAKE_DLLTOOL})
if(NOT TEVRA_DLLTOOL)
  find_program(TEVRA_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)
endif()
add_custom_command(TARGET tevra_shared POST_BUILD
  COMMAND ${TEVRA_DLLTOOL} -m i386:x86-64 -d ${TEVRA_DEF} -D tevra.dll -l ${TEVRA_MSVC_IMPLIB}
  COMMENT "Making the MSVC import library tevra.lib" VERBATIM)
