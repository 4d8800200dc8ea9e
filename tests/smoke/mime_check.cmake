# Builds a scratch MIME database from the program's type definition alone and checks that files
# named *.orvendi come out as application/x-orvendi-design.
# Usage: cmake -D MIME_XML=... -D UPDATE_MIME_DATABASE=... -D WORK_DIR=... -P mime_check.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/packages")
file(COPY_FILE "${MIME_XML}" "${WORK_DIR}/packages/orvendi.xml")
execute_process(COMMAND "${UPDATE_MIME_DATABASE}" "${WORK_DIR}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR output MATCHES "rror|arning")
  message(FATAL_ERROR "update-mime-database refused the type definition:\n${output}")
endif()
file(READ "${WORK_DIR}/globs2" globs)
string(FIND "${globs}" ":application/x-orvendi-design:*.orvendi" at)
if(at EQUAL -1)
  message(FATAL_ERROR "*.orvendi is not application/x-orvendi-design:\n${globs}")
endif()
file(READ "${WORK_DIR}/types" types)
string(FIND "${types}" "application/x-orvendi-design" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the type is not registered:\n${types}")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
