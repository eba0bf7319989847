// A mapping file held in memory, with a flat table of the first line of each
// name, so that a lookup costs the same whatever the file's length, and
// loading a file of millions of lines costs little more than reading it.
//
// The file's text is read once into one buffer, and each line that names
// something is rewritten in place, shorter or as long, as one record: its
// tokens joined by '\0' and ended by '\n' ("NN\0ABC\n"), so that a lookup
// compares the name where it stands and takes the values as views of the
// text.  The table is an open-addressing hash table of 64-bit slots, each the
// offset of a name (plus one; 0 is an empty slot) and 24 bits of its hash,
// which spare most comparisons of names that do not match.
#ifndef TREMVERT_REFERENCE_MAPPING_TABLE_H_
#define TREMVERT_REFERENCE_MAPPING_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

struct Mapping_Table {
  struct Free {
    void operator()(void* p) const { std::free(p); }
  };
  std::unique_ptr<char, Free> text;  // the records, then what is left
  size_t size = 0;
  std::unique_ptr<uint64_t, Free> slots;
  uint64_t capacity = 0;  // slots; 0 when the file names nothing
};

// Reads the file open on `fd` into the table.  Of each line's tokens (runs
// of characters that are not white space, NUL included) the first `tokens`
// count: the token at `key` is the name and the others are its values, in
// order; a line without the name lists nothing, and the first line of a name
// wins.  The name is the first or second token (`key` 0 or 1).  False, with
// the reason, after a failed read or for a file beyond the table's limits (1
// TB of text, 3 billion names).  Throws std::bad_alloc when the file does not
// fit in memory.
bool Load_Mapping_Table(int fd, int tokens, int key, Mapping_Table& t,
                        std::string* err);

// Where the first line that lists `name` holds it (its record, in the
// table's text), or nullptr when no line lists it.
const char* Find_Mapping(const Mapping_Table& t, std::string_view name);

// The token of the record before the name found at `at` (the first token,
// when the name is the second), or the empty text.
inline std::string_view Token_Before(const Mapping_Table& t, const char* at) {
  const char* const text = t.text.get();
  if (at == text || at[-1] != '\0') return {};
  const char* start = at - 1;
  while (start > text && start[-1] != '\n') --start;
  return {start, static_cast<size_t>(at - 1 - start)};
}

// The n-th token of the record after the name found at `at` (n is 1 or 2),
// or the empty text when the line has no such token.
inline std::string_view Token_After(const char* at, size_t name_size, int n) {
  const char* p = at + name_size;
  for (;;) {
    if (*p != '\0') return {};
    const char* start = ++p;
    while (*p != '\0' && *p != '\n') ++p;
    if (--n == 0) return {start, static_cast<size_t>(p - start)};
  }
}

#endif  // TREMVERT_REFERENCE_MAPPING_TABLE_H_
