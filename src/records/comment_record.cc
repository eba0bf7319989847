// Comment records.  See the header.
#include "records/comment_record.h"

#include <cstring>

namespace {

// One $com$rem record: the piece (at most 80 characters) left-aligned in 80
// columns, then the event identifier right-aligned in 12.  The piece is
// copied byte for byte, so control characters arrive as they came, each tab
// as one blank.
void Write_Piece(std::string_view piece, const Conversion_State& s,
                 FILE* f_cnss) {
  char record[8 + 80 + 1];
  std::memcpy(record, "$com$rem", 8);
  for (size_t i = 0; i < 80; ++i) {
    char ch = i < piece.size() ? piece[i] : ' ';
    record[8 + i] = ch == '\t' ? ' ' : ch;
  }
  std::fwrite(record, 1, 8 + 80, f_cnss);
  std::fprintf(f_cnss, "%12s\n", s.C_EventId.c_str());
}

}  // namespace

void Convert_Comment(std::string_view info, const Conversion_State& s,
                     FILE* f_cnss) {
  std::string_view Comment = info.size() > 2 ? info.substr(2) : std::string_view();
  size_t k = 0;
  while (Comment.size() - k > 80) {
    Write_Piece(Comment.substr(k, 80), s, f_cnss);
    k += 80;
  }
  if (!Comment.empty()) Comment.remove_suffix(1);  // the line end
  if (s.Flag != 0) Write_Piece(Comment.substr(k), s, f_cnss);
}
