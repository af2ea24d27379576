# What `cmake --install` does beyond copying files: the data files that must not replace a
# player's own, the desktop's caches below a data folder (share/), and the record of the
# installation that `make uninstall` works from. Also included by uninstall.cmake.
cmake_policy(VERSION 3.25)  # run as scripts, where every policy would be old

# Installs source as name in folder (below the prefix), unless a file is there already that
# differs from it and that the installation recorded in record did not put there (or that was
# changed since): with PREFIX=~/.local the data folder is the player's own, and such a file is
# theirs. A macro, so that file(INSTALL) records the file in the installation's manifest.
macro(vantor_install_data source name folder record)
  set(vantor_folder "${folder}")
  if(NOT IS_ABSOLUTE "${vantor_folder}")
    set(vantor_folder "${CMAKE_INSTALL_PREFIX}/${vantor_folder}")
  endif()
  set(vantor_target "${vantor_folder}/${name}")
  set(vantor_keep FALSE)
  if(EXISTS "$ENV{DESTDIR}${vantor_target}")
    file(SHA256 "$ENV{DESTDIR}${vantor_target}" vantor_there)
    file(SHA256 "${source}" vantor_new)
    set(vantor_recorded "")
    if(EXISTS "${record}")
      file(STRINGS "${record}" vantor_recorded)
    endif()
    if(NOT vantor_there STREQUAL vantor_new AND
       NOT "${vantor_there}  ${vantor_target}" IN_LIST vantor_recorded)
      set(vantor_keep TRUE)
    endif()
  endif()
  if(vantor_keep)
    message(WARNING "Kept ${vantor_target}: it is not the file an earlier installation put "
                    "there, so it is someone's own; the new ${name} was not installed.")
  else()
    file(INSTALL DESTINATION "${vantor_folder}" TYPE FILE RENAME "${name}" FILES "${source}")
  endif()
endmacro()

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
