#include "camera/v4l2_io.hpp"

#include <sys/ioctl.h>

#include <cerrno>

namespace kestrel {

int xioctl(int fd, unsigned long request, void* argument) {
  int result = 0;
  do {
    result = ioctl(fd, request, argument);
  } while (result < 0 && errno == EINTR);
  return result;
}

}  // namespace kestrel
