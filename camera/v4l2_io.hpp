#pragma once

namespace kestrel {

// ioctl on a V4L2 node, asked again when a signal interrupts it: the result and errno of the
// last try.
int xioctl(int fd, unsigned long request, void* argument);

}  // namespace kestrel
