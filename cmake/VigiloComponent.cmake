# Component libraries: loadable modules that the component layer opens by the
# path registered for their class.
#
# A component library does not link vigilo_core: it uses the loading
# program's own copy (Variant, Error, the installed platform services), which
# every executable that links vigilo_linux holds whole; the executable must
# export it (ENABLE_EXPORTS). Only the library's two entry points are visible.

# Where `cmake --install` puts component libraries and the machine hive.
set(VIGILO_INSTALL_COMPONENT_DIR lib/vigilo/components CACHE STRING
    "Folder of the installed component libraries, below the install prefix")

function(vigilo_component_library target)
  add_library(${target} MODULE ${ARGN})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# A component of the demo installation: built into its components folder,
# registered in its machine hive after each build, installed and registered
# in the installed machine hive by `cmake --install`.
function(vigilo_demo_component target)
  set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${VIGILO_COMPONENT_DIR})
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.registered)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E env VIGILO_HKLM_FILE=${VIGILO_DEMO_DIR}/HKEY_LOCAL_MACHINE.reg
            $<TARGET_FILE:vigilo-regsvr> --machine --quiet $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${target} vigilo-regsvr
    COMMENT "Registering ${target} in the demo installation's machine hive"
    VERBATIM)
  add_custom_target(${target}_registration ALL DEPENDS ${stamp})

  install(TARGETS ${target} LIBRARY DESTINATION ${VIGILO_INSTALL_COMPONENT_DIR})
  set_property(GLOBAL APPEND PROPERTY VIGILO_DEMO_COMPONENTS ${target})
endfunction()

# Registers every demo component in the installed machine hive; called after
# the registration tool's own install rule, as install rules run in order.
function(vigilo_install_component_registrations)
  get_property(targets GLOBAL PROPERTY VIGILO_DEMO_COMPONENTS)
  foreach(target IN LISTS targets)
    # The installed tool registers the installed library under its final
    # path; with DESTDIR the staged copy is read and the staged hive written.
    set(library "${VIGILO_INSTALL_COMPONENT_DIR}/$<TARGET_FILE_NAME:${target}>")
    install(CODE "
      set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
      set(staged \"\$ENV{DESTDIR}\${prefix}\")
      file(MAKE_DIRECTORY \"\${staged}/etc/vigilo/registry\")
      execute_process(
        COMMAND \${CMAKE_COMMAND} -E env
                \"VIGILO_HKLM_FILE=\${staged}/etc/vigilo/registry/HKEY_LOCAL_MACHINE.reg\"
                \"\${staged}/bin/vigilo-regsvr\" --machine --quiet --as \"\${prefix}/${library}\"
                \"\${staged}/${library}\"
        RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR \"Registering ${library} in the machine hive failed\")
      endif()")
  endforeach()
endfunction()
