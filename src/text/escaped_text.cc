// Escaped text.  See the header.
#include "text/escaped_text.h"

#include <cstdint>
#include <cstring>

#include "text/record_text.h"

void Put_Escaped(Out_Buffer& r, std::string_view text, bool backslash) {
  static const char kHex[] = "0123456789abcdef";
  // The bytes before the first control character, eight at a time while a
  // word has none: no byte below 0x20 ((w - 0x20..20) & ~w & 0x80..80), no
  // 0x7f (a zero byte in w ^ 0x7f..7f) and, when escaped, no backslash.
  constexpr uint64_t kOnes = 0x0101010101010101u, kHigh = kOnes * 0x80;
  size_t plain = 0;
  for (; plain + 8 <= text.size(); plain += 8) {
    uint64_t w;
    std::memcpy(&w, text.data() + plain, 8);
    const uint64_t del = w ^ (kOnes * 0x7f);
    const uint64_t slash = backslash ? w ^ (kOnes * '\\') : ~uint64_t{0};
    if ((((w - kOnes * 0x20) & ~w) | ((del - kOnes) & ~del) |
         ((slash - kOnes) & ~slash)) &
        kHigh)
      break;
  }
  while (plain < text.size()) {
    const unsigned char c = text[plain];
    if (c < 0x20 || c == 0x7f || (backslash && c == '\\')) break;
    ++plain;
  }
  Put_Text(r, text.substr(0, plain));
  for (unsigned char c : text.substr(plain)) {
    if (backslash && c == '\\') {
      Put_Text(r, "\\\\");
    } else if (c >= 0x20 && c != 0x7f) {
      Put_Char(r, static_cast<char>(c));
    } else if (c == '\n') {
      Put_Text(r, "\\n");
    } else if (c == '\t') {
      Put_Text(r, "\\t");
    } else if (c == '\r') {
      Put_Text(r, "\\r");
    } else {
      const char hex[] = {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
      Put_Text(r, std::string_view(hex, 4));
    }
  }
}
