# Writes tevra.pc at install time, when the prefix is final (`cmake --install --prefix P` chooses it
# then). A prefix other than /usr gets a run path in Libs, so that a program built with
# `cc prog.c $(pkg-config --cflags --libs tevra)` also finds libtevra.so when it runs.
# With TEVRA_PC_RELOCATABLE (Windows, whose kit is unpacked anywhere) the prefix is where the file
# lies, two folders up, and there is no run path: Windows finds tevra.dll next to the program or on
# PATH.
# Called from the install script with TEVRA_VERSION, TEVRA_LIBDIR and TEVRA_INCLUDEDIR set.
set(prefix "${CMAKE_INSTALL_PREFIX}")
set(rpath "")
set(pc_prefix "${prefix}")
if(TEVRA_PC_RELOCATABLE)
  set(pc_prefix "\${pcfiledir}/../..")
elseif(NOT prefix STREQUAL "/usr")
  set(rpath " -Wl,-rpath,\${libdir}")
endif()
file(WRITE "$ENV{DESTDIR}${prefix}/${TEVRA_LIBDIR}/pkgconfig/tevra.pc"
"prefix=${pc_prefix}
libdir=\${prefix}/${TEVRA_LIBDIR}
includedir=\${prefix}/${TEVRA_INCLUDEDIR}

Name: tevra
Description: TEVRA, a small graphics and event library for interactive programs
Version: ${TEVRA_VERSION}
Cflags: -I\${includedir}
Libs: -L\${libdir}${rpath} -ltevra
")
message(STATUS "Installing: $ENV{DESTDIR}${prefix}/${TEVRA_LIBDIR}/pkgconfig/tevra.pc")
