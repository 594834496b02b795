// wsprintfW: USER32's small printf, with its own format language (no
// floating point, Windows integer sizes) and its fixed 1024-character buffer.
#include <windows.h>

#include <cstdarg>
#include <cstdint>

namespace {

// The caller's buffer is 1024 characters by contract, terminator included.
constexpr int kMaxOutput = 1023;
// Widths and precisions beyond the buffer cannot matter; clamping them while
// parsing keeps a long run of digits from overflowing.
constexpr int kFieldLimit = 4096;

class Output {
 public:
  explicit Output(LPWSTR buffer) : buffer_(buffer) {}

  bool Full() const { return count_ >= kMaxOutput; }
  int Room() const { return kMaxOutput - count_; }
  void Put(wchar_t ch) {
    if (!Full()) {
      buffer_[count_++] = ch;
    }
  }
  void Repeat(wchar_t ch, int times) {
    for (; times > 0 && !Full(); --times) {
      Put(ch);
    }
  }
  // A full buffer reports 1024, one more than it holds before the
  // terminator, as USER32 does when the output reached its cap.
  int Finish() {
    buffer_[count_] = L'\0';
    return Full() ? kMaxOutput + 1 : count_;
  }

 private:
  LPWSTR buffer_;
  int count_ = 0;
};

enum class Size { kDefault, kShort, kLong, kWide, kPointer, kInt64 };

struct Conversion {
  bool leftAlign = false;
  bool hexPrefix = false;
  bool zeroPad = false;
  int width = 0;
  int precision = -1;  // -1: none given
  Size size = Size::kDefault;
};

int ReadNumber(LPCWSTR &format) {
  int value = 0;
  while (*format >= L'0' && *format <= L'9') {
    value = value * 10 + (*format - L'0');
    if (value > kFieldLimit) {
      value = kFieldLimit;
    }
    ++format;
  }
  return value;
}

// Pads a field of `length` characters out to the width, on the left unless
// left-aligned; `emit` writes the field itself.
template <typename Emit>
void PadField(Output &out, const Conversion &conversion, int length, Emit emit) {
  const int padding = conversion.width > length ? conversion.width - length : 0;
  if (!conversion.leftAlign) {
    out.Repeat(L' ', padding);
  }
  emit();
  if (conversion.leftAlign) {
    out.Repeat(L' ', padding);
  }
}

template <typename Char>
void PutString(Output &out, const Conversion &conversion, const Char *text) {
  int length = 0;
  while (text[length] != 0 && (conversion.precision < 0 || length < conversion.precision)) {
    if (length >= kMaxOutput) {
      break;  // no more can be written anyway
    }
    ++length;
  }
  PadField(out, conversion, length, [&] {
    for (int i = 0; i < length; ++i) {
      // Narrow text is taken as Latin-1, which agrees with every ANSI code
      // page on the ASCII range the program uses.
      if constexpr (sizeof(Char) == 1) {
        out.Put(static_cast<wchar_t>(static_cast<unsigned char>(text[i])));
      } else {
        out.Put(static_cast<wchar_t>(text[i]));
      }
    }
  });
}

// Numbers as USER32 lays them out (Wine's wsprintf, which the reference
// pages leave silent on this): the precision counts the sign among its
// digits ("%6.3d" of -7 is "   -07"), zero padding raises the precision to
// the width, and the "0x" of '#' comes on top of the field, outside both.
void PutNumber(Output &out, const Conversion &conversion, uint64_t magnitude, bool negative, bool hex, bool upper) {
  wchar_t digits[24];
  int count = 0;
  const wchar_t *set = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  const unsigned base = hex ? 16 : 10;
  do {
    digits[count++] = set[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0);

  const int length = count + (negative ? 1 : 0);
  int precision = conversion.precision > length ? conversion.precision : length;
  if (conversion.zeroPad && !conversion.leftAlign && conversion.width > precision) {
    precision = conversion.width;
  }
  PadField(out, conversion, precision, [&] {
    if (hex && conversion.hexPrefix) {
      out.Put(L'0');
      out.Put(upper ? L'X' : L'x');
    }
    if (negative) {
      out.Put(L'-');
    }
    out.Repeat(L'0', precision - length);
    while (count > 0) {
      out.Put(digits[--count]);
    }
  });
}

int FormatWide(LPWSTR buffer, LPCWSTR format, va_list args) {
  Output out(buffer);
  while (*format != 0 && !out.Full()) {
    if (*format != L'%') {
      out.Put(*format++);
      continue;
    }
    ++format;
    Conversion conversion;
    for (;; ++format) {
      if (*format == L'-') {
        conversion.leftAlign = true;
      } else if (*format == L'#') {
        conversion.hexPrefix = true;
      } else if (*format == L'0') {
        conversion.zeroPad = true;
      } else {
        break;
      }
    }
    conversion.width = ReadNumber(format);
    // A field wider than the room left is cut to the room, so that what it
    // pads still ends with its value ("%5000d" of 7 ends in the 7).
    if (conversion.width > out.Room()) {
      conversion.width = out.Room();
    }
    if (*format == L'.') {
      ++format;
      conversion.precision = ReadNumber(format);
      // So is a precision: a number's zeros then give way to its digits
      // ("%.1100d" of 7 ends in the 7, as under USER32).
      if (conversion.precision > out.Room()) {
        conversion.precision = out.Room();
      }
    }
    if (*format == L'h') {
      conversion.size = Size::kShort;
      ++format;
    } else if (*format == L'l') {
      conversion.size = Size::kLong;
      ++format;
    } else if (*format == L'w') {
      conversion.size = Size::kWide;
      ++format;
    } else if (*format == L'I') {
      ++format;
      if (format[0] == L'6' && format[1] == L'4') {
        conversion.size = Size::kInt64;
        format += 2;
      } else if (format[0] == L'3' && format[1] == L'2') {
        conversion.size = Size::kDefault;
        format += 2;
      } else {
        conversion.size = Size::kPointer;
      }
    }

    const wchar_t type = *format;
    if (type == 0) {
      break;  // a lone '%' at the end writes nothing
    }
    ++format;
    switch (type) {
      case L'c':
      case L'C': {
        // Promoted to int on the way through the variadic call.
        const int raw = va_arg(args, int);
        const bool narrow = conversion.size == Size::kShort || (type == L'C' && conversion.size == Size::kDefault);
        const wchar_t ch = narrow ? static_cast<wchar_t>(static_cast<unsigned char>(raw)) : static_cast<wchar_t>(raw);
        // A zero character is dropped, as it would end the string.
        PadField(out, conversion, ch != 0 ? 1 : 0, [&] {
          if (ch != 0) {
            out.Put(ch);
          }
        });
        break;
      }
      case L's':
      case L'S': {
        const bool narrow = conversion.size == Size::kShort || (type == L'S' && conversion.size == Size::kDefault);
        if (narrow) {
          const char *text = va_arg(args, const char *);
          PutString(out, conversion, text != nullptr ? text : "(null)");
        } else {
          const wchar_t *text = va_arg(args, const wchar_t *);
          PutString(out, conversion, text != nullptr ? text : L"(null)");
        }
        break;
      }
      case L'd':
      case L'i': {
        int64_t value;
        switch (conversion.size) {
          case Size::kInt64: value = va_arg(args, long long); break;
          case Size::kPointer: value = va_arg(args, intptr_t); break;
          default:
            // LONG is 32 bits on Windows, so 'l' reads an int too; so does
            // 'h', which USER32 takes for c, C, s and S alone and ignores
            // for numbers (%hd of 70000 is 70000).
            value = va_arg(args, int);
            break;
        }
        // Negating in unsigned arithmetic keeps INT64_MIN representable.
        const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        PutNumber(out, conversion, magnitude, value < 0, false, false);
        break;
      }
      case L'u':
      case L'x':
      case L'X': {
        uint64_t value;
        switch (conversion.size) {
          case Size::kInt64: value = va_arg(args, unsigned long long); break;
          case Size::kPointer: value = va_arg(args, uintptr_t); break;
          default: value = va_arg(args, unsigned); break;
        }
        PutNumber(out, conversion, value, false, type != L'u', type == L'X');
        break;
      }
      case L'p': {
        // Upper-case hex, zero-filled to the width of a pointer.
        Conversion pointer = conversion;
        pointer.hexPrefix = false;
        pointer.precision = static_cast<int>(2 * sizeof(void *));
        PutNumber(out, pointer, reinterpret_cast<uintptr_t>(va_arg(args, void *)), false, true, true);
        break;
      }
      default:
        // Not a type: the character itself is written ("%%" gives '%').
        out.Put(type);
        break;
    }
  }
  return out.Finish();
}

}  // namespace

int WINAPIV wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
  if (buffer == nullptr) {
    return 0;
  }
  if (format == nullptr) {
    buffer[0] = L'\0';
    return 0;
  }
  va_list args;
  va_start(args, format);
  const int written = FormatWide(buffer, format, args);
  va_end(args);
  return written;
}
