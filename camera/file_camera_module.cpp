// The entry of the kestrel-file-camera module.

#include "camera/file_camera_module.hpp"

#include "camera/file_camera.hpp"

extern "C" __attribute__((visibility("default"))) kestrel::CaptureDevice* kestrel_make_file_camera_v1(
    kestrel::Clock& clock, const char* video, bool loop) {
  // Nothing may be thrown across the loader's C call.
  try {
    return new kestrel::FileCamera(clock, video, loop);
  } catch (...) {
    return nullptr;
  }
}
