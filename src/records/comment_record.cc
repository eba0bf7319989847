// Comment records.  See the header.
#include "records/comment_record.h"

#include <cassert>

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
                 Out_Buffer& f_cnss) {
  assert(piece.size() <= kPiece);
  char text[kPiece];
  for (size_t i = 0; i < piece.size(); ++i)
    text[i] = piece[i] == '\t' ? ' ' : piece[i];
  // "$com$rem%-80s%12s\n" (a full piece fills its 80 columns exactly).
  Put_Text(f_cnss, "$com$rem");
  Put_Left(f_cnss, std::string_view(text, piece.size()), kPiece);
  Put_Record_End(f_cnss, s.C_EventId);
}

}  // namespace

void Convert_Comment(std::string_view info, Conversion_State& s,
                     Out_Buffer& f_cnss) {
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
