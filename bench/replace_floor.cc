// The least work of replacing a sheet's outputs whole: for each sheet named,
// a new file of the size of each of its two outputs (`NAME.vrn.cnss`,
// `NAME.error.log`, which must be there) is written beside it and renamed
// over it, as any program that never leaves a half-written output must at
// least do.  bench/each.sh runs it over the archive and over the one sheet
// of the same lines, to tell the file system's own cost of replacing 600
// files rather than 2 from what Tremvert --each adds.
//
//   replace_floor SHEET...        (SHEET: NAME.sheet or NAME)
//
// Writes with write() from a 1 MiB buffer of blanks; the outputs' contents
// are lost.  Exit status 0, or 1 with a message on standard error.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kBuffer = std::size_t{1} << 20;

char blanks[kBuffer];

[[noreturn]] void Fail(const char* what, const std::string& name) {
  std::fprintf(stderr, "replace_floor: %s %s: %s\n", what, name.c_str(),
               std::strerror(errno));
  std::exit(1);
}

void Replace(const std::string& output) {
  struct stat st;
  if (stat(output.c_str(), &st) != 0) Fail("cannot stat", output);
  const std::string fresh = output + ".floor-new";
  const int fd =
      open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) Fail("cannot create", fresh);
  for (off_t left = st.st_size; left > 0;) {
    const std::size_t n = left < static_cast<off_t>(kBuffer) ? left : kBuffer;
    const ssize_t w = write(fd, blanks, n);
    if (w <= 0) Fail("cannot write", fresh);
    left -= w;
  }
  if (close(fd) != 0) Fail("cannot close", fresh);
  if (rename(fresh.c_str(), output.c_str()) != 0) Fail("cannot rename", fresh);
}

}  // namespace

int main(int argc, char** argv) {
  std::memset(blanks, ' ', sizeof blanks);
  for (int i = 1; i < argc; ++i) {
    std::string base = argv[i];
    if (base.size() > 6 && base.ends_with(".sheet"))
      base.resize(base.size() - 6);
    Replace(base + ".vrn.cnss");
    Replace(base + ".error.log");
  }
  return 0;
}
