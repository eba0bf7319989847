// The record letters of a sheet and the kind of record each names: the one
// table that the driver's dispatch and the sheet checker share.
#ifndef TREMVERT_RECORDS_RECORD_LETTER_H_
#define TREMVERT_RECORDS_RECORD_LETTER_H_

#include <cstdint>
#include <string_view>

enum class Record_Kind : uint8_t {
  kUnknown,    // reported in the error log
  kIgnored,    // Q, L, I
  kEnd,        // X
  kEvent,      // E
  kPhase,      // P
  kAmplitude,  // D, A, S, B
  kComment,    // C, F
};

struct Record_Kind_Table {
  Record_Kind kind[256] = {};
  constexpr Record_Kind_Table() {
    for (unsigned char c : {'Q', 'L', 'I'}) kind[c] = Record_Kind::kIgnored;
    kind['X'] = Record_Kind::kEnd;
    kind['E'] = Record_Kind::kEvent;
    kind['P'] = Record_Kind::kPhase;
    for (unsigned char c : {'D', 'A', 'S', 'B'})
      kind[c] = Record_Kind::kAmplitude;
    for (unsigned char c : {'C', 'F'}) kind[c] = Record_Kind::kComment;
  }
};
inline constexpr Record_Kind_Table kRecord_Kinds;

inline Record_Kind Kind_Of(char letter) {
  return kRecord_Kinds.kind[static_cast<unsigned char>(letter)];
}

// The record letter of a line (never empty: it holds at least its line end):
// its first character, upper-cased by the C locale's rule (a to z become A
// to Z, every other byte stays).
inline char Record_Letter(std::string_view info) {
  const char c = info[0];
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Readings: phase and amplitude records.
inline bool Is_Reading(Record_Kind k) {
  return k == Record_Kind::kPhase || k == Record_Kind::kAmplitude;
}

// The records that a closed event gate drops.
inline bool Is_Gated(Record_Kind k) {
  return Is_Reading(k) || k == Record_Kind::kComment;
}

#endif  // TREMVERT_RECORDS_RECORD_LETTER_H_
