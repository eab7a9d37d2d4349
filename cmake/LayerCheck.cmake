# Fails when a file includes a header of a higher layer. Run by the build (cmake/Layers.cmake):
#   cmake -DKS_SOURCE_DIR=<top> -DKS_LAYER_RANKS=<folder=rank;...> -DKS_STAMP=<file> -P LayerCheck.cmake
# Every .h and .cpp under the ranked folders is read, new files included. A folder may include
# itself and folders of a lower or equal rank; nothing includes the tools.

foreach(entry ${KS_LAYER_RANKS})
  string(REGEX MATCH "^([^=]+)=([0-9]+)$" matched "${entry}")
  set(folders ${folders} ${CMAKE_MATCH_1})
  set(rank_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()

# The ranked folder a path inside the tree belongs to ("skin/core" for "skin/core/x.h").
function(folder_of path out)
  set(${out} "" PARENT_SCOPE)
  foreach(folder ${folders})
    string(LENGTH "${folder}/" n)
    string(SUBSTRING "${path}" 0 ${n} head)
    if(head STREQUAL "${folder}/")
      set(${out} ${folder} PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

set(faults)
foreach(folder ${folders})
  file(GLOB_RECURSE files RELATIVE ${KS_SOURCE_DIR} ${KS_SOURCE_DIR}/${folder}/*.h ${KS_SOURCE_DIR}/${folder}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${KS_SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" included "${line}")
      folder_of("${included}" target)
      if(NOT target OR target STREQUAL folder)
        continue()
      endif()
      if(rank_${target} GREATER rank_${folder} OR target STREQUAL "tools")
        list(APPEND faults "  ${file} includes ${included} (${target} is not below ${folder})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "Includes from a higher layer:\n${text}")
endif()
file(TOUCH ${KS_STAMP})
