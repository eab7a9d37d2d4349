# The internal skin and the engine's embedded images, made for the Windows build by the host
# tools: skingen draws them from skins/Terminal4bit, skinpack packs the skin into the archive
# the main form's resource carries. Outputs:
#   KS_INTERNAL_SKIN_ARCHIVE  the packed "Terminal4bit" skin
#   KS_APP_ICON               the program's icon
#   KS_ENGINE_IMAGES          the PNG resources "SF" "SR" "SD" "SE" "SC" "acSHDA" "acSHDI"

ks_host_tool(skingen skingen)
ks_host_tool(skinpack skinpack)
set(generated ${CMAKE_BINARY_DIR}/skins/generated)
set(skin_folder ${generated}/Terminal4bit)
set(engine_images SF SR SD SE SC acSHDA acSHDI)
set(KS_ENGINE_IMAGES)
foreach(image ${engine_images})
  list(APPEND KS_ENGINE_IMAGES ${generated}/${image}.png)
endforeach()
set(KS_APP_ICON ${generated}/Keysmith.ico)
set(KS_INTERNAL_SKIN_ARCHIVE ${CMAKE_BINARY_DIR}/skins/Terminal4bit.asz)

file(GLOB skin_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/skins/Terminal4bit/*)
add_custom_command(
  OUTPUT ${skin_folder}/Options.dat ${skin_folder}/Master.bmp ${skin_folder}/ButtonHuge.bmp
         ${KS_APP_ICON} ${KS_ENGINE_IMAGES}
  COMMAND ${skingen} ${CMAKE_SOURCE_DIR}/skins/Terminal4bit ${generated}
  DEPENDS ${skingen} ${skin_sources}
  COMMENT "Drawing the internal skin and the engine's images"
  VERBATIM)
add_custom_command(
  OUTPUT ${KS_INTERNAL_SKIN_ARCHIVE}
  COMMAND ${skinpack} ${skin_folder} ${KS_INTERNAL_SKIN_ARCHIVE}
  DEPENDS ${skinpack} ${skin_folder}/Options.dat ${skin_folder}/Master.bmp ${skin_folder}/ButtonHuge.bmp
  COMMENT "Packing the internal skin"
  VERBATIM)

# ks_add_engine_resources(<target>): the program's icon and the engine's embedded images.
function(ks_add_engine_resources target)
  set(rc_text "MAINICON ICON \"${KS_APP_ICON}\"\n")
  foreach(image ${engine_images})
    string(APPEND rc_text "${image} RCDATA \"${generated}/${image}.png\"\n")
  endforeach()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_engine.rc)
  file(GENERATE OUTPUT ${rc} CONTENT "${rc_text}")
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${KS_APP_ICON};${KS_ENGINE_IMAGES}")
  target_sources(${target} PRIVATE ${rc})
endfunction()

# The commands above belong to this directory; a target here makes them part of the build, so
# the forms and resource scripts of other folders can depend on their outputs.
add_custom_target(ks_internal_skin ALL DEPENDS ${KS_INTERNAL_SKIN_ARCHIVE} ${KS_APP_ICON} ${KS_ENGINE_IMAGES})
