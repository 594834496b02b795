# The frame against the floor on every platform (frame_turns.cpp), built on
# demand: scripts/frame_table.sh builds and runs it natively and for
# Windows under Wine.
add_executable(velmora_frame_turns EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/frame_turns.cpp
                                                    $<TARGET_OBJECTS:velmora_shell>)
target_link_libraries(velmora_frame_turns PRIVATE velmora_shell_headers velmora::scene velmora::app)
if(WIN32)
  target_link_options(velmora_frame_turns PRIVATE -static-libgcc -static-libstdc++)
  set_target_properties(velmora_frame_turns PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endif()
