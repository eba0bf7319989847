// Mapping tables.  See the header.
#include "reference/mapping_table.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <bit>
#include <cassert>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "text/failure.h"
#include "text/fields.h"
#include "text/file_system.h"

namespace {

constexpr int kOffset_Bits = 40;  // records at offsets below 1 TB
constexpr uint64_t kOffset_Mask = (uint64_t{1} << kOffset_Bits) - 1;

// The text past the end of the records that a table keeps zeroed, so that
// names of up to 8 bytes can be read and compared as words.
constexpr size_t kPadding = 8;

uint64_t Load_4(const char* p) {
  uint32_t w;
  std::memcpy(&w, p, 4);
  return w;
}

// The bytes of a name of 1 to 8 bytes as one word: two loads that overlap
// for fewer than 8, which take every byte (and the length tells the rest).
uint64_t Word_Of(const char* p, size_t n) {
  if (n >= 4) return Load_4(p) | Load_4(p + n - 4) << 32;
  return static_cast<unsigned char>(p[0]) |
         static_cast<unsigned>(static_cast<unsigned char>(p[n / 2])) << 8 |
         static_cast<unsigned>(static_cast<unsigned char>(p[n - 1])) << 16;
}

uint64_t Mix(uint64_t h) {
  h ^= h >> 31;
  h *= 0xbf58476d1ce4e5b9u;
  return h ^ (h >> 29);
}

// A hash of the name, a word of it at a time.
uint64_t Hash(std::string_view name) {
  const char* p = name.data();
  size_t n = name.size();
  uint64_t h = 0x9e3779b97f4a7c15u ^ n;
  for (; n > 8; n -= 8, p += 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    h = Mix(h ^ w);
  }
  return Mix(h ^ (n > 0 ? Word_Of(p, n) : 0));
}

// The slot where a hash starts its search: its high 32 bits scaled to the
// table, so that slots in order are hashes in order.
uint64_t Home_Of(uint64_t hash, uint64_t capacity) {
  return ((hash >> 32) * capacity) >> 32;
}

uint64_t Tag_Of(uint64_t hash) { return hash & 0xffffff; }

// Whether the name stands at `p`, up to a '\0' or '\n'.  A short name is
// compared as a word, which may read past the record, within the table's
// padding; a longer one byte by byte, which stops within the record, names
// holding no '\0' or '\n'.
bool Names(const char* record, std::string_view name) {
  const size_t n = name.size();
  if (n <= 8) {
    if (n > 0 && Word_Of(record, n) != Word_Of(name.data(), n)) return false;
  } else {
    for (size_t i = 0; i < n; ++i)
      if (record[i] != name[i]) return false;
  }
  return record[n] == '\0' || record[n] == '\n';
}

// Memory for a buffer, zeroed when `zeroed`.  A large one is asked to be
// in huge pages where the system offers them: far fewer page faults for the
// hundreds of megabytes of a large mapping file.
void* Allocate(size_t size, bool zeroed) {
  void* p = zeroed ? std::calloc(size, 1) : std::malloc(size);
  if (p == nullptr) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  constexpr uintptr_t kHuge = uintptr_t{1} << 21;
  const uintptr_t begin =
      (reinterpret_cast<uintptr_t>(p) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + size) & ~(kHuge - 1);
  if (begin < end)
    madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
  return p;
}

void* Grow(void* p, size_t size) {
  void* larger = std::realloc(p, size);
  if (larger == nullptr) throw std::bad_alloc();
  return larger;
}

// Reads the whole file, with room at its end for a line end and the
// padding.  A regular file is read into a buffer of its size; another (a
// character device) grows as it comes.
bool Read_Whole_File(int fd, Mapping_Table& t, std::string* err) {
  constexpr size_t kRoom = 1 + kPadding;
  struct stat st;
  size_t capacity = 1 << 16;
  if (System().Fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
    capacity = static_cast<size_t>(st.st_size) + kRoom;
  t.text.reset(static_cast<char*>(Allocate(capacity, false)));
  t.size = 0;
  for (;;) {
    char* into = t.text.get() + t.size;
    size_t room = capacity - kRoom - t.size;
    char probe[1 << 12];
    if (room == 0) {  // full: the end of a file, or more of a stream
      into = probe;
      room = sizeof probe;
    }
    const ssize_t n = System().Read(fd, into, room);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      *err = Reason_Of(Last_Error());
      return false;
    }
    if (into == probe) {  // a stream, or a file that grew: more room
      capacity = capacity < (size_t{1} << 30) ? 2 * capacity
                                              : capacity + (size_t{1} << 30);
      char* larger = static_cast<char*>(Grow(t.text.get(), capacity));
      (void)t.text.release();
      t.text.reset(larger);
      std::memcpy(t.text.get() + t.size, probe, static_cast<size_t>(n));
    }
    t.size += static_cast<size_t>(n);
  }
}

// A name waiting for its slot: its hash, and its offset in the text.
struct Pending {
  uint64_t hash;
  uint64_t offset;
};

// The name that starts at `p`, which ends at the first '\0' or '\n'.
std::string_view Name_At(const char* p) {
  const char* end = p;
  while (*end != '\0' && *end != '\n') ++end;
  return {p, static_cast<size_t>(end - p)};
}

// Puts the names in their slots, the first of each name only.  They are put
// in the order of their home slots (a counting sort on the home's high bits,
// which keeps the file's order among equal names), so that a large table is
// filled region by region instead of at random.
void Insert_Names(Mapping_Table& t, std::vector<Pending>& names,
                  std::vector<Pending>& sorted) {
  const uint64_t capacity = t.capacity;
  const int width = std::bit_width(capacity);
  const int shift = width > 12 ? width - 12 : 0;
  uint32_t start[(1 << 12) + 1] = {};
  for (const Pending& p : names)
    ++start[(Home_Of(p.hash, capacity) >> shift) + 1];
  for (int b = 0; b < (1 << 12); ++b) start[b + 1] += start[b];
  sorted.resize(names.size());
  for (const Pending& p : names)
    sorted[start[Home_Of(p.hash, capacity) >> shift]++] = p;
  const char* const text = t.text.get();
  uint64_t* const slots = t.slots.get();
  for (const Pending& p : sorted) {
    const uint64_t tag = Tag_Of(p.hash);
    uint64_t i = Home_Of(p.hash, capacity);
    for (;;) {
      const uint64_t slot = slots[i];
      if (slot == 0) {
        slots[i] = (tag << kOffset_Bits) | (p.offset + 1);
        break;
      }
      if (slot >> kOffset_Bits == tag &&
          Names(text + (slot & kOffset_Mask) - 1, Name_At(text + p.offset)))
        break;  // an earlier line lists it
      if (++i == capacity) i = 0;
    }
  }
  names.clear();
}

// Copies a token to `to`, which lies at or before it, and returns the end of
// the copy: from the front, as such an overlap needs, and in words rather
// than through a call, tokens being a few bytes long.
char* Move_Down(char* to, std::string_view token) {
  const char* from = token.data();
  size_t n = token.size(), i = 0;
  for (; i + 8 <= n; i += 8) {  // each word read before it is written
    uint64_t word;
    std::memcpy(&word, from + i, 8);
    std::memcpy(to + i, &word, 8);
  }
  if (i + 4 <= n) {
    uint32_t word;
    std::memcpy(&word, from + i, 4);
    std::memcpy(to + i, &word, 4);
    i += 4;
  }
  if (i + 2 <= n) {
    uint16_t word;
    std::memcpy(&word, from + i, 2);
    std::memcpy(to + i, &word, 2);
    i += 2;
  }
  if (i < n) to[i] = from[i];
  return to + n;
}

// Rewrites each line that names something as its record, its first tokens
// joined by '\0' and ended by '\n', from the start of the text on, and
// returns the records' end.  A record takes no more room than its line took
// (its tokens, one byte between each, and the line end), and every token
// moves toward the start, so each is written where lines were already read.
char* Write_Records(char* text, const char* end, int tokens, int key) {
  char* write = text;
  for (const char* p = text; p < end;) {
    std::string_view token[3];
    int count = 0;
    for (;;) {  // the line's tokens, up to its line end
      while (p < end && *p != '\n' && Is_Field_Space(*p)) ++p;
      if (p == end || *p == '\n') break;
      const char* start = p;
      while (p < end && !Is_Field_Space(*p)) ++p;
      if (count < tokens)
        token[count++] = {start, static_cast<size_t>(p - start)};
    }
    if (p < end) ++p;            // past the line end
    if (count <= key) continue;  // no name: lists nothing
    for (int i = 0; i < count; ++i) {
      write = Move_Down(write, token[i]);
      *write++ = i + 1 < count ? '\0' : '\n';
    }
    // At the end of a last line without a line end, the record's own line
    // end takes the byte of room past the text.
    assert(write <= p || (p == end && write == end + 1));
  }
  return write;
}

}  // namespace

bool Load_Mapping_Table(int fd, int tokens, int key, Mapping_Table& t,
                        std::string* err) {
  assert(tokens <= 3 && key <= 1 && key < tokens);
  t.slots.reset();
  t.capacity = 0;
  if (!Read_Whole_File(fd, t, err)) return false;
  // A UTF-8 byte-order mark at the very start is no part of the text.
  if (t.size >= 3 && std::memcmp(t.text.get(), "\xEF\xBB\xBF", 3) == 0) {
    std::memmove(t.text.get(), t.text.get() + 3, t.size - 3);
    t.size -= 3;
  }
  if (t.size >= kOffset_Mask) {  // an offset would not fit its slot
    *err = "too large: a mapping file holds less than 1 TB";
    return false;
  }
  char* const text = t.text.get();
  char* const records_end = Write_Records(text, text + t.size, tokens, key);
  std::memset(records_end, 0, kPadding);

  size_t records = 0;
  for (const char* p = text; p < records_end; ++p) records += *p == '\n';
  if (records == 0) return true;
  // Half the slots full, for few probes; at most four fifths for a large
  // file, for little memory.
  t.capacity =
      records < (1 << 20) ? 2 * records + 1 : records + records / 4 + 1;
  if (t.capacity >= (uint64_t{1} << 32)) {
    *err = "too many lines: a mapping file lists fewer than 3 billion names";
    return false;
  }
  t.slots.reset(
      static_cast<uint64_t*>(Allocate(t.capacity * sizeof(uint64_t), true)));

  constexpr size_t kChunk = 1 << 18;
  std::vector<Pending> names, sorted;
  names.reserve(std::min(kChunk, records));
  for (const char* p = text; p < records_end;) {
    for (int i = 0; i < key; ++i) p = Name_At(p).data() + Name_At(p).size() + 1;
    const std::string_view name = Name_At(p);
    names.push_back({Hash(name), static_cast<uint64_t>(p - text)});
    if (names.size() == kChunk) Insert_Names(t, names, sorted);
    p = name.data() + name.size();
    while (*p != '\n') ++p;
    ++p;
  }
  Insert_Names(t, names, sorted);
  return true;
}

const char* Find_Mapping(const Mapping_Table& t, std::string_view name) {
  const uint64_t capacity = t.capacity;
  if (capacity == 0) return nullptr;
  const uint64_t hash = Hash(name);
  const uint64_t tag = Tag_Of(hash);
  const char* const text = t.text.get();
  const uint64_t* const slots = t.slots.get();
  for (uint64_t i = Home_Of(hash, capacity);;) {
    const uint64_t slot = slots[i];
    if (slot == 0) return nullptr;
    const char* at = text + (slot & kOffset_Mask) - 1;
    if (slot >> kOffset_Bits == tag && Names(at, name)) return at;
    if (++i == capacity) i = 0;
  }
}
