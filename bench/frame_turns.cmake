# The frame against the floor on every platform (frame_turns.cpp), built on
# demand: scripts/frame_table.sh builds and runs it natively and for
# Windows under Wine.
add_executable(velmora_frame_turns EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/frame_turns.cpp)
target_link_libraries(velmora_frame_turns PRIVATE velmora::shell)
if(WIN32)
  velmora_windows_program(velmora_frame_turns)
endif()
