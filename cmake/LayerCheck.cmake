# Fails when a file includes a header of a higher layer. Run by the build (cmake/Layers.cmake):
#   cmake -DKS_SOURCE_DIR=<top> -DKS_LAYER_RANKS=<folder=rank;...> [-DKS_PORTABLE_FOLDERS=<folder;...>]
#         -DKS_STAMP=<file> -P LayerCheck.cmake
# Every .h and .cpp under the ranked folders is read, new files included. A folder may include
# itself and folders of a lower or equal rank; nothing includes the tools. A portable folder
# includes no Windows header.
#
# An include is judged by the file it names, not by its spelling: "../forms/x.h", <skin/forms/x.h>
# and "skin/forms/x.h" are the same file. Quoted names are looked for beside the including file
# first, then at the top of the tree; angle names at the top of the tree only, as the compiler
# does with the tree's one include directory. Names that find no file here (the system's and the
# libraries' headers) are not judged.

cmake_minimum_required(VERSION 3.25)

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

# The tree-relative path of the file an include names, or "" when it names none in the tree.
function(resolve_include file quoted name out)
  set(${out} "" PARENT_SCOPE)
  get_filename_component(dir "${KS_SOURCE_DIR}/${file}" DIRECTORY)
  set(candidates "${KS_SOURCE_DIR}/${name}")
  if(quoted)
    list(PREPEND candidates "${dir}/${name}")
  endif()
  foreach(candidate ${candidates})
    cmake_path(NORMAL_PATH candidate)
    if(EXISTS "${candidate}" AND NOT IS_DIRECTORY "${candidate}")
      cmake_path(IS_PREFIX KS_SOURCE_DIR "${candidate}" NORMALIZE inside)
      if(inside)
        file(RELATIVE_PATH relative "${KS_SOURCE_DIR}" "${candidate}")
        set(${out} "${relative}" PARENT_SCOPE)
      endif()
      return()
    endif()
  endforeach()
endfunction()

set(windows_headers windows.h windef.h winbase.h wingdi.h winuser.h commctrl.h shellapi.h)

set(faults)
foreach(folder ${folders})
  file(GLOB_RECURSE files RELATIVE ${KS_SOURCE_DIR} ${KS_SOURCE_DIR}/${folder}/*.h ${KS_SOURCE_DIR}/${folder}/*.cpp)
  list(FIND KS_PORTABLE_FOLDERS ${folder} portable)
  foreach(file ${files})
    file(STRINGS ${KS_SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line ${lines})
      string(REGEX MATCH "^[ \t]*#[ \t]*include[ \t]*([\"<])([^\">]*)[\">]" matched "${line}")
      set(name "${CMAKE_MATCH_2}")
      if(CMAKE_MATCH_1 STREQUAL "\"")
        set(quoted TRUE)
      else()
        set(quoted FALSE)
      endif()
      if(portable GREATER -1)
        string(TOLOWER "${name}" lower)
        if(lower IN_LIST windows_headers)
          list(APPEND faults "  ${file} includes ${name} (${folder} is portable)")
          continue()
        endif()
      endif()
      resolve_include("${file}" ${quoted} "${name}" included)
      folder_of("${included}" target)
      if(NOT target OR target STREQUAL folder)
        continue()
      endif()
      if(rank_${target} GREATER rank_${folder} OR target STREQUAL "tools")
        list(APPEND faults "  ${file} includes ${name}, which is ${included} (${target} is not below ${folder})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "Includes that break the layers:\n${text}")
endif()
if(KS_STAMP)
  file(TOUCH ${KS_STAMP})
endif()
