// Standard streams.  See the header.
#include "driver/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

void Prepare_Standard_Streams() {
  for (int fd = 0; fd <= 2; ++fd)
    if (fcntl(fd, F_GETFD) == -1) open("/dev/null", O_RDONLY);  // takes fd
  std::signal(SIGXFSZ, SIG_IGN);
}
