// libFuzzer target: the converter's own number reading, number formatting and
// time normalisation against the C library that they stand in for.
//
// Input: byte 0 selects the check, the rest is its data.
//   0  Read_Real(text) gives strtod's value, bit for bit; Read_Int(text)
//      gives atoi's value wherever atoi's is defined (no overflow).
//   1  Format_Fixed(double) gives snprintf's "%W.Pf" / "%+W.Pf".
//   2  Format_Fixed(float widened to double), the way the records call it.
//   3  Put_Int gives snprintf's "%Wd" / "%0Wd".
//   4  Format_Seconds gives "0%6.4f" below 10, else "%7.4f".
//   5  Modify_Time, over a sequence of dates and times in UTC or
//      America/Los_Angeles, gives what mktime and localtime give when called
//      directly for each one (no remembered midnights).
// A difference aborts, so the input is kept as a finding.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "text/fixed_point.h"
#include "text/record_text.h"
#include "records/seconds_text.h"
#include "text/fields.h"
#include "text/numbers.h"
#include "reference/time_normalisation.h"

namespace {

[[noreturn]] void Differ(const char* what, std::string_view input,
                         std::string_view got, std::string_view want) {
  auto show = [](const char* label, std::string_view s) {
    std::fprintf(stderr, "*** %s \"", label);
    for (unsigned char ch : s.substr(0, 400)) {
      if (ch >= 0x20 && ch < 0x7f && ch != '"' && ch != '\\')
        std::fputc(ch, stderr);
      else
        std::fprintf(stderr, "\\x%02x", ch);
    }
    std::fprintf(stderr, "\"\n");
  };
  std::fprintf(stderr, "\n*** number check failed: %s\n", what);
  show("input", input);
  show("got  ", got);
  show("want ", want);
  std::abort();
}

struct Bytes {
  const uint8_t* p;
  size_t n;
  template <typename T>
  T Take() {
    T v{};
    size_t k = n < sizeof v ? n : sizeof v;
    std::memcpy(&v, p, k);
    p += k;
    n -= k;
    return v;
  }
};

std::string Hex_Of(const void* v, size_t n) {
  std::string s;
  char b[4];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, "%02x", static_cast<const uint8_t*>(v)[i]);
    s += b;
  }
  return s;
}

void Check_Read(std::string_view data) {
  // A token: no NUL byte, no field space (the readers are only ever given
  // parts of tokens).
  std::string text(data.substr(0, 512));
  for (char& c : text)
    if (Is_Field_Space(c)) c = 'x';
  double got = Read_Real(text);
  double want = std::strtod(text.c_str(), nullptr);
  if (std::memcmp(&got, &want, sizeof got) != 0) {
    char g[64], w[64];
    std::snprintf(g, sizeof g, "%.17g (%s)", got, Hex_Of(&got, 8).c_str());
    std::snprintf(w, sizeof w, "%.17g (%s)", want, Hex_Of(&want, 8).c_str());
    Differ("Read_Real differs from strtod", text, g, w);
  }
  // atoi's value where it is defined: the number fits an int.
  char* end = nullptr;
  long long l = std::strtoll(text.c_str(), &end, 10);
  if (l >= INT_MIN && l <= INT_MAX && !(l == LLONG_MAX || l == LLONG_MIN)) {
    int gi = Read_Int(text);
    if (gi != static_cast<int>(l))
      Differ("Read_Int differs from atoi", text, std::to_string(gi),
             std::to_string(l));
  }
}

void Check_Fixed(double value, size_t width, int precision, bool plus) {
  char text[kFixed_Room];
  size_t n = Format_Fixed(text, value, width, precision, plus);
  char want[kFixed_Room + 8];
  int m = std::snprintf(want, sizeof want, plus ? "%+*.*f" : "%*.*f",
                        static_cast<int>(width), precision, value);
  if (m < 0 || static_cast<size_t>(m) != n || std::memcmp(text, want, n) != 0) {
    char in[96];
    std::snprintf(in, sizeof in, "%s%zu.%df of %.17g (%s)", plus ? "%+" : "%",
                  width, precision, value, Hex_Of(&value, 8).c_str());
    Differ("Format_Fixed differs from snprintf", in, std::string_view(text, n),
           std::string_view(want, m < 0 ? 0 : m));
  }
}

void Check_Int(int value, size_t width, char fill) {
  Record_Text r;
  Put_Int(r, value, width, fill);
  char want[64];
  int m = std::snprintf(want, sizeof want, fill == '0' ? "%0*d" : "%*d",
                        static_cast<int>(width), value);
  if (Text_Of(r) != std::string_view(want, m)) {
    char in[64];
    std::snprintf(in, sizeof in, "%s%zud of %d", fill == '0' ? "%0" : "%", width,
                  value);
    Differ("Put_Int differs from snprintf", in, Text_Of(r),
           std::string_view(want, m));
  }
}

void Check_Seconds(float Second) {
  std::string got;
  Format_Seconds(Second, got);
  char want[kFixed_Room];
  int m = std::snprintf(want, sizeof want, Second < 10.0f ? "0%6.4f" : "%7.4f",
                        static_cast<double>(Second));
  if (got != std::string_view(want, m)) {
    char in[64];
    std::snprintf(in, sizeof in, "%.9g (%s)", static_cast<double>(Second),
                  Hex_Of(&Second, 4).c_str());
    Differ("Format_Seconds differs from snprintf", in, got,
           std::string_view(want, m));
  }
}

// The documented normalisation, with mktime and localtime called each time.
void Reference_Modify_Time(int32_t& Year, int32_t& Month, int32_t& Day,
                           int32_t& Hour, int32_t& Minute, float& Second) {
  int64_t hour = Hour, day = Day;
  if (hour == 24) {
    hour = 0;
    day += 1;
  }
  if (day > INT_MAX) return;
  std::tm calendar{};
  calendar.tm_isdst = 0;
  calendar.tm_mon = Month - 1;
  calendar.tm_year = Year - 1900;
  calendar.tm_mday = static_cast<int>(day);
  time_t nb_sec = std::mktime(&calendar);
  if (nb_sec == static_cast<time_t>(-1)) return;
  int32_t whole = 0;
  if (Second >= -2147483648.0f && Second < 2147483648.0f)
    whole = static_cast<int32_t>(Second);
  nb_sec += hour * 3600 + int64_t{Minute} * 60 + whole;
  float sec_f = Second - static_cast<float>(whole);
  std::tm local;
  if (localtime_r(&nb_sec, &local) == nullptr) return;
  if (int64_t{local.tm_year} + 1900 > INT_MAX) return;
  Year = local.tm_year + 1900;
  Month = local.tm_mon + 1;
  Day = local.tm_mday;
  Hour = local.tm_hour;
  Minute = local.tm_min;
  Second = static_cast<float>(local.tm_sec) + sec_f;
}

void Check_Times(Bytes b) {
  const uint8_t zone = b.Take<uint8_t>();
  setenv("TZ", (zone & 1) ? "America/Los_Angeles" : "UTC", 1);
  Reset_Time_Zone();
  for (int i = 0; i < 64 && b.n >= 8; ++i) {
    // Mostly dates a sheet reaches (years 1850 to 2100, the fields of two
    // characters), sometimes anything.
    const uint8_t shape = b.Take<uint8_t>();
    int32_t Year, Month, Day, Hour, Minute;
    float Second;
    if (shape & 0x80) {
      Year = b.Take<int32_t>() % 4000000;
      Month = b.Take<int16_t>();
      Day = b.Take<int16_t>();
      Hour = b.Take<int16_t>();
      Minute = b.Take<int16_t>();
      Second = b.Take<float>();
    } else {
      Year = 1850 + b.Take<uint8_t>();
      Month = static_cast<int8_t>(b.Take<uint8_t>()) % 100;
      Day = static_cast<int8_t>(b.Take<uint8_t>()) % 100;
      Hour = static_cast<int8_t>(b.Take<uint8_t>()) % 100;
      Minute = static_cast<int8_t>(b.Take<uint8_t>()) % 100;
      Second = static_cast<float>(b.Take<uint16_t>()) / 100.0f -
               (shape & 1 ? 10.0f : 0.0f);
    }
    int32_t y = Year, mo = Month, d = Day, h = Hour, mi = Minute;
    float s = Second;
    Modify_Time(Year, Month, Day, Hour, Minute, Second);
    Reference_Modify_Time(y, mo, d, h, mi, s);
    if (y != Year || mo != Month || d != Day || h != Hour || mi != Minute ||
        std::memcmp(&s, &Second, sizeof s) != 0) {
      char got[160], want[160];
      std::snprintf(got, sizeof got, "%d-%d-%d %d:%d:%.9g", Year, Month, Day,
                    Hour, Minute, static_cast<double>(Second));
      std::snprintf(want, sizeof want, "%d-%d-%d %d:%d:%.9g", y, mo, d, h, mi,
                    static_cast<double>(s));
      Differ((zone & 1) ? "Modify_Time differs from mktime (Los Angeles)"
                        : "Modify_Time differs from mktime (UTC)",
             "see the input file", got, want);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  Bytes b{data + 1, size - 1};
  switch (data[0] % 6) {
    case 0:
      Check_Read(std::string_view(reinterpret_cast<const char*>(b.p), b.n));
      break;
    case 1: {
      double v = b.Take<double>();
      uint8_t f = b.Take<uint8_t>();
      Check_Fixed(v, f % 33, f / 33 % 6, (f & 0x80) != 0);
      break;
    }
    case 2: {
      float v = b.Take<float>();
      uint8_t f = b.Take<uint8_t>();
      Check_Fixed(static_cast<double>(v), f % 33, f / 33 % 6, (f & 0x80) != 0);
      break;
    }
    case 3: {
      int v = b.Take<int>();
      uint8_t f = b.Take<uint8_t>();
      Check_Int(v, f % 16, (f & 0x80) ? '0' : ' ');
      break;
    }
    case 4:
      Check_Seconds(b.Take<float>());
      break;
    case 5:
      Check_Times(b);
      break;
  }
  return 0;
}
