# Run by `cmake --install`: finishes the manual pages for the installation being made (its
# version and its data folder, e.g. /usr/share or ~/.local/share) and installs them compressed,
# without a name or a time stamp in the gzip header, so the same installation gives the same
# bytes. Set by the caller: VANTOR_PACKAGING_SOURCE, VANTOR_PACKAGING_OUT, PROJECT_VERSION,
# VANTOR_DATADIR_NAME and VANTOR_MANDIR_NAME (GNUInstallDirs' names, relative to the prefix
# unless absolute). Not a function: file(INSTALL) must record the pages in this scope's
# manifest.
cmake_policy(VERSION 3.25)  # run as scripts, where every policy would be old
set(VANTOR_DATADIR "${VANTOR_DATADIR_NAME}")
if(NOT IS_ABSOLUTE "${VANTOR_DATADIR}")
  set(VANTOR_DATADIR "${CMAKE_INSTALL_PREFIX}/${VANTOR_DATADIR}")
endif()
set(vantor_mandir "${VANTOR_MANDIR_NAME}")
if(NOT IS_ABSOLUTE "${vantor_mandir}")
  set(vantor_mandir "${CMAKE_INSTALL_PREFIX}/${vantor_mandir}")
endif()
file(MAKE_DIRECTORY "${VANTOR_PACKAGING_OUT}")
file(GLOB vantor_man_sources "${VANTOR_PACKAGING_SOURCE}/man/*.[0-9]")
foreach(vantor_source IN LISTS vantor_man_sources)
  get_filename_component(vantor_page "${vantor_source}" NAME)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" vantor_section "${vantor_page}")
  file(READ "${vantor_source}" vantor_text)
  string(CONFIGURE "${vantor_text}" vantor_text @ONLY)
  file(WRITE "${VANTOR_PACKAGING_OUT}/${vantor_page}" "${vantor_text}")
  execute_process(COMMAND gzip -9nc "${VANTOR_PACKAGING_OUT}/${vantor_page}"
                  OUTPUT_FILE "${VANTOR_PACKAGING_OUT}/${vantor_page}.gz"
                  RESULT_VARIABLE vantor_status)
  if(NOT vantor_status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${vantor_page}: ${vantor_status}")
  endif()
  file(INSTALL DESTINATION "${vantor_mandir}/man${vantor_section}" TYPE FILE
       FILES "${VANTOR_PACKAGING_OUT}/${vantor_page}.gz")
endforeach()
