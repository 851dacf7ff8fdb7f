# Installing the show like any desktop program, and its Debian package.
#
#   bin/daylong                      the show, opening the largest window that fits
#   bin/daylong-record               the recorder (demo-capture)
#   share/daylong/                   the data set, forged at build time
#   share/applications/daylong.desktop, share/icons/hicolor/SIZE/apps/daylong.png,
#   share/metainfo/ID.metainfo.xml, share/man/man6/daylong.6 (and daylong-record.6)
#
# The programs find the data set through ../share/daylong beside their own
# executable, so any prefix works. scripts/package configures a build with
# DAYLONG_DEBIAN_LAYOUT=ON (compressed manual pages, the copyright file and
# changelog under share/doc) and runs CPack's DEB generator on it.
#
# A cross build (DEMO_SHOW_ONLY) has no forge: DAYLONG_FORGED names a folder
# forged on the host, holding daylong/ (the data set) and icons/.
include(GNUInstallDirs)

set(DAYLONG_RELEASE_DATE 2026-12-08)
set(DAYLONG_APP_ID org.daylong.daylong CACHE STRING "AppStream component id")
set(DAYLONG_HOMEPAGE "https://daylong.example.org/" CACHE STRING "The project's web page")
set(DAYLONG_MAINTAINER "The Daylong team <daylong@example.org>" CACHE STRING "Package maintainer")
set(DAYLONG_LICENSE LicenseRef-proprietary CACHE STRING "SPDX licence of the show")
set(DAYLONG_SCREENSHOT "${DAYLONG_HOMEPAGE}window-4x.png")
set(DAYLONG_DATA_DIR ${CMAKE_INSTALL_FULL_DATADIR}/daylong)
option(DAYLONG_DEBIAN_LAYOUT "Install as a Debian package expects" OFF)

foreach(program demo demo-capture)
  target_compile_definitions(${program} PRIVATE DEMO_VERSION="${PROJECT_VERSION}")
endforeach()
# The installed show: the build's show with the desktop's defaults.
add_executable(daylong src/show/main.cpp)
target_link_libraries(daylong PRIVATE democore)
target_compile_definitions(daylong PRIVATE DEMO_VERSION="${PROJECT_VERSION}" DEMO_DESKTOP_DEFAULTS)

set(stage ${CMAKE_BINARY_DIR}/install-stage)
if(DEMO_SHOW_ONLY)
  set(DAYLONG_FORGED "" CACHE PATH "Host-forged daylong/ and icons/ for a cross build's install")
  set(forged ${DAYLONG_FORGED})
else()
  set(forged ${stage}/forged)
  # The forge runs again only when it changes.
  add_custom_command(OUTPUT ${forged}/forged.stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${forged}/daylong ${forged}/icons
    COMMAND $<TARGET_FILE:demo-forge> ${forged}/daylong
    COMMAND $<TARGET_FILE:demo-forge> --icons ${forged}/icons ${forged}/daylong
    COMMAND ${CMAKE_COMMAND} -E touch ${forged}/forged.stamp
    DEPENDS $<TARGET_FILE:demo-forge>
    COMMENT "Forging the data set to install"
    VERBATIM)
  add_custom_target(daylong-data ALL DEPENDS ${forged}/forged.stamp)
endif()

configure_file(dist/daylong.metainfo.xml.in ${stage}/${DAYLONG_APP_ID}.metainfo.xml @ONLY)
configure_file(dist/daylong.6.in ${stage}/daylong.6 @ONLY)

install(PROGRAMS $<TARGET_FILE:daylong> DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS $<TARGET_FILE:demo-capture> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME daylong-record)
# Stripped as Debian strips (cmake --install --strip, and the package): the
# programs are installed as files, which install() itself never strips.
foreach(program daylong daylong-record)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded --remove-section=.comment --remove-section=.note
                      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\" COMMAND_ERROR_IS_FATAL ANY)
    endif()")
endforeach()
install(DIRECTORY ${forged}/daylong/ DESTINATION ${CMAKE_INSTALL_DATADIR}/daylong
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
foreach(size 48 128 256)
  install(FILES ${forged}/icons/daylong-${size}.png RENAME daylong.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES dist/daylong.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${stage}/${DAYLONG_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

if(NOT DAYLONG_DEBIAN_LAYOUT)
  install(FILES ${stage}/daylong.6 dist/daylong-record.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
else()
  # Debian wants manual pages and changelogs compressed without timestamps,
  # and a copyright file beside them.
  execute_process(COMMAND date -R -u -d ${DAYLONG_RELEASE_DATE}
                  OUTPUT_VARIABLE DAYLONG_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  configure_file(dist/changelog.in ${stage}/changelog @ONLY)
  configure_file(dist/copyright.in ${stage}/copyright @ONLY)
  set(compressed "")
  foreach(file ${stage}/daylong.6 ${CMAKE_SOURCE_DIR}/dist/daylong-record.6 ${stage}/changelog)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${stage}/${name}.gz
      COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${file} ${stage}/${name}.gz
      DEPENDS ${file} VERBATIM)
    list(APPEND compressed ${stage}/${name}.gz)
  endforeach()
  add_custom_target(daylong-compressed-docs ALL DEPENDS ${compressed})
  install(FILES ${stage}/daylong.6.gz ${stage}/daylong-record.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${stage}/changelog.gz ${stage}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/daylong)
endif()

# cpack installs what the build made rather than building everything (the
# tests and the benchmark) first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME daylong)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${DAYLONG_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running real-time show in 320 x 240 x 8 bits")
# CPack puts the summary first and indents every line; an empty line
# separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Nineteen software-rendered scenes over 284 seconds, in step with one piece
of music: picture reveals and zooms, rotozooms, feedback blurs, a particle
attractor, water and sand height fields and textured 3D meshes, drawn by
integer and fixed-point code into a palettised screen.

daylong plays the show in the largest window that fits the desktop;
daylong-record writes any moment of it as a picture, or the whole show
as a video.")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${DAYLONG_HOMEPAGE}")
# A cross build's package names its dependencies itself (scripts/package).
if(NOT DEFINED CPACK_DEBIAN_PACKAGE_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
if(DEMO_ARM_TRIPLET STREQUAL arm-linux-gnueabihf)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
elseif(DEMO_ARM_TRIPLET STREQUAL arm-linux-gnueabi)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armel)
endif()
include(CPack)
