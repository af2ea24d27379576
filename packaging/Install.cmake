# What `cmake --install` (and `make install`, `make package`) puts where: the four programs, the
# default board and brick sheet, desktop entries, icons, the board MIME type, AppStream metadata
# and manual pages. Paths follow GNUInstallDirs, so --prefix and DESTDIR work as usual.
include(GNUInstallDirs)
# Folders made by the installation are 0755 whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(VANTOR_REPOSITORY "https://github.com/vantor-game/vantor" CACHE STRING
    "Home page, also the root of the screenshot URLs in the AppStream metadata")
set(VANTOR_RAW_URL "https://raw.githubusercontent.com/vantor-game/vantor/main" CACHE STRING
    "Where the files of the repository's main branch are served")
set(VANTOR_MAINTAINER "Vantor maintainers <maintainers@vantor-game.invalid>" CACHE STRING
    "Maintainer of the Debian package")
set(VANTOR_GAME_ID io.github.vantor_game.Vantor)
set(VANTOR_EDITOR_ID io.github.vantor_game.Brickwright)

set(packaging_src ${PROJECT_SOURCE_DIR}/packaging)
set(packaging_out ${PROJECT_BINARY_DIR}/packaging)
set(data_dir ${CMAKE_INSTALL_DATADIR})
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/vantor)

foreach(program Vantor Brickwright brdtool vantor-replay)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/assets/bricks.bmp DESTINATION ${data_dir}/vantor)
install(FILES ${PROJECT_SOURCE_DIR}/assets/board.brd DESTINATION ${data_dir}/vantor)

install(FILES ${packaging_src}/vantor-board.xml DESTINATION ${data_dir}/mime/packages)
install(FILES ${packaging_src}/copyright DESTINATION ${doc_dir})
# Lintian's notes on the package, in the system-wide layout (the package's) only.
install(CODE "if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
  file(INSTALL \"${packaging_src}/lintian-overrides\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/lintian/overrides\" RENAME vantor)
endif()")

# Metainfo, man pages and the changelog carry the version and the URLs.
set(man_pages man/Vantor.6 man/Brickwright.1 man/brdtool.1 man/vantor-replay.1)
set(compressed)
foreach(page ${man_pages} changelog)
  set(source ${packaging_src}/${page})
  if(page STREQUAL "changelog")
    set(source ${packaging_src}/changelog.in)
  endif()
  configure_file(${source} ${packaging_out}/${page} @ONLY)
  # Compressed without a name or a time stamp in the header, so every build gives the same bytes.
  add_custom_command(
    OUTPUT ${packaging_out}/${page}.gz
    COMMAND gzip -9nc ${packaging_out}/${page} > ${packaging_out}/${page}.gz
    DEPENDS ${packaging_out}/${page}
    VERBATIM)
  list(APPEND compressed ${packaging_out}/${page}.gz)
endforeach()
foreach(page ${man_pages})
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  install(FILES ${packaging_out}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
install(FILES ${packaging_out}/changelog.gz DESTINATION ${doc_dir})

foreach(id ${VANTOR_GAME_ID} ${VANTOR_EDITOR_ID})
  install(FILES ${packaging_src}/${id}.desktop DESTINATION ${data_dir}/applications)
  configure_file(${packaging_src}/${id}.metainfo.xml.in ${packaging_out}/${id}.metainfo.xml @ONLY)
  install(FILES ${packaging_out}/${id}.metainfo.xml DESTINATION ${data_dir}/metainfo)
endforeach()

# The icons are drawn from the brick sheet at build time, like the default board: the sheet
# stays the one source of the brick art and no generated picture is kept in the repository.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(icon_sizes 16 32 48 64 128 256)
set(icons)
foreach(size ${icon_sizes})
  list(APPEND icons ${packaging_out}/icons/vantor-${size}.png
       ${packaging_out}/icons/brickwright-${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${icons}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/make-icons.py
          ${PROJECT_SOURCE_DIR}/assets/bricks.bmp ${packaging_out}/icons
  DEPENDS ${PROJECT_SOURCE_DIR}/scripts/make-icons.py ${PROJECT_SOURCE_DIR}/assets/bricks.bmp
  COMMENT "Drawing the icons"
  VERBATIM)
add_custom_target(packaging_files ALL DEPENDS ${icons} ${compressed})
foreach(size ${icon_sizes})
  set(icon_dir ${data_dir}/icons/hicolor/${size}x${size}/apps)
  install(FILES ${packaging_out}/icons/vantor-${size}.png DESTINATION ${icon_dir}
          RENAME ${VANTOR_GAME_ID}.png)
  install(FILES ${packaging_out}/icons/brickwright-${size}.png DESTINATION ${icon_dir}
          RENAME ${VANTOR_EDITOR_ID}.png)
endforeach()

# `make package`: a Debian package. dpkg-shlibdeps computes the library dependencies from the
# programs. No maintainer scripts: Debian refreshes the desktop database, the MIME database and
# the hicolor icon cache itself, through the file triggers of desktop-file-utils,
# shared-mime-info and the icon cache packages.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantor)
set(CPACK_PACKAGE_VENDOR "The Vantor developers")
set(CPACK_PACKAGE_CONTACT "${VANTOR_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VANTOR_REPOSITORY}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VANTOR_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "brick-breaking arcade game with its board editor")
# The summary above is the description's first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vantor is a brick-breaking game: a paddle follows the mouse, balls bounce off
it and clear the bricks of a board, and the right mouse button adds a hundred
balls at a time. Brickwright, its editor, paints boards from a sheet of brick
pictures; brdtool inspects and builds board files from the command line.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
