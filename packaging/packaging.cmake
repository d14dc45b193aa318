# Installing the show and packaging it for Debian: `cmake --install` (make install) and CPack's DEB
# generator (make deb) read the same install rules, so the package holds exactly what an install holds.
include(GNUInstallDirs)

set(SHOWCASE_APP_ID "io.github.showcase.showcase")
set(SHOWCASE_ICON "showcase")
set(SHOWCASE_MAINTAINER "Showcase maintainers <maintainers@users.noreply.c-seed-9810a322.example>")
# The release date of this version, for the AppStream release entry and the package's changelog.
set(SHOWCASE_RELEASE_DATE "2026-12-07")
set(SHOWCASE_RELEASE_RFC2822 "Mon, 07 Dec 2026 00:00:00 +0000")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SHOWCASE_MAINTAINER}")

# An install is found again from its own executables (../share/showcase), so nothing is compiled in.
set(SHOWCASE_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(SHOWCASE_GEN ${CMAKE_BINARY_DIR}/packaging)
set(SHOWCASE_DATA_TREE ${CMAKE_BINARY_DIR}/data)

# Man pages from the programs' own --help and --version, so the options are written down once.
find_program(HELP2MAN help2man)
set(SHOWCASE_MANPAGES)
foreach(entry
    "showcase-fs|play the demo-scene art disk, the screen following the frame size"
    "showcase|play the demo-scene art disk on a fixed 640 x 480 screen"
    "showcase-scene|print what the show's scene loader reads from a 3D Studio file"
    "showcase-render|draw one frame of a 3D Studio scene with the show's renderer")
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 prog)
  list(GET parts 1 whatis)
  set(page ${SHOWCASE_GEN}/man/${prog}.6)
  # The programs' pages add what --help has no room for: keys, full screen, files, environment, status.
  set(include)
  if(prog MATCHES "^showcase(-fs)?$")
    set(include --include=${SHOWCASE_PACKAGING}/showcase.h2m)
  endif()
  if(HELP2MAN)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${SHOWCASE_GEN}/man
      COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 ${HELP2MAN} --no-info --section=6 --name=${whatis} ${include} --output=${page} $<TARGET_FILE:${prog}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${prog} ${SHOWCASE_PACKAGING}/showcase.h2m
      VERBATIM)
  else()
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E echo "help2man is not installed; run scripts/install-deps"
      COMMAND false
      VERBATIM)
  endif()
  list(APPEND SHOWCASE_MANPAGES ${page}.gz)
endforeach()

# The icon in every size of the icon theme, cut from the show's own art by the data generator.
add_custom_command(OUTPUT ${SHOWCASE_GEN}/icons/.stamp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${SHOWCASE_GEN}/icons
  COMMAND mkdata --icons ${SHOWCASE_GEN}/icons ${SHOWCASE_ICON}
  COMMAND ${CMAKE_COMMAND} -E touch ${SHOWCASE_GEN}/icons/.stamp
  DEPENDS mkdata
  VERBATIM)

configure_file(${SHOWCASE_PACKAGING}/showcase-fs.desktop.in ${SHOWCASE_GEN}/showcase-fs.desktop @ONLY)
configure_file(${SHOWCASE_PACKAGING}/showcase.desktop.in ${SHOWCASE_GEN}/showcase.desktop @ONLY)
configure_file(${SHOWCASE_PACKAGING}/showcase.metainfo.xml.in
  ${SHOWCASE_GEN}/${SHOWCASE_APP_ID}.metainfo.xml @ONLY)
configure_file(${SHOWCASE_PACKAGING}/changelog.in ${SHOWCASE_GEN}/changelog @ONLY)
add_custom_command(OUTPUT ${SHOWCASE_GEN}/changelog.gz
  COMMAND gzip -9nc ${SHOWCASE_GEN}/changelog > ${SHOWCASE_GEN}/changelog.gz
  DEPENDS ${SHOWCASE_GEN}/changelog)

# Everything an install needs besides the programs and the data tree. The sanitizer build checks the code,
# not the packaging: there they are built only when asked for.
if(SHOWCASE_SANITIZE)
  set(SHOWCASE_INSTALL_FILES_IN_ALL)
else()
  set(SHOWCASE_INSTALL_FILES_IN_ALL ALL)
endif()
add_custom_target(install-files ${SHOWCASE_INSTALL_FILES_IN_ALL}
  DEPENDS ${SHOWCASE_MANPAGES} ${SHOWCASE_GEN}/icons/.stamp ${SHOWCASE_GEN}/changelog.gz)
# Everything an install needs: `make install` and `make deb` build this and nothing else.
add_custom_target(installable DEPENDS showcase showcase-fs showcase-scene showcase-render data install-files)

install(TARGETS showcase showcase-fs showcase-scene showcase-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Exactly the files the data generator wrote, by its own list: not whatever else lies in the build's data
# folder, such as a screenshot taken while the show ran from there.
install(CODE "
  if(NOT EXISTS \"${SHOWCASE_DATA_LIST}\")
    message(FATAL_ERROR \"${SHOWCASE_DATA_LIST} is missing: build the data tree first (target data)\")
  endif()
  file(STRINGS \"${SHOWCASE_DATA_LIST}\" files)
  foreach(f IN LISTS files)
    get_filename_component(dir \"\${f}\" DIRECTORY)
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/showcase/\${dir}\"
      TYPE FILE FILES \"${SHOWCASE_DATA_TREE}/\${f}\")
  endforeach()")
install(FILES ${SHOWCASE_MANPAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${SHOWCASE_GEN}/showcase-fs.desktop ${SHOWCASE_GEN}/showcase.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${SHOWCASE_GEN}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor
  PATTERN .stamp EXCLUDE)
install(FILES ${SHOWCASE_GEN}/${SHOWCASE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${SHOWCASE_PACKAGING}/copyright ${SHOWCASE_GEN}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package. CPack's DEB generator rather than a debian/ folder: the package is made from the
# install rules above, from the build folder that `make run` already has, in seconds and without root; a
# debian/ folder would rebuild everything from a clean tree with debhelper and repeat what these rules say.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME showcase)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "late-1990s demo-scene art disk, rebuilt for today's machines")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A tracker module plays while a timed 3D intro flies through its scene with
two logos fading in and out; then a turning 3D menu offers a gallery of
thirteen pictures, a credits and a greetings screen over animated fractal
leaves, and an exit sequence. Every frame is drawn by the show's own
software renderer.
.
The package holds the two programs (showcase-fs fills the screen, showcase
keeps the fixed 640 x 480 screen), the scene tools showcase-scene
and showcase-render, and the generated data tree.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": Debian keeps games in /usr/games, and the show is an art disk, not a game.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Only what the install rules name; the package is made without building anything else.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};showcase;ALL;/")
include(CPack)

# The installed programs resolve their libraries at start and keep the relocation tables read-only.
foreach(prog showcase showcase-fs showcase-scene showcase-render)
  target_link_options(${prog} PRIVATE -Wl,-z,relro,-z,now)
endforeach()

# The scene tools say their version as the programs do, for their man pages.
foreach(tool showcase-scene showcase-render)
  target_compile_definitions(${tool} PRIVATE SHOWCASE_VERSION="${PROJECT_VERSION}")
endforeach()
