#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "camera/capture_device.hpp"
#include "platform/clock.hpp"

namespace kestrel {

// The video file camera's module could not be loaded. what() reads "--camera-file needs
// OpenCV's video support: " and the dynamic loader's reason.
struct FileCameraUnavailable : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Where the module is looked for, in order: beside the program, where the build puts it, and
// in the installed module folder, found from the program's own folder.
std::vector<std::filesystem::path> fileCameraModulePaths(const std::filesystem::path& programFolder);

// A FileCamera from the first of `candidates` that exists (the last one is tried when none
// does, so that the loader says what is missing). The module stays loaded for the rest of
// the process. Throws FileCameraUnavailable.
std::unique_ptr<CaptureDevice> loadFileCamera(const std::vector<std::filesystem::path>& candidates, Clock& clock,
                                              const std::filesystem::path& video, bool loop);

}  // namespace kestrel
