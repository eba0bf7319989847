// Comment records.  See the header.
#include "records/comment_record.h"

#include "records/record_text.h"

namespace {

// One $com$rem record: the piece (at most 80 characters) left-aligned in 80
// columns, then the event identifier right-aligned in 12.  The piece is
// copied byte for byte, so control characters arrive as they came, each tab
// as one blank.
void Write_Piece(std::string_view piece, Conversion_State& s, FILE* f_cnss) {
  Record_Text& r = s.Record;
  Clear(r);
  Put_Text(r, "$com$rem");
  size_t text = r.size;
  Put_Left(r, piece, 80);
  for (size_t i = text; i < r.size; ++i)
    if (r.buffer[i] == '\t') r.buffer[i] = ' ';
  Put_Right(r, s.C_EventId, 12);
  Put_Char(r, '\n');
  Write_Record(r, f_cnss);
}

}  // namespace

void Convert_Comment(std::string_view info, Conversion_State& s, FILE* f_cnss) {
  std::string_view Comment =
      info.size() > 2 ? info.substr(2) : std::string_view();
  size_t k = 0;
  while (Comment.size() - k > 80) {
    Write_Piece(Comment.substr(k, 80), s, f_cnss);
    k += 80;
  }
  if (!Comment.empty()) Comment.remove_suffix(1);  // the line end
  if (s.Flag != 0) Write_Piece(Comment.substr(k), s, f_cnss);
}
