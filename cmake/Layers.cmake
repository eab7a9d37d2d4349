# The layer libraries and the three checks that keep them honest: no file includes a header of a
# higher layer (cmake/LayerCheck.cmake, run before any layer compiles), no layer calls into a
# higher one (each layer's library, all of it, links into a small program with only the layers
# below it: ks_add_layer), and every header of the build compiles on its own (ks_header_check).
#
# Ranks: a file may include headers of its own folder and of folders of a lower rank; folders of
# one rank (the upper engine) may include each other. The host tools sit on the class library
# alone and nothing includes them. The pixel layer is portable: no Windows header, no Windows unit.
set(KS_LAYER_RANKS
  vcl=0
  skin/pixels=2 skin/core=3 skin/images=4
  skin/controls=6 skin/adapters=6 skin/forms=6
  app=8
  tools=1)
set(KS_PORTABLE_FOLDERS skin/pixels)

set(KS_LAYER_STAMP ${CMAKE_BINARY_DIR}/layer_check.stamp)
set(layer_scanned)
foreach(entry ${KS_LAYER_RANKS})
  string(REGEX REPLACE "=.*" "" folder "${entry}")
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  list(APPEND layer_scanned ${files})
endforeach()
add_custom_command(
  OUTPUT ${KS_LAYER_STAMP}
  COMMAND ${CMAKE_COMMAND} -DKS_SOURCE_DIR=${CMAKE_SOURCE_DIR} "-DKS_LAYER_RANKS=${KS_LAYER_RANKS}"
          "-DKS_PORTABLE_FOLDERS=${KS_PORTABLE_FOLDERS}" -DKS_STAMP=${KS_LAYER_STAMP}
          -P ${CMAKE_CURRENT_LIST_DIR}/LayerCheck.cmake
  DEPENDS ${layer_scanned} ${CMAKE_CURRENT_LIST_DIR}/LayerCheck.cmake
  COMMENT "Checking that no layer includes a higher one"
  VERBATIM)
add_custom_target(ks_layer_check DEPENDS ${KS_LAYER_STAMP})

# ks_add_layer(<target> FOLDERS <folder>... [BELOW <library>]): the library of the folders'
# sources.cmake lists (the host build takes only the portable and host units), linking the layer
# below. A layer with nothing to build for this target is an interface library. A portable
# folder (KS_PORTABLE_FOLDERS) may list only portable units.
#
# The link check: ks_link_check_<target>, a program of nothing but every object of the library,
# linked against the layers below it. A call from this layer into a higher one, however it was
# declared, is then an undefined symbol and fails the build.
function(ks_add_layer target)
  cmake_parse_arguments(arg "" "BELOW" "FOLDERS" ${ARGN})
  set(KS_PORTABLE_SOURCES)
  set(KS_WIN_SOURCES)
  set(KS_HOST_SOURCES)
  foreach(folder ${arg_FOLDERS})
    if(EXISTS ${CMAKE_SOURCE_DIR}/${folder}/sources.cmake)
      list(LENGTH KS_WIN_SOURCES win_before)
      list(LENGTH KS_HOST_SOURCES host_before)
      include(${CMAKE_SOURCE_DIR}/${folder}/sources.cmake)
      list(LENGTH KS_WIN_SOURCES win_after)
      list(LENGTH KS_HOST_SOURCES host_after)
      if(folder IN_LIST KS_PORTABLE_FOLDERS AND (win_after GREATER win_before OR host_after GREATER host_before))
        message(FATAL_ERROR "${folder} is portable: its sources.cmake lists Windows or host units")
      endif()
    endif()
  endforeach()
  if(KS_WINDOWS)
    set(sources ${KS_PORTABLE_SOURCES} ${KS_WIN_SOURCES})
  else()
    set(sources ${KS_PORTABLE_SOURCES} ${KS_HOST_SOURCES})
  endif()

  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
    add_dependencies(${target} ks_layer_check)
    ks_project_target(${target})
    if(arg_BELOW)
      target_link_libraries(${target} PUBLIC ${arg_BELOW})
    endif()

    set(main ${CMAKE_BINARY_DIR}/link_check/${target}.cpp)
    file(CONFIGURE OUTPUT ${main} CONTENT "int main() { return 0; }\n" @ONLY)
    add_executable(ks_link_check_${target} ${main})
    target_link_libraries(ks_link_check_${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}>")
  else()
    add_library(${target} INTERFACE)
    if(arg_BELOW)
      target_link_libraries(${target} INTERFACE ${arg_BELOW})
    endif()
  endif()

  # The headers this build compiles: all of them for Windows, the portable units' on the host.
  set(headers)
  if(KS_WINDOWS)
    foreach(folder ${arg_FOLDERS})
      file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h)
      list(APPEND headers ${found})
    endforeach()
  else()
    foreach(source ${sources})
      string(REGEX REPLACE "\\.cpp$" ".h" header "${CMAKE_SOURCE_DIR}/${source}")
      if(EXISTS ${header})
        list(APPEND headers ${header})
      endif()
    endforeach()
  endif()
  set_property(GLOBAL APPEND PROPERTY KS_LAYER_HEADERS ${headers})
  set_property(GLOBAL PROPERTY KS_TOP_LAYER ${target})
endfunction()

# ks_add_header_check(): one translation unit per header of the layers, each including only
# that header, so a header that leans on what its includer happened to include first fails the
# build.
function(ks_add_header_check)
  get_property(headers GLOBAL PROPERTY KS_LAYER_HEADERS)
  get_property(top GLOBAL PROPERTY KS_TOP_LAYER)
  set(units)
  foreach(header ${headers})
    file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR} ${header})
    set(unit ${CMAKE_BINARY_DIR}/header_check/${relative}.cpp)
    file(CONFIGURE OUTPUT ${unit} CONTENT "#include \"${relative}\"\n" @ONLY)
    list(APPEND units ${unit})
  endforeach()
  add_library(ks_header_check OBJECT ${units})
  target_link_libraries(ks_header_check PRIVATE ${top})
  ks_project_target(ks_header_check)
endfunction()
