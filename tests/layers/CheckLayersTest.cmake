# The include check on small trees of its own: each include that looks up is named, and
# a tree whose includes look only down passes.
# cmake -DSWIFTLET_SOURCE_DIR=... -DWORK=<scratch folder> -P CheckLayersTest.cmake
cmake_minimum_required(VERSION 3.20)
set(_check ${SWIFTLET_SOURCE_DIR}/cmake/CheckLayers.cmake)

# Writes files (path, then its include lines separated by "|") into a fresh tree at root.
function(make_tree root)
  file(REMOVE_RECURSE ${root})
  foreach(_spec IN LISTS ARGN)
    string(REPLACE "|" ";" _parts "${_spec}")
    list(POP_FRONT _parts _path)
    set(_text "")
    foreach(_include IN LISTS _parts)
      string(APPEND _text "#include \"${_include}\"\n")
    endforeach()
    file(WRITE ${root}/${_path} "${_text}")
  endforeach()
endfunction()

function(run_check root rc_out text_out)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSWIFTLET_SOURCE_DIR=${root} -P ${_check}
                  RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _err)
  # The message wraps nothing shorter than a line; join the lines to match across them.
  string(REGEX REPLACE "\n *" " " _text "${_out}${_err}")
  set(${rc_out} ${_rc} PARENT_SCOPE)
  set(${text_out} "${_text}" PARENT_SCOPE)
endfunction()

set(_failures 0)
macro(fail what)
  message(SEND_ERROR "${what}\n  check said: ${_text}")
  math(EXPR _failures "${_failures} + 1")
endmacro()

# Looking down, beside the tests of one's own layer, and through support within reach.
make_tree(${WORK}/down
  "framework/W.h"
  "foundation/F.h|framework/W.h"
  "engine/E.cpp|engine/E.h|ipc/P.h|foundation/F.h|framework/W.h"
  "control/C.cpp|engine/E.h"
  "ui/U.cpp|control/C.h|engine/E.h"
  "tests/support/Files.h|framework/W.h"
  "tests/support/Job.h|tests/support/Files.h|control/C.h"
  "tests/engine/ET.cpp|engine/E.h|tests/support/Files.h|tests/foundation/Sample.h"
  "tests/ui/UT.cpp|tests/support/Job.h|tests/framework/Windows.h")
run_check(${WORK}/down _rc _text)
if(NOT _rc EQUAL 0)
  fail("a tree that looks only down passes")
endif()

# Up, sideways, into the tests, and through a support header that reaches too high.
make_tree(${WORK}/up
  "engine/E.cpp|control/CoreEvent.h"
  "ui/U.cpp|console/ConsoleApp.h"
  "ipc/P.cpp|tests/support/Files.h"
  "tests/support/Files.h|framework/W.h"
  "tests/support/Job.h|tests/support/Files.h|control/C.h"
  "tests/shellext/ST.cpp|tests/support/Job.h"
  "tests/engine/ET.cpp|tests/control/Helper.h")
run_check(${WORK}/up _rc _text)
if(_rc EQUAL 0)
  fail("includes that look up fail the check")
endif()
if(NOT _text MATCHES "engine/E.cpp includes .control/CoreEvent.h., but engine/ builds only on ipc/, foundation/, framework/")
  fail("an engine file including the control layer is named with what the engine builds on")
endif()
if(NOT _text MATCHES "ui/U.cpp includes .console/ConsoleApp.h.")
  fail("the two front ends never include each other")
endif()
if(NOT _text MATCHES "ipc/P.cpp includes .tests/support/Files.h.: the program never includes the tests")
  fail("the program never includes the tests")
endif()
if(NOT _text MATCHES "tests/shellext/ST.cpp includes .tests/support/Job.h., which reaches control/")
  fail("a test including support that reaches above its layer is named")
endif()
if(NOT _text MATCHES "tests/engine/ET.cpp includes .tests/control/Helper.h., but the tests of engine/ reach only engine/, ipc/, foundation/, framework/")
  fail("an engine test including the control tests' files is named")
endif()
if(NOT _text MATCHES "; 5 include.s. look up")
  fail("every fault is counted, and only those")
endif()

file(REMOVE_RECURSE ${WORK})
if(_failures GREATER 0)
  message(FATAL_ERROR "${_failures} expectation(s) failed")
endif()
