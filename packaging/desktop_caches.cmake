# The desktop's caches below a data folder (share/), and the record of an installation that
# `make uninstall` works from. Included by `cmake --install` and by uninstall.cmake.

# Refreshes the file-type, menu and icon caches below datadir, each where its tool is installed
# (without the tool, nothing reads its cache) and its folder exists. Without this a `make
# install` outside the package leaves .brd files without their type and the menu without the
# programs until something else happens to refresh them.
function(vantor_refresh_desktop_caches datadir)
  foreach(step "update-mime-database;mime" "update-desktop-database;applications;-q"
               "gtk-update-icon-cache;icons/hicolor;-q;-t;-f")
    list(POP_FRONT step tool folder)
    unset(program)
    find_program(program NAMES ${tool} NO_CACHE)
    if(program AND IS_DIRECTORY "${datadir}/${folder}")
      execute_process(COMMAND "${program}" ${step} "${datadir}/${folder}"
                      RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE error)
      if(status EQUAL 0)
        message(STATUS "Refreshed: ${datadir}/${folder} (${tool})")
      else()
        message(WARNING "${tool} ${datadir}/${folder} failed: ${error}")
      endif()
    endif()
  endforeach()
endfunction()

# Writes to record every file this installation made, as "SHA256  PATH", so that uninstalling
# removes exactly those and keeps any that were changed since. Only live installations are
# recorded: a staged one (DESTDIR, the package's) is not uninstalled from here.
function(vantor_write_install_record record)
  if(NOT "$ENV{DESTDIR}" STREQUAL "")
    return()
  endif()
  set(lines "")
  foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
    file(SHA256 "${file}" sum)
    string(APPEND lines "${sum}  ${file}\n")
  endforeach()
  file(WRITE "${record}" "${lines}")
endfunction()
