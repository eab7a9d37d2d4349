# The include check against planted trees: each case writes one file into a small tree of three
# layers and runs cmake/LayerCheck.cmake on it.
#   cmake -DKS_SOURCE_DIR=<top of the project> -DWORK=<scratch folder> -P LayerCheck_test.cmake

cmake_minimum_required(VERSION 3.25)

set(ranks "vcl=0;skin/pixels=2;skin/core=3;skin/forms=6;tools=1")

# name | file | its text | the check must fail
set(cases
  "own folder|skin/core/X.h|#include \"Core.h\"|0"
  "lower layer, full path|skin/core/X.h|#include \"vcl/Low.h\"|0"
  "lower layer, relative|skin/core/X.cpp|#include \"../../vcl/Low.h\"|0"
  "lower layer, angle|skin/core/X.cpp|#  include <vcl/Low.h>|0"
  "system header|skin/core/X.cpp|#include <vector>|0"
  "a commented-out include|skin/core/X.cpp|// #include \"skin/forms/Form.h\"|0"
  "higher layer, full path|skin/core/X.h|#include \"skin/forms/Form.h\"|1"
  "higher layer, beside the folder|skin/core/X.h|#include \"../forms/Form.h\"|1"
  "higher layer, angle|skin/core/X.cpp|#include <skin/forms/Form.h>|1"
  "higher layer, roundabout|vcl/X.cpp|  #include \"./../skin/core/../forms/Form.h\"|1"
  "the tools|vcl/X.cpp|#include \"../tools/Tool.h\"|1"
  "Windows in a portable folder|skin/pixels/X.cpp|#include <Windows.h>|1"
  "Windows elsewhere|skin/core/X.cpp|#include <windows.h>|0"
)

set(failed)
foreach(entry ${cases})
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 name)
  list(GET fields 1 file)
  list(GET fields 2 text)
  list(GET fields 3 mustFail)

  set(tree ${WORK}/layer_check_tree)
  file(REMOVE_RECURSE ${tree})
  file(WRITE ${tree}/vcl/Low.h "#pragma once\n")
  file(WRITE ${tree}/skin/core/Core.h "#pragma once\n#include \"vcl/Low.h\"\n")
  file(WRITE ${tree}/skin/forms/Form.h "#pragma once\n#include \"skin/core/Core.h\"\n")
  file(WRITE ${tree}/tools/Tool.h "#pragma once\n")
  file(WRITE ${tree}/${file} "${text}\n")

  execute_process(
    COMMAND ${CMAKE_COMMAND} -DKS_SOURCE_DIR=${tree} "-DKS_LAYER_RANKS=${ranks}"
            -DKS_PORTABLE_FOLDERS=skin/pixels -P ${KS_SOURCE_DIR}/cmake/LayerCheck.cmake
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(rc EQUAL 0)
    set(failedCheck 0)
  else()
    set(failedCheck 1)
  endif()
  if(mustFail AND NOT failedCheck)
    list(APPEND failed "  ${name}: passed")
  elseif(failedCheck AND NOT mustFail)
    list(APPEND failed "  ${name}: failed: ${out}")
  elseif(mustFail AND NOT out MATCHES "${file} includes")
    # Failing for another reason (a fault of the check itself) is not catching the case.
    list(APPEND failed "  ${name}: failed without naming ${file}: ${out}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK}/layer_check_tree)

if(failed)
  list(JOIN failed "\n" text)
  message(FATAL_ERROR "Cases the include check judged wrongly:\n${text}")
endif()
