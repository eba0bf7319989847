// Standard streams.  See the header.
#include "driver/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

void Keep_Standard_Descriptors() {
  for (int fd = 0; fd <= 2; ++fd)
    if (fcntl(fd, F_GETFD) == -1) open("/dev/null", O_RDONLY);  // takes fd
}

void Ignore_File_Size_Signal() { std::signal(SIGXFSZ, SIG_IGN); }

void Ignore_Write_Signals() {
  Ignore_File_Size_Signal();
  std::signal(SIGPIPE, SIG_IGN);
}
