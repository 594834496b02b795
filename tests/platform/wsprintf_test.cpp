// wsprintfW against the behaviour USER32 documents: the format fields, the
// Windows integer sizes, and the 1024-character buffer.
#include "win32.h"

#include <gtest/gtest.h>

#include "conformance.h"

#include <climits>
#include <cstdint>
#include <string>

namespace {

using Formatting = test::Conformance;

constexpr int kBufferSize = 1024;
constexpr wchar_t kGuard = 0x2222;

// A buffer of exactly the documented maximum, followed by guard characters
// that must survive every call.
struct Buffer {
  wchar_t chars[kBufferSize + 16];
  Buffer() {
    for (wchar_t &ch : chars) {
      ch = kGuard;
    }
  }
  std::wstring Text() const { return std::wstring(chars); }
  bool GuardsIntact() const {
    for (int i = kBufferSize; i < kBufferSize + 16; ++i) {
      if (chars[i] != kGuard) {
        return false;
      }
    }
    return true;
  }
};

#define EXPECT_FORMAT(expected, ...)                               \
  do {                                                             \
    Buffer b;                                                      \
    const int n = wsprintfW(b.chars, __VA_ARGS__);                 \
    EXPECT_EQ(std::wstring(expected), b.Text());                   \
    EXPECT_EQ(static_cast<int>(std::wstring(expected).size()), n); \
    EXPECT_TRUE(b.GuardsIntact());                                 \
  } while (0)

TEST_F(Formatting, TheProgramsOwnFormats) {
  EXPECT_FORMAT(L"FPS: ", L"FPS: ");
  EXPECT_FORMAT(L"FPS:  60  ", L"FPS:  %d  ", 60);
  EXPECT_FORMAT(L"FPS:  0  ", L"FPS:  %d  ", 0);
  EXPECT_FORMAT(L"FPS:  1234  ", L"FPS:  %d  ", 1234);
  EXPECT_FORMAT(L"", L"");
}

TEST_F(Formatting, SignedDecimal) {
  EXPECT_FORMAT(L"-42", L"%d", -42);
  EXPECT_FORMAT(L"7 8", L"%i %d", 7, 8);
  EXPECT_FORMAT(L"-2147483648", L"%d", INT_MIN);
  EXPECT_FORMAT(L"2147483647", L"%d", INT_MAX);
  // 'l' is a 32-bit LONG. 'h' marks narrow characters and strings and
  // leaves numbers as they are (Wine's USER32; the reference is silent).
  EXPECT_FORMAT(L"-5", L"%ld", static_cast<LONG>(-5));
  EXPECT_FORMAT(L"70000", L"%hd", 70000);
  EXPECT_FORMAT(L"32768", L"%hd", 32768);
  EXPECT_FORMAT(L"-9223372036854775808", L"%I64d", INT64_MIN);
  EXPECT_FORMAT(L"9223372036854775807", L"%I64d", INT64_MAX);
}

TEST_F(Formatting, UnsignedAndHex) {
  EXPECT_FORMAT(L"4294967295", L"%u", -1);
  EXPECT_FORMAT(L"2147483648", L"%u", 0x80000000u);
  EXPECT_FORMAT(L"4294967295", L"%hu", -1);
  EXPECT_FORMAT(L"deadbeef", L"%x", 0xDEADBEEFu);
  EXPECT_FORMAT(L"DEADBEEF", L"%X", 0xDEADBEEFu);
  EXPECT_FORMAT(L"ffffffff", L"%lx", -1);
  EXPECT_FORMAT(L"12345", L"%hx", 0x12345);
  EXPECT_FORMAT(L"0", L"%x", 0u);
  EXPECT_FORMAT(L"0xff 0XFF", L"%#x %#X", 255u, 255u);
  EXPECT_FORMAT(L"18446744073709551615", L"%I64u", UINT64_MAX);
  EXPECT_FORMAT(L"123456789abcdef0", L"%I64x", 0x123456789ABCDEF0ULL);
  // '#' only concerns hexadecimal, and its prefix comes on top of the
  // width and of the zeros that fill it (Wine's USER32).
  EXPECT_FORMAT(L"10", L"%#d", 10);
  EXPECT_FORMAT(L"    0x1f", L"%#6x", 0x1Fu);
  EXPECT_FORMAT(L"0x00001f", L"%#06x", 0x1Fu);
}

TEST_F(Formatting, WidthFlagsAndPrecision) {
  EXPECT_FORMAT(L"   42", L"%5d", 42);
  EXPECT_FORMAT(L"42   |", L"%-5d|", 42);
  EXPECT_FORMAT(L"00042", L"%05d", 42);
  EXPECT_FORMAT(L"-0042", L"%05d", -42);
  EXPECT_FORMAT(L"  -42", L"%5d", -42);
  EXPECT_FORMAT(L"-42  |", L"%-05d|", -42);
  // The width never truncates.
  EXPECT_FORMAT(L"12345", L"%3d", 12345);
  // Precision gives a minimum of characters, the sign among them (Wine's
  // USER32; the reference is silent); 0 or nothing after the period means 1.
  EXPECT_FORMAT(L"007", L"%.3d", 7);
  EXPECT_FORMAT(L"-07", L"%.3d", -7);
  EXPECT_FORMAT(L"   -07", L"%6.3d", -7);
  EXPECT_FORMAT(L"  007", L"%5.3d", 7);
  EXPECT_FORMAT(L"12345", L"%.3d", 12345);
  EXPECT_FORMAT(L"0", L"%.0d", 0);
  EXPECT_FORMAT(L"0", L"%.d", 0);
  EXPECT_FORMAT(L"000000ff", L"%08x", 255u);
  EXPECT_FORMAT(L"    FF", L"%6X", 255u);
}

TEST_F(Formatting, CharactersAndStrings) {
  EXPECT_FORMAT(L"A", L"%c", L'A');
  EXPECT_FORMAT(L"b", L"%C", 'b');
  EXPECT_FORMAT(L"xy", L"%hc%lc", 'x', L'y');
  EXPECT_FORMAT(L"    A|A  |", L"%5c|%-3c|", L'A', L'A');
  EXPECT_FORMAT(L"abc", L"%s", L"abc");
  EXPECT_FORMAT(L"narrow", L"%S", "narrow");
  EXPECT_FORMAT(L"n w w", L"%hs %ls %ws", "n", L"w", L"w");
  // Precision is the maximum number of characters of a string.
  EXPECT_FORMAT(L"ab", L"%.2s", L"abcdef");
  EXPECT_FORMAT(L"abc", L"%.10s", L"abc");
  EXPECT_FORMAT(L"  abc|abc  |", L"%5s|%-5s|", L"abc", L"abc");
  EXPECT_FORMAT(L"   ab", L"%5.2S", "abcdef");
  EXPECT_FORMAT(L"[] 1", L"[%s] %d", L"", 1);
}

TEST_F(Formatting, PercentAndCharactersThatAreNoType) {
  EXPECT_FORMAT(L"%", L"%%");
  EXPECT_FORMAT(L"100%", L"%d%%", 100);
  EXPECT_FORMAT(L"y", L"%y");
  EXPECT_FORMAT(L"a", L"a%");
}

TEST_F(Formatting, ArgumentsAreTakenInOrder) {
  EXPECT_FORMAT(L"x=-1 y=ff s=hi c=Z u=3", L"x=%d y=%x s=%s c=%c u=%u", -1, 255u, L"hi", L'Z', 3u);
  EXPECT_FORMAT(L"1 -2 3", L"%I64d %d %I64d", 1LL, -2, 3LL);
}

// 1023 characters and the terminator fill the buffer. Output that reaches
// the cap is cut there, and the call then reports 1024 (Wine's USER32; the
// reference says only that the buffer is 1024 characters).
TEST_F(Formatting, OutputIsCappedAt1024CharactersWithTheTerminator) {
  const std::wstring longText(2000, L'a');
  {
    Buffer b;
    EXPECT_EQ(1024, wsprintfW(b.chars, longText.c_str()));
    EXPECT_EQ(std::wstring(1023, L'a'), b.Text());
    EXPECT_TRUE(b.GuardsIntact());
  }
  {
    Buffer b;
    EXPECT_EQ(1024, wsprintfW(b.chars, L"%s", longText.c_str()));
    EXPECT_EQ(L'\0', b.chars[1023]);
    EXPECT_TRUE(b.GuardsIntact());
  }
  {
    // A field wider than the room left is cut to the room, and still ends
    // with its value, even for absurd widths.
    Buffer b;
    EXPECT_EQ(1024, wsprintfW(b.chars, L"%5000d", 7));
    EXPECT_EQ(std::wstring(1022, L' ') + L"7", b.Text());
    EXPECT_TRUE(b.GuardsIntact());
  }
  {
    Buffer b;
    EXPECT_EQ(1024, wsprintfW(b.chars, L"%099999999999999999999d", 7));
    EXPECT_EQ(std::wstring(1022, L'0') + L"7", b.Text());
    EXPECT_TRUE(b.GuardsIntact());
  }
  {
    // Exactly 1023 characters fill it without loss; 1022 leave room.
    const std::wstring fits(1022, L'b');
    Buffer b;
    EXPECT_EQ(1024, wsprintfW(b.chars, L"%s%d", fits.c_str(), 5));
    EXPECT_EQ(fits + L"5", b.Text());
    EXPECT_EQ(1022, wsprintfW(b.chars, L"%s", fits.c_str()));
  }
}

// A precision beyond the room left is cut to the room, as a width is: the
// zeros give way, and the sign and every digit stay (Wine's USER32).
TEST_F(Formatting, PrecisionBeyondTheBufferKeepsTheDigits) {
  EXPECT_FORMAT(std::wstring(1021, L'0') + L"7", L"%.1022d", 7);  // fits: 1022 characters
  {
    Buffer b;
    EXPECT_EQ(1024, wsprintfW(b.chars, L"%.1100d", 7));
    EXPECT_EQ(std::wstring(1022, L'0') + L"7", b.Text());
    EXPECT_TRUE(b.GuardsIntact());
  }
  {
    Buffer b;
    EXPECT_EQ(1024, wsprintfW(b.chars, L"%.1100d", -7));
    EXPECT_EQ(L"-" + std::wstring(1021, L'0') + L"7", b.Text());
    EXPECT_TRUE(b.GuardsIntact());
  }
  {
    Buffer b;
    EXPECT_EQ(1024, wsprintfW(b.chars, L"ab%.1100d", 7));
    EXPECT_EQ(L"ab" + std::wstring(1020, L'0') + L"7", b.Text());
    EXPECT_TRUE(b.GuardsIntact());
  }
  {
    Buffer b;
    EXPECT_EQ(1024, wsprintfW(b.chars, L"%.2000x", 0xABCu));
    EXPECT_EQ(std::wstring(1020, L'0') + L"abc", b.Text());
    EXPECT_TRUE(b.GuardsIntact());
  }
  {
    Buffer b;
    EXPECT_EQ(1024, wsprintfW(b.chars, L"%.1100I64d", -1234567890123LL));
    EXPECT_EQ(L"-" + std::wstring(1009, L'0') + L"1234567890123", b.Text());
    EXPECT_TRUE(b.GuardsIntact());
  }
}

}  // namespace
