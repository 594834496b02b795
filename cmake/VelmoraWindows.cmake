# Windows-only parts of the executable: its resources and how it is linked.
if(WIN32)
  enable_language(RC)
endif()

set(VELMORA_WINDOWS_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/../app/windows)

# Gives a Windows executable its manifest, the GUI subsystem and a runtime
# linked in, so that it starts on a bare system needing only the DLLs that
# come with it (USER32, GDI32, KERNEL32 and the C runtime msvcrt).
function(velmora_windows_executable target)
  get_filename_component(resource_dir ${VELMORA_WINDOWS_RESOURCE_DIR} ABSOLUTE)
  set(script ${resource_dir}/velmora.rc)
  # windres looks for the manifest the script names in its include path.
  set_property(SOURCE ${script} APPEND PROPERTY INCLUDE_DIRECTORIES ${resource_dir})
  set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${resource_dir}/app.manifest)
  target_sources(${target} PRIVATE ${script})
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  target_link_options(${target} PRIVATE -static-libgcc -static-libstdc++)
endfunction()

# A Windows program that is not the product (a test suite, a probe, a
# benchmark): linked with its whole runtime, so that Wine needs no DLL
# beyond its own, and put at the top of the build tree, where the scripts
# that run it under Wine look for it.
function(velmora_windows_program target)
  target_link_options(${target} PRIVATE -static)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endfunction()
