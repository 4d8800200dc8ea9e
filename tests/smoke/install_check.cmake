# Installs the build into a scratch prefix and checks that the programs, the desktop entry, the
# icon and the design file type land where desktops and shells look for them, and that
# orvendi-cli and the Python package run from there.
# Usage: cmake -D BUILD_DIR=... -D PREFIX=... [-D WITH_GUI=OFF] [-D PYTHON=... -D PYTHON_SITE=...]
#        -P install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()
set(expected bin/orvendi-cli)
if(NOT DEFINED WITH_GUI OR WITH_GUI)
  list(APPEND expected bin/orvendi share/applications/orvendi.desktop share/icons/hicolor/scalable/apps/orvendi.svg
       share/mime/packages/orvendi.xml)
endif()
foreach(file IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}\n${output}")
  endif()
endforeach()

execute_process(COMMAND "${PREFIX}/bin/orvendi-cli" new RESULT_VARIABLE result OUTPUT_VARIABLE design
                ERROR_VARIABLE errors)
string(FIND "${design}" "\"format\": \"orvendi-design\"" at)
if(NOT result EQUAL 0 OR at EQUAL -1)
  message(FATAL_ERROR "the installed orvendi-cli does not run (${result}): ${errors}")
endif()

if(DEFINED PYTHON_SITE)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env "PYTHONPATH=${PREFIX}/${PYTHON_SITE}" "${PYTHON}" -c
                          "import orvendi, orvendi.distributed; print(orvendi.__file__)"
                  RESULT_VARIABLE result OUTPUT_VARIABLE where ERROR_VARIABLE errors)
  string(FIND "${where}" "${PREFIX}/${PYTHON_SITE}/orvendi/__init__.py" at)
  if(NOT result EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "the installed Python package does not import (${result}): ${where}${errors}")
  endif()
endif()

if(NOT DEFINED WITH_GUI OR WITH_GUI)
  if(NOT IS_DIRECTORY "${PREFIX}/bin" OR IS_DIRECTORY "${PREFIX}/bin/orvendi")
    message(FATAL_ERROR "bin/orvendi is not a program")
  endif()
  file(READ "${PREFIX}/share/applications/orvendi.desktop" entry)
  foreach(line "[Desktop Entry]" "Type=Application" "Name=Orvendi" "Exec=orvendi %f" "Icon=orvendi"
               "MimeType=application/x-orvendi-design;")
    string(FIND "${entry}" "${line}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the desktop entry lacks ${line}")
    endif()
  endforeach()
  file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/orvendi.svg" icon)
  string(FIND "${icon}" "<svg" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the icon is not an SVG picture")
  endif()
  file(READ "${PREFIX}/share/mime/packages/orvendi.xml" mime)
  foreach(part "type=\"application/x-orvendi-design\"" "pattern=\"*.orvendi\"")
    string(FIND "${mime}" "${part}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the file type lacks ${part}")
    endif()
  endforeach()
endif()
file(REMOVE_RECURSE "${PREFIX}")
