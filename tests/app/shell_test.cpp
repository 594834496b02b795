// Start-up, the main loop and teardown of the whole program on the headless
// backend: order of start-up, exit codes, failure paths and the console.
#include <gtest/gtest.h>
#include <velmora/headless.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/shell/shell.h"
#include "support/program.h"

namespace {

namespace hl = velmora::headless;
using support::RunSteps;

const std::vector<std::string> kConsoleLife = {
    "AllocConsole", "SetConsoleTitleW VELMORA", "freopen CONOUT$ wb", "fclose stdout", "FreeConsole",
};

void ExpectOneMessageBox(const wchar_t *text, const wchar_t *caption) {
  ASSERT_EQ(hl::MessageBoxes().size(), 1u);
  EXPECT_EQ(hl::MessageBoxes()[0].text, text);
  EXPECT_EQ(hl::MessageBoxes()[0].caption, caption);
  EXPECT_EQ(hl::MessageBoxes()[0].type, static_cast<UINT>(MB_OK));
}

}  // namespace

TEST(StartUp, ShowsBeforeTheFrameBufferAndDrawsOnlyOnceRunning) {
  const int exitCode = RunSteps({
      [] {
        // The first show erased the background before anything could be
        // drawn: no frame reached the window, yet the geometry is in.
        EXPECT_TRUE(support::Traced(WM_ERASEBKGND));
        EXPECT_EQ(hl::PresentCount(), 0u);
        EXPECT_EQ(g_app->running, 1);
        EXPECT_EQ(g_app->windowWidth, 800);
        EXPECT_EQ(g_app->pixelStride, g_app->desktopWidth);
        EXPECT_EQ(hl::ConsoleCalls().size(), 3u);
      },
      [] { EXPECT_EQ(hl::PresentCount(), 1u); },
      [] {
        EXPECT_EQ(hl::PresentCount(), 2u);
        hl::Expose();  // an erase request while running draws a frame more
      },
      [] {
        EXPECT_EQ(hl::PresentCount(), 4u);
        support::PressEscape();
      },
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(g_app->running, 1);
  EXPECT_EQ(g_app->windowDc, nullptr);
  EXPECT_EQ(hl::ConsoleCalls(), kConsoleLife);
  EXPECT_TRUE(hl::MessageBoxes().empty());
}

TEST(StartUp, ExitCodeIsTheQuitMessagesParameter) {
  EXPECT_EQ(RunSteps({[] { PostQuitMessage(7); }}), 7);
}

TEST(StartUp, CommandLineAndShowCommandAreStoredAndIgnored) {
  std::string commandLine = "--fullscreen /x C:\\nothing.txt";
  const int exitCode = RunSteps({[] {
                                  EXPECT_EQ(g_app->clientWidth, 792);  // a normal window, not minimised
                                  EXPECT_EQ(g_app->clientHeight, 673);
                                  EXPECT_STREQ(g_app->commandLine, "--fullscreen /x C:\\nothing.txt");
                                  EXPECT_EQ(g_app->showCommand, SW_SHOWMINIMIZED);
                                  support::PressEscape();
                                }},
                                commandLine, SW_SHOWMINIMIZED);
  EXPECT_EQ(exitCode, 0);
}

TEST(StartUp, TheConsoleDeviceNameCreatesNoFile) {
  std::filesystem::remove("CONOUT$");
  EXPECT_EQ(RunSteps({support::PressEscape}), 0);
  EXPECT_EQ(hl::ConsoleCalls(), kConsoleLife);
  EXPECT_FALSE(std::filesystem::exists("CONOUT$"));
}

TEST(StartUp, WithoutConsoleNoneIsOpenedOrClosed) {
  g_app->useConsole = 0;
  EXPECT_EQ(RunSteps({support::PressEscape}), 0);
  EXPECT_TRUE(hl::ConsoleCalls().empty());
}

TEST(MainLoop, WaitingDrawsOneFramePerMessage) {
  g_app->waitForMessages = 1;
  std::vector<uint64_t> presents;
  std::vector<support::Step> steps;
  for (int i = 0; i < 6; ++i) {
    steps.push_back([&presents, i] {
      presents.push_back(hl::PresentCount());
      hl::MouseMove(100 + i, 100);
    });
  }
  steps.push_back([&presents] {
    presents.push_back(hl::PresentCount());
    support::PressEscape();
  });
  EXPECT_EQ(RunSteps(steps), 0);
  ASSERT_EQ(presents.size(), 7u);
  for (size_t i = 1; i < presents.size(); ++i) {
    EXPECT_EQ(presents[i] - presents[i - 1], 1u) << "turn " << i;
  }
}

TEST(Failure, ClassRegistration) {
  hl::FailNextRegisterClass();
  EXPECT_EQ(RunSteps({}), 1);
  ExpectOneMessageBox(L"Register class failed", L"RC FAILED");
  EXPECT_EQ(g_app->hwnd, nullptr);
  EXPECT_TRUE(hl::ConsoleCalls().empty());
  EXPECT_TRUE(hl::MessageTrace().empty());
}

TEST(Failure, WindowCreation) {
  hl::FailNextCreateWindow();
  EXPECT_EQ(RunSteps({}), 1);
  ExpectOneMessageBox(L"Create window failed", L"CW FAILED");
  EXPECT_EQ(g_app->hwnd, nullptr);
  EXPECT_EQ(g_app->windowDc, nullptr);
  EXPECT_TRUE(hl::ConsoleCalls().empty());
}

TEST(Failure, FrameBuffer) {
  hl::FailNextCreateDIBSection();
  EXPECT_EQ(RunSteps({}), 1);
  ExpectOneMessageBox(L"Create frame buffer failed", L"FB FAILED");
  EXPECT_EQ(g_app->pixels, nullptr);
  EXPECT_EQ(g_app->pixelStride, 0);
  EXPECT_EQ(g_app->pixelRows, 0);
  EXPECT_EQ(g_app->running, 0);
  EXPECT_EQ(hl::PresentCount(), 0u);
  // What was opened is closed again.
  EXPECT_EQ(hl::ConsoleCalls(), kConsoleLife);
  EXPECT_EQ(g_app->windowDc, nullptr);
}
