// Runs one program and prints what it cost, for bench/run.sh.
//
//   measure [-o FILE] PROGRAM [ARG...]
//
// Runs PROGRAM with ARGs (looked up in PATH when it has no slash), in the
// current directory and environment, its standard output going to FILE when
// given, and prints one line once it has ended:
//
//   CPU_S WALL_S MAXRSS_KB STATUS
//
// CPU_S is its user plus system time and MAXRSS_KB its peak resident set
// size, both from wait4() (microseconds, where /usr/bin/time prints
// hundredths; the peak is the same figure as its "Maximum resident set
// size"); WALL_S is from the monotonic clock; STATUS is the exit status, or
// 128 plus the signal that ended it.  This program is small so that its own
// memory, which a child's peak also covers until its exec, stays below any
// program's.  Exit status 0, or 2 when PROGRAM could not be started.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

double Seconds(const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; }

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  const char* out_name = nullptr;
  if (argc > 2 && std::strcmp(argv[1], "-o") == 0) {
    out_name = argv[2];
    first = 3;
  }
  if (first >= argc) {
    std::fputs("usage: measure [-o FILE] PROGRAM [ARG...]\n", stderr);
    return 2;
  }
  int out = -1;
  if (out_name != nullptr) {
    out = open(out_name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) {
      std::fprintf(stderr, "measure: %s: %s\n", out_name, std::strerror(errno));
      return 2;
    }
  }

  // The child reports a failed exec through this pipe, which the exec
  // closes otherwise.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    std::fprintf(stderr, "measure: pipe: %s\n", std::strerror(errno));
    return 2;
  }
  double start = Now();
  pid_t pid = fork();
  if (pid < 0) {
    std::fprintf(stderr, "measure: fork: %s\n", std::strerror(errno));
    return 2;
  }
  if (pid == 0) {
    int error = 0;
    if (out >= 0 && (dup2(out, 1) < 0 || close(out) != 0))
      error = errno;
    else
      execvp(argv[first], argv + first);
    if (error == 0) error = errno;
    ssize_t ignored = write(report[1], &error, sizeof error);
    (void)ignored;
    _exit(127);
  }
  close(report[1]);
  if (out >= 0) close(out);
  int error = 0;
  ssize_t got;
  while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  int status = 0;
  rusage usage;
  while (wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) {
      std::fprintf(stderr, "measure: wait4: %s\n", std::strerror(errno));
      return 2;
    }
  }
  double wall = Now() - start;
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (got == static_cast<ssize_t>(sizeof error)) {
    std::fprintf(stderr, "measure: %s: %s\n", argv[first],
                 std::strerror(error));
    return 2;
  }
  std::printf("%.6f %.6f %ld %d\n",
              Seconds(usage.ru_utime) + Seconds(usage.ru_stime), wall,
              usage.ru_maxrss, code);
  return 0;
}
