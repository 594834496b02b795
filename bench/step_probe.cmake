# The step probe (step_probe.cpp): the program's own objects with a main
# that watches the points' steps, built for Linux with the benchmarks and
# for Windows with the conformance suite's posix-threads compilers.
add_executable(velmora_step_probe ${CMAKE_CURRENT_LIST_DIR}/step_probe.cpp)
target_link_libraries(velmora_step_probe PRIVATE velmora::shell)
if(WIN32)
  velmora_windows_program(velmora_step_probe)
else()
  find_package(Threads REQUIRED)
  target_link_libraries(velmora_step_probe PRIVATE Threads::Threads)
endif()
