# cmake -DSOURCE_DIR=... -DPROJECT_VERSION=... -DTEMPLATE=... -DOUTPUT=... -P write_build_version.cmake
# Runs at every build, since a commit changes the description without a new
# configure; configure_file leaves the header alone when nothing changed, so
# that an ordinary build recompiles nothing.
set(GIT_DESCRIPTION "")
find_program(GIT git)
if(GIT)
  # Only the project's own checkout counts, not a repository the source
  # folder happens to sit in.
  execute_process(COMMAND ${GIT} rev-parse --show-toplevel WORKING_DIRECTORY ${SOURCE_DIR}
                  OUTPUT_VARIABLE top RESULT_VARIABLE status ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(status EQUAL 0)
    file(REAL_PATH "${top}" top)
    file(REAL_PATH "${SOURCE_DIR}" source)
    if(top STREQUAL source)
      execute_process(COMMAND ${GIT} describe --tags --always --dirty WORKING_DIRECTORY ${SOURCE_DIR}
                      OUTPUT_VARIABLE described RESULT_VARIABLE status ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(status EQUAL 0)
        set(GIT_DESCRIPTION "${described}")
      endif()
    endif()
  endif()
endif()
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
