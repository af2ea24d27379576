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

# The brick sheet and the default board. With PREFIX=~/.local the data folder is the player's
# own, where their board.brd lives: the default board is default.brd, which the game reads after
# every board.brd, and neither file replaces one of the player's (install_helpers.cmake).
install(CODE "include(\"${packaging_src}/install_helpers.cmake\")
  vantor_install_data(\"${PROJECT_SOURCE_DIR}/assets/bricks.bmp\" bricks.bmp
                      \"${data_dir}/vantor\" \"${PROJECT_BINARY_DIR}/install_record.txt\")
  vantor_install_data(\"${PROJECT_SOURCE_DIR}/assets/board.brd\" default.brd
                      \"${data_dir}/vantor\" \"${PROJECT_BINARY_DIR}/install_record.txt\")")

install(FILES ${packaging_src}/vantor-board.xml DESTINATION ${data_dir}/mime/packages)
configure_file(${packaging_src}/copyright ${packaging_out}/copyright @ONLY)
install(FILES ${packaging_out}/copyright DESTINATION ${doc_dir})
# Lintian's notes on the package, in the system-wide layout (the package's) only.
install(CODE "if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
  file(INSTALL \"${packaging_src}/lintian-overrides\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/lintian/overrides\" RENAME vantor)
endif()")

# Metainfo and the changelog carry the version and the URLs. Compressed without a name or a time
# stamp in the header, so every build gives the same bytes.
configure_file(${packaging_src}/changelog.in ${packaging_out}/changelog @ONLY)
add_custom_command(
  OUTPUT ${packaging_out}/changelog.gz
  COMMAND gzip -9nc ${packaging_out}/changelog > ${packaging_out}/changelog.gz
  DEPENDS ${packaging_out}/changelog
  VERBATIM)
set(compressed ${packaging_out}/changelog.gz)
install(FILES ${packaging_out}/changelog.gz DESTINATION ${doc_dir})

# The manual pages name the data folder of the installation they belong to, whose prefix is
# only known when installing (make install PREFIX=..., the package's /usr): they are finished
# and compressed then.
install(CODE "set(VANTOR_PACKAGING_SOURCE \"${packaging_src}\")
  set(VANTOR_PACKAGING_OUT \"${packaging_out}/man\")
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  set(VANTOR_DATADIR_NAME \"${CMAKE_INSTALL_DATADIR}\")
  set(VANTOR_MANDIR_NAME \"${CMAKE_INSTALL_MANDIR}\")
  include(\"${packaging_src}/install_man_pages.cmake\")")

# The metainfo declares each screenshot's size: read from the picture itself, so that it stays
# true when the picture is taken again.
foreach(shot VANTOR_SHOT:vantor BRICKWRIGHT_SHOT:brickwright)
  string(REPLACE ":" ";" shot ${shot})
  list(GET shot 0 prefix)
  list(GET shot 1 name)
  set(png ${PROJECT_SOURCE_DIR}/docs/${name}.png)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${png})
  file(READ ${png} size OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING ${size} 0 8 width)
  string(SUBSTRING ${size} 8 8 height)
  math(EXPR ${prefix}_WIDTH "0x${width}")
  math(EXPR ${prefix}_HEIGHT "0x${height}")
endforeach()
foreach(id ${VANTOR_GAME_ID} ${VANTOR_EDITOR_ID})
  install(FILES ${packaging_src}/${id}.desktop DESTINATION ${data_dir}/applications)
  configure_file(${packaging_src}/${id}.metainfo.xml.in ${packaging_out}/${id}.metainfo.xml @ONLY)
  install(FILES ${packaging_out}/${id}.metainfo.xml DESTINATION ${data_dir}/metainfo)
endforeach()

# The icons are drawn from the brick sheet at build time, like the default board: the sheet
# stays the one source of the brick art and no generated picture is kept in the repository.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(icon_sizes 16 32 48 64 128 256)
# vantor-64.rgba is the game's window icon, built into the program (game/CMakeLists.txt).
# 192 and 384 are the web page's app icons (game/web), not installed here.
set(icons ${packaging_out}/icons/vantor-64.rgba)
foreach(size ${icon_sizes} 192 384)
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
add_custom_target(program_icons DEPENDS ${icons})
add_custom_target(packaging_files ALL DEPENDS program_icons ${compressed})
foreach(size ${icon_sizes})
  set(icon_dir ${data_dir}/icons/hicolor/${size}x${size}/apps)
  install(FILES ${packaging_out}/icons/vantor-${size}.png DESTINATION ${icon_dir}
          RENAME ${VANTOR_GAME_ID}.png)
  install(FILES ${packaging_out}/icons/brickwright-${size}.png DESTINATION ${icon_dir}
          RENAME ${VANTOR_EDITOR_ID}.png)
endforeach()

# Last, after every file is in place: the desktop's caches for a live installation (a staged
# one, DESTDIR, is the package's, whose caches Debian's triggers refresh), and the list of what
# was installed with checksums, for `make uninstall`.
install(CODE "include(\"${packaging_src}/install_helpers.cmake\")
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    vantor_refresh_desktop_caches(\"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}\")
  endif()
  vantor_write_install_record(\"${PROJECT_BINARY_DIR}/install_record.txt\")")

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
