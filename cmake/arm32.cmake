# Toolchain for 32-bit ARM Linux with Debian's cross compilers, used with
# -DDEMO_SHOW_ONLY=ON (only the show and the recorder are built for ARM).
#
#   DEMO_ARM_TRIPLET  arm-linux-gnueabihf (armhf, hardware floating point) or
#                     arm-linux-gnueabi (armel, soft-float)
#   DEMO_TARGET_ROOT  a folder holding the target's Debian packages unpacked:
#                     the runtime libraries of SDL, SDL_image, SDL_mixer,
#                     libpng and zlib with everything they need, and the -dev
#                     packages of those five (headers, .so links, pkg-config
#                     files). scripts/check-arm32 makes it.
#
# The target's -dev packages cannot be installed beside the host's, so they
# are only unpacked; the C and C++ libraries come from the cross compiler.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DEMO_ARM_TRIPLET DEMO_TARGET_ROOT)
if(NOT DEMO_ARM_TRIPLET)
  set(DEMO_ARM_TRIPLET arm-linux-gnueabihf)
endif()

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_LIBRARY_ARCHITECTURE ${DEMO_ARM_TRIPLET})
set(CMAKE_CXX_COMPILER ${DEMO_ARM_TRIPLET}-g++)

if(DEMO_TARGET_ROOT)
  set(target_libs ${DEMO_TARGET_ROOT}/usr/lib/${DEMO_ARM_TRIPLET})
  # pkg-config reads only the target's files and puts the root in front of
  # their paths.
  set(ENV{PKG_CONFIG_LIBDIR} ${target_libs}/pkgconfig:${DEMO_TARGET_ROOT}/usr/share/pkgconfig)
  set(ENV{PKG_CONFIG_SYSROOT_DIR} ${DEMO_TARGET_ROOT})
  set(ENV{PKG_CONFIG_PATH} "")
  # The sources include <SDL/SDL.h>, which a host finds in /usr/include.
  set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${DEMO_TARGET_ROOT}/usr/include)
  # The libraries the SDL libraries need in turn are found in the root too,
  # including private folders such as PulseAudio's.
  file(GLOB_RECURSE shared_libraries ${DEMO_TARGET_ROOT}/lib/lib*.so* ${target_libs}/lib*.so*)
  set(library_folders "")
  foreach(library IN LISTS shared_libraries)
    get_filename_component(folder ${library} DIRECTORY)
    list(APPEND library_folders ${folder})
  endforeach()
  list(REMOVE_DUPLICATES library_folders)
  list(JOIN library_folders ":" library_path)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,-rpath-link,${library_path}")
endif()
