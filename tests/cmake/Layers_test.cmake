# The link check of cmake/Layers.cmake against a planted call: a two-layer project whose lower
# layer calls a function of the upper one through its own declaration, so that no include shows
# it. Built once without the call (it must build) and once with it (it must fail, naming the
# lower layer's link check).
#   cmake -DKS_SOURCE_DIR=<top of the project> -DWORK=<scratch folder> -DGENERATOR=<generator>
#         -P Layers_test.cmake

cmake_minimum_required(VERSION 3.25)

set(tree ${WORK}/layers_tree)
file(REMOVE_RECURSE ${tree})
file(WRITE ${tree}/CMakeLists.txt "
cmake_minimum_required(VERSION 3.25)
project(LayersTest LANGUAGES CXX)
set(KS_WINDOWS OFF)
function(ks_project_target target)
endfunction()
include(${KS_SOURCE_DIR}/cmake/Layers.cmake)
ks_add_layer(low FOLDERS vcl)
ks_add_layer(high FOLDERS skin/core BELOW low)
")
file(WRITE ${tree}/vcl/sources.cmake "list(APPEND KS_PORTABLE_SOURCES vcl/Low.cpp)\n")
file(WRITE ${tree}/skin/core/sources.cmake "list(APPEND KS_PORTABLE_SOURCES skin/core/High.cpp)\n")
file(WRITE ${tree}/skin/core/High.cpp "int HighValue() { return 2; }\n")

set(failed)
foreach(plant OFF ON)
  if(plant)
    file(WRITE ${tree}/vcl/Low.cpp "int HighValue();\nint LowValue() { return HighValue() + 1; }\n")
  else()
    file(WRITE ${tree}/vcl/Low.cpp "int LowValue() { return 1; }\n")
  endif()
  set(build ${WORK}/layers_build_${plant})
  file(REMOVE_RECURSE ${build})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${tree} -B ${build} -G ${GENERATOR}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    list(APPEND failed "configuring (planted ${plant}) failed: ${out}")
    continue()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${build}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(plant AND rc EQUAL 0)
    list(APPEND failed "the upward call linked")
  elseif(plant AND NOT out MATCHES "ks_link_check_low")
    list(APPEND failed "the build failed, but not in the lower layer's link check: ${out}")
  elseif(NOT plant AND NOT rc EQUAL 0)
    list(APPEND failed "the clean project failed: ${out}")
  endif()
endforeach()
file(REMOVE_RECURSE ${tree} ${WORK}/layers_build_ON ${WORK}/layers_build_OFF)

if(failed)
  list(JOIN failed "\n" text)
  message(FATAL_ERROR "The link check:\n${text}")
endif()
