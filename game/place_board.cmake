# Copies SOURCE to DESTINATION unless DESTINATION exists: a board someone saved beside the game
# is never overwritten by the default one. Run as: cmake -DSOURCE=a -DDESTINATION=b -P ...
if(NOT EXISTS "${DESTINATION}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
  message(STATUS "Placed the default board at ${DESTINATION}")
endif()
