// The benchmark's floor: the least work of a program that reads a sheet line
// by line and writes text, for comparison with the converter on the same
// machine, in the same run.
//
//   floor SHEET OUTPUT BYTES
//
// Reads SHEET and writes every line of it to OUTPUT, padded with blanks
// before its line end, so that OUTPUT ends up BYTES long: the padding is
// spread over the lines in proportion to their lengths (after K of the
// sheet's S bytes, the output is BYTES * K / S long, or the lines themselves
// when those are longer).  bench/run.sh passes the size of the converter's
// catalog and error log of the same sheet, so both programs read and write
// the same volumes.  A last line without a line end gets one.
//
// Reads and writes with read() and write() through 1 MiB buffers; nothing
// else.  Exit status 0, or 1 with a message on standard error.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>

namespace {

constexpr std::size_t kBuffer = std::size_t{1} << 20;

char input[kBuffer];
char output[kBuffer];

[[noreturn]] void Fail(const char* what, const char* name, int error) {
  std::fprintf(stderr, "floor: %s %s: %s\n", what, name, std::strerror(error));
  std::_Exit(1);
}

class Writer {
 public:
  Writer(int fd, const char* name) : fd_(fd), name_(name) {}

  void Put(const char* text, std::size_t n) {
    written_ += n;
    while (n > 0) {
      const std::size_t part = Room(n);
      std::memcpy(output + used_, text, part);
      used_ += part;
      text += part;
      n -= part;
    }
  }

  void Blanks(std::uint64_t n) {
    written_ += n;
    while (n > 0) {
      const std::size_t part = Room(n);
      std::memset(output + used_, ' ', part);
      used_ += part;
      n -= part;
    }
  }

  void Flush() {
    std::size_t done = 0;
    while (done < used_) {
      ssize_t n = write(fd_, output + done, used_ - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail("cannot write", name_, errno);
      }
      done += static_cast<std::size_t>(n);
    }
    used_ = 0;
  }

  std::uint64_t Written() const { return written_; }

 private:
  // How many of n bytes fit at the end of the buffer, flushed when full.
  std::size_t Room(std::uint64_t n) {
    if (used_ == kBuffer) Flush();
    const std::size_t room = kBuffer - used_;
    return n < room ? static_cast<std::size_t>(n) : room;
  }

  int fd_;
  const char* name_;
  std::size_t used_ = 0;
  std::uint64_t written_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: floor SHEET OUTPUT BYTES\n", stderr);
    return 1;
  }
  std::string_view bytes_arg = argv[3];
  std::uint64_t bytes = 0;
  auto [end, ec] = std::from_chars(bytes_arg.data(),
                                   bytes_arg.data() + bytes_arg.size(), bytes);
  if (ec != std::errc() || end != bytes_arg.data() + bytes_arg.size()) {
    std::fprintf(stderr, "floor: not a byte count: %s\n", argv[3]);
    return 1;
  }

  int in = open(argv[1], O_RDONLY);
  if (in < 0) Fail("cannot open", argv[1], errno);
  struct stat st;
  if (fstat(in, &st) != 0) Fail("cannot stat", argv[1], errno);
  const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
  const double per_byte = size > 0 ? static_cast<double>(bytes) / size : 0.0;
  int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0) Fail("cannot open", argv[2], errno);
  Writer writer(out, argv[2]);

  // Ends the current line once `consumed` bytes of the sheet are read.
  std::uint64_t consumed = 0;
  auto end_line = [&] {
    std::uint64_t target =
        consumed >= size ? bytes
                         : static_cast<std::uint64_t>(per_byte * consumed);
    std::uint64_t after = writer.Written() + 1;
    if (target > after) writer.Blanks(target - after);
    writer.Put("\n", 1);
  };

  bool open_line = false;  // a line has begun and not yet ended
  for (;;) {
    ssize_t n = read(in, input, kBuffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("cannot read", argv[1], errno);
    }
    if (n == 0) break;
    const char* p = input;
    const char* stop = input + n;
    while (p < stop) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', stop - p));
      if (nl == nullptr) {
        writer.Put(p, stop - p);
        consumed += stop - p;
        open_line = true;
        break;
      }
      writer.Put(p, nl - p);
      consumed += nl - p + 1;
      end_line();
      open_line = false;
      p = nl + 1;
    }
  }
  if (open_line) end_line();
  writer.Flush();
  if (close(out) != 0) Fail("cannot close", argv[2], errno);
  close(in);
  return 0;
}
