# vantrel_register_component(<target> [UNSTAGED])
#
# Makes <target> (a MODULE library built with COM_DEFINE_SERVER_ENTRY_POINTS)
# a component library: no "lib" prefix, only the entry points exported, no
# process-wide unique symbols (so it can be unloaded again). Unless UNSTAGED
# (the tests' own components, which each test registers in a registry of its
# own), it is registered in ${VANTREL_STAGE_DIR}/bin/Registry.ini after every
# build by regsvr. Works whichever of the two targets is defined first.
function(vantrel_register_component target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "UNSTAGED" "" "")
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_compile_options(${target} PRIVATE -fno-gnu-unique)
  if(NOT arg_UNSTAGED)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND regsvr /s --registry "${VANTREL_STAGE_DIR}/bin/Registry.ini" $<TARGET_FILE:${target}>
      COMMENT "Registering ${target} in the program folder"
      VERBATIM)
    add_dependencies(${target} regsvr)
  endif()
endfunction()

# vantrel_use_built(<target> <built target>...)
#
# Gives <target> the path of each built library or program as a compile
# definition, VANTREL_<NAME>_LIBRARY or VANTREL_<NAME>_PROGRAM (<NAME> the
# built target's name in capitals, without a leading "vantrel-" and
# without dashes), and builds them first.
function(vantrel_use_built target)
  get_target_property(type ${target} TYPE)
  set(scope PRIVATE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(scope INTERFACE)
  endif()
  foreach(built IN LISTS ARGN)
    string(TOUPPER "${built}" name)
    string(REGEX REPLACE "^VANTREL-" "" name "${name}")
    string(REPLACE "-" "" name "${name}")
    get_target_property(built_type ${built} TYPE)
    if(built_type STREQUAL "EXECUTABLE")
      set(kind PROGRAM)
    else()
      set(kind LIBRARY)
    endif()
    target_compile_definitions(${target} ${scope} VANTREL_${name}_${kind}="$<TARGET_FILE:${built}>")
    add_dependencies(${target} ${built})
  endforeach()
endfunction()
