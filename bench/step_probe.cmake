# The step probe (step_probe.cpp): the program's own objects with a main
# that watches the points' steps, built for Linux with the benchmarks and
# for Windows with the conformance suite's posix-threads compilers.
add_executable(velmora_step_probe ${CMAKE_CURRENT_LIST_DIR}/step_probe.cpp $<TARGET_OBJECTS:velmora_shell>)
target_link_libraries(velmora_step_probe PRIVATE velmora_shell_headers velmora::scene velmora::app)
if(WIN32)
  target_link_options(velmora_step_probe PRIVATE -static)
  set_target_properties(velmora_step_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
else()
  find_package(Threads REQUIRED)
  target_link_libraries(velmora_step_probe PRIVATE Threads::Threads)
endif()
