# The Windows zip, dist/tavrel-<version>-windows-x86_64.zip in the source tree: the programs that
# tavrel_windows_zip(target) names, beside the README for Windows as README.txt with CR LF, packed
# by scripts/pack-windows. Part of the default build of the Windows tree.

# Puts the program target into the zip.
function(tavrel_windows_zip target)
  set_property(GLOBAL APPEND PROPERTY tavrel_windows_zip_programs ${target})
endfunction()

# Defines the zip once every program of the directory is known.
function(tavrel_define_windows_zip)
  get_property(programs GLOBAL PROPERTY tavrel_windows_zip_programs)
  set(zip ${TAVREL_ROOT}/dist/tavrel-${PROJECT_VERSION}-windows-x86_64.zip)
  set(readme ${TAVREL_ROOT}/packaging/windows/README.txt)
  set(files "")
  foreach(program IN LISTS programs)
    list(APPEND files $<TARGET_FILE:${program}>)
  endforeach()
  add_custom_command(OUTPUT ${zip}
    COMMAND ${TAVREL_ROOT}/scripts/pack-windows ${zip} ${readme} ${files}
    DEPENDS ${programs} ${readme} ${TAVREL_ROOT}/scripts/pack-windows
    COMMENT "Packing ${zip}")
  add_custom_target(tavrel_windows_zip ALL DEPENDS ${zip})
endfunction()
cmake_language(DEFER CALL tavrel_define_windows_zip)
