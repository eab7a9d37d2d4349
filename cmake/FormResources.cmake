# Form resources: each form's text file is compiled by the host tool `formc` into the binary
# stream the form reader takes, and embedded as RCDATA named after the form's class in upper
# case ("TFORM1"), as the forms look themselves up at creation.
#
# A form text named *.form.in is a template: binary values the build makes (the internal skin's
# archive) stand in it as {@NAME@} and are filled in, as hexadecimal, from the files that
# KS_FORM_BINARIES names ("NAME=path" entries) before the form is compiled.

set(KS_HOST_TOOLS_DIR "" CACHE PATH "Build folder of the host tools (build/host/tools)")

function(ks_host_tool out name)
  if(NOT KS_HOST_TOOLS_DIR)
    message(FATAL_ERROR "KS_HOST_TOOLS_DIR is not set: build the host tree first (./project build does)")
  endif()
  set(${out} "${KS_HOST_TOOLS_DIR}/${name}/${name}" PARENT_SCOPE)
endfunction()

# ks_add_form_resources(<target> <form text file>...)
function(ks_add_form_resources target)
  ks_host_tool(formc formc)
  set(rc_text "")
  set(bins)
  foreach(form ${ARGN})
    get_filename_component(src ${form} ABSOLUTE)
    get_filename_component(stem ${form} NAME_WE)
    file(STRINGS ${src} header REGEX "^object[ \t]" LIMIT_COUNT 1)
    string(REGEX REPLACE "^object[ \t]+[A-Za-z0-9_]+[ \t]*:[ \t]*([A-Za-z0-9_]+).*" "\\1" class "${header}")
    if(class STREQUAL header OR class STREQUAL "")
      message(FATAL_ERROR "${form}: the first line must be 'object Name: TClass'")
    endif()
    string(TOUPPER ${class} resource)
    if(src MATCHES "\\.in$")
      set(text ${CMAKE_CURRENT_BINARY_DIR}/forms/${stem}.form)
      set(binaries)
      foreach(entry ${KS_FORM_BINARIES})
        string(REGEX REPLACE "^[^=]*=" "" path "${entry}")
        list(APPEND binaries ${path})
      endforeach()
      # A list would split into several arguments on the command line; "|" keeps it one.
      string(REPLACE ";" "|" binaryArgument "${KS_FORM_BINARIES}")
      add_custom_command(OUTPUT ${text}
        COMMAND ${CMAKE_COMMAND} "-DIN=${src}" "-DOUT=${text}" "-DBINARIES=${binaryArgument}"
                -P ${CMAKE_SOURCE_DIR}/cmake/EmbedBinary.cmake
        DEPENDS ${src} ${binaries} ${CMAKE_SOURCE_DIR}/cmake/EmbedBinary.cmake
        COMMENT "Filling in form ${stem}"
        VERBATIM)
    else()
      set(text ${src})
    endif()
    set(bin ${CMAKE_CURRENT_BINARY_DIR}/forms/${stem}.bin)
    add_custom_command(OUTPUT ${bin}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/forms
      COMMAND ${formc} ${text} ${bin}
      DEPENDS ${text} ${formc}
      COMMENT "Compiling form ${stem}"
      VERBATIM)
    list(APPEND bins ${bin})
    string(APPEND rc_text "${resource} RCDATA \"${bin}\"\n")
  endforeach()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_forms.rc)
  file(GENERATE OUTPUT ${rc} CONTENT "${rc_text}")
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${bins}")
  target_sources(${target} PRIVATE ${rc} ${bins})
endfunction()
