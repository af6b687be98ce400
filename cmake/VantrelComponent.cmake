# vantrel_register_component(<target>)
#
# Makes <target> (a MODULE library built with COM_DEFINE_SERVER_ENTRY_POINTS)
# a component library of the staged program folder: no "lib" prefix, only the
# entry points exported, no process-wide unique symbols (so it can be unloaded
# again), and registered in ${VANTREL_STAGE_DIR}/bin/Registry.ini after every
# build by regsvr. Works whichever of the two targets is defined first.
function(vantrel_register_component target)
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_compile_options(${target} PRIVATE -fno-gnu-unique)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND $<TARGET_FILE:regsvr> /s --registry "${VANTREL_STAGE_DIR}/bin/Registry.ini" $<TARGET_FILE:${target}>
    COMMENT "Registering ${target} in the program folder"
    VERBATIM)
  add_dependencies(${target} regsvr)
endfunction()
