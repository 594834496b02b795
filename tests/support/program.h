// Runs the real program, WinMain with its start-up, loop and window
// procedure, on the headless backend, with a script called at every poll
// of the loop: once per turn, so once per frame the loop draws, after the
// previous turn's message was handled and its frame drawn and before this
// turn takes its message. The script ends the run itself (Escape, a close,
// a quit).
#ifndef VELMORA_TESTS_SUPPORT_PROGRAM_H
#define VELMORA_TESTS_SUPPORT_PROGRAM_H

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/shell/shell.h"
#include "velmora/headless.h"

namespace support {

namespace hl = velmora::headless;

// `script` gets the number of polls so far, this one included (1 first).
inline int RunProgram(std::function<void(uint64_t poll)> script, std::string commandLine = "",
                      int showCommand = SW_SHOWNORMAL) {
  hl::SetPollHook(std::move(script));
  const int exitCode = WinMain(nullptr, nullptr, commandLine.data(), showCommand);
  hl::SetPollHook(nullptr);
  return exitCode;
}

// The same with one step per turn: step i runs at the i-th poll. A run that
// outlives its steps by far is ended with exit code 99 and a failure.
using Step = std::function<void()>;

inline int RunSteps(std::vector<Step> steps, std::string commandLine = "", int showCommand = SW_SHOWNORMAL) {
  size_t polls = 0;
  return RunProgram(
      [&](uint64_t) {
        const size_t index = polls++;
        if (index < steps.size()) {
          steps[index]();
        } else if (index == steps.size() + 200) {
          ADD_FAILURE() << "the script ended but the loop did not";
          PostQuitMessage(99);
        }
      },
      std::move(commandLine), showCommand);
}

// A run of n turns in which nothing happens.
inline std::vector<Step> Idle(size_t n) {
  return std::vector<Step>(n, [] {});
}

inline std::vector<Step> Then(std::vector<Step> first, const std::vector<Step> &more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

inline void PressEscape() { hl::KeyDown(VK_ESCAPE); }

inline bool Traced(UINT message) {
  for (const hl::TracedMessage &m : hl::MessageTrace()) {
    if (m.message == message) {
      return true;
    }
  }
  return false;
}

}  // namespace support

#endif
