// KERNEL32 and the rest: the tick count (readable before main), the
// console calls and the reopen of standard output on the console device
// that must not create a file, and message boxes.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <velmora/headless.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

namespace headless = velmora::headless;

namespace {

// Read by a static initializer, as the program does before WinMain.
const DWORD g_tickBeforeMain = GetTickCount();

std::set<std::string> FilesHere() {
  std::set<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(".")) names.insert(entry.path().filename());
  return names;
}

TEST(TickCount, StartsAtTheVirtualStartAndMovesOnlyWhenTold) {
  EXPECT_TRUE(headless::IsActive());
  EXPECT_EQ(g_tickBeforeMain, headless::kStartTick);
  EXPECT_EQ(GetTickCount(), headless::kStartTick);
  headless::AdvanceTick(5);
  EXPECT_EQ(GetTickCount(), headless::kStartTick + 5);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);  // no tick per poll unless set
  EXPECT_EQ(GetTickCount(), headless::kStartTick + 5);
}

TEST(Console, CallsAreRecordedAndTheReopenCreatesNoFile) {
  const std::set<std::string> before = FilesHere();
  EXPECT_TRUE(AllocConsole());
  EXPECT_FALSE(AllocConsole());  // one console per process
  EXPECT_TRUE(SetConsoleTitleW(L"VELMORA"));
  FILE *reopened = freopen("CONOUT$", "wb", stdout);
  EXPECT_NE(reopened, nullptr);
  EXPECT_EQ(fclose(stdout), 0);
  EXPECT_TRUE(FreeConsole());
  EXPECT_FALSE(std::filesystem::exists("CONOUT$"));
  EXPECT_EQ(FilesHere(), before);
  EXPECT_EQ(headless::ConsoleCalls(),
            (std::vector<std::string>{"AllocConsole", "AllocConsole", "SetConsoleTitleW VELMORA",
                                      "freopen CONOUT$ wb", "fclose stdout", "FreeConsole"}));
  // Standard output is still the test's own.
  EXPECT_GE(std::fputs("", stdout), 0);
  EXPECT_EQ(std::fflush(stdout), 0);
}

TEST(Console, OtherStreamsStillOpenAndClose) {
  const std::string path = testing::TempDir() + "velmora_platform_stream.txt";
  FILE *file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  FILE *again = freopen(path.c_str(), "ab", file);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(std::fputs("x", again), 1);
  EXPECT_EQ(fclose(again), 0);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 1u);
  std::filesystem::remove(path);
  EXPECT_TRUE(headless::ConsoleCalls().empty());
}

TEST(MessageBox, IsRecordedAndAnsweredWithOk) {
  EXPECT_EQ(MessageBoxW(nullptr, L"Register class failed", L"RC FAILED", MB_OK), IDOK);
  ASSERT_EQ(headless::MessageBoxes().size(), 1u);
  EXPECT_EQ(headless::MessageBoxes()[0].text, L"Register class failed");
  EXPECT_EQ(headless::MessageBoxes()[0].caption, L"RC FAILED");
  EXPECT_EQ(headless::MessageBoxes()[0].type, static_cast<UINT>(MB_OK));
}

}  // namespace
