// Runs the program's real start-up and main loop on the headless backend
// with a script: step i runs at the i-th poll of the loop, that is after
// the previous turn's message was handled and its frame drawn, and before
// this turn takes its message. The script ends the run itself (Escape,
// close, a quit); a run that outlives its script by far is ended with
// exit code 99 and a failure.
#ifndef VELMORA_TESTS_APP_RUN_PROGRAM_H
#define VELMORA_TESTS_APP_RUN_PROGRAM_H

#include <gtest/gtest.h>
#include <velmora/headless.h>

#include <functional>
#include <string>
#include <vector>

#include "app/shell.h"

namespace apptest {

namespace hl = velmora::headless;

using Step = std::function<void()>;

inline int RunProgram(std::vector<Step> steps, std::string commandLine = "",
                      int showCommand = SW_SHOWNORMAL) {
  size_t polls = 0;
  hl::SetPollHook([&](uint64_t) {
    const size_t index = polls++;
    if (index < steps.size()) {
      steps[index]();
    } else if (index == steps.size() + 200) {
      ADD_FAILURE() << "the script ended but the loop did not";
      PostQuitMessage(99);
    }
  });
  const int exitCode = WinMain(nullptr, nullptr, commandLine.data(), showCommand);
  hl::SetPollHook(nullptr);
  return exitCode;
}

// A run of n turns in which nothing happens.
inline std::vector<Step> Idle(size_t n) {
  return std::vector<Step>(n, [] {});
}

inline std::vector<Step> Then(std::vector<Step> first, const std::vector<Step> &more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

inline void PressEscape() {
  hl::KeyDown(VK_ESCAPE);
}

inline bool Traced(UINT message) {
  for (const hl::TracedMessage &m : hl::MessageTrace()) {
    if (m.message == message) {
      return true;
    }
  }
  return false;
}

}  // namespace apptest

#endif
