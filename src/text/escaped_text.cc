// Escaped text.  See the header.
#include "text/escaped_text.h"

#include "text/record_text.h"

void Put_Escaped(Out_Buffer& r, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  for (unsigned char c : text) {
    if (c >= 0x20 && c != 0x7f) {
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
