# Places the built vapor library at DESTINATION only when no vapor file is there yet. A file that is
# already there is the user's (changed, extended or replaced by them) and is never touched, by a
# rebuild or by an install. Run with: cmake -DSOURCE=... -DDESTINATION=... -P PlaceIfAbsent.cmake
if(NOT DEFINED SOURCE OR NOT DEFINED DESTINATION)
  message(FATAL_ERROR "PlaceIfAbsent.cmake needs SOURCE and DESTINATION")
endif()

if(EXISTS "${DESTINATION}" OR IS_SYMLINK "${DESTINATION}")
  return()
endif()

get_filename_component(folder "${DESTINATION}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
# Copied under a temporary name and renamed, so that an interrupted copy never leaves a truncated
# library that would afterwards count as the user's own; NO_REPLACE keeps a file that appeared
# meanwhile. (A NO_REPLACE rename may leave the temporary name linked as well, hence the removal.)
set(partial "${DESTINATION}.partial")
file(COPY_FILE "${SOURCE}" "${partial}")
file(RENAME "${partial}" "${DESTINATION}" RESULT renamed NO_REPLACE)
file(REMOVE "${partial}")
if(NOT renamed EQUAL 0)
  return()
endif()
message(STATUS "Vapor library placed at ${DESTINATION}")
