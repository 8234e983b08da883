#pragma once

#include "camera/capture_device.hpp"
#include "platform/clock.hpp"

// The video file camera lives in a module of its own, kestrel-file-camera.so, because it
// links OpenCV's video support and with it FFmpeg, GStreamer and much more that the tray
// program does not need; only --camera-file (and the demo) load it.
//
// The module's one export: a new FileCamera playing `video` (a path), looping or not; null
// when it could not be made. The caller owns it and keeps the module loaded while it lives.
// The version in the name changes with the signature, so that a stale module is refused.
extern "C" kestrel::CaptureDevice* kestrel_make_file_camera_v1(kestrel::Clock& clock, const char* video, bool loop);

namespace kestrel {

// What the loader looks up: the export's name and type.
inline constexpr const char* fileCameraFactoryName = "kestrel_make_file_camera_v1";
using FileCameraFactory = decltype(&kestrel_make_file_camera_v1);

}  // namespace kestrel
