// Comment records.  See the header.
#include "records/comment_record.h"

#include "records/catalog_record.h"
#include "text/record_text.h"

namespace {

// Length of a comment piece, and the width of its text columns.
constexpr size_t kPiece = 80;

// One $com$rem record: the piece (at most 80 characters) left-aligned in 80
// columns, then the event identifier column.  The piece is copied byte for
// byte, so control characters arrive as they came, except that each tab
// becomes one blank.
void Write_Piece(std::string_view piece, const Conversion_State& s,
                 FILE* f_cnss) {
  Record_Text r;
  Put_Text(r, "$com$rem");
  size_t text = r.size;
  Put_Left(r, piece, kPiece);
  for (size_t i = text; i < r.size; ++i)
    if (r.data[i] == '\t') r.data[i] = ' ';
  Put_Record_End(r, s.C_EventId);
  Write_Record(r, f_cnss);
}

}  // namespace

void Convert_Comment(std::string_view info, Conversion_State& s, FILE* f_cnss) {
  std::string_view Comment =
      info.size() > 2 ? info.substr(2) : std::string_view();
  size_t k = 0;
  while (Comment.size() - k > kPiece) {
    Write_Piece(Comment.substr(k, kPiece), s, f_cnss);
    k += kPiece;
  }
  if (!Comment.empty()) Comment.remove_suffix(1);  // the line end
  if (s.Flag != 0) Write_Piece(Comment.substr(k), s, f_cnss);
}
