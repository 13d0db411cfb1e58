# Puts the demo course (Content/ and Source/) beside the program. Only what is missing is
# copied: files already there, such as reports written during earlier runs, are never
# overwritten or deleted. Variants are kept as plain text in the repository and packed here.
add_custom_target(demo-course ALL
  COMMAND ${CMAKE_COMMAND}
          -DSOURCE_DIR=${PROJECT_SOURCE_DIR}/sample
          -DDEST_DIR=${CMAKE_BINARY_DIR}
          -DPACKER=$<TARGET_FILE:normakurs-text>
          -P ${PROJECT_SOURCE_DIR}/cmake/stage_course.cmake
  DEPENDS normakurs-text
  COMMENT "Staging the demo course beside the program"
  VERBATIM)
