#include "camera/file_camera_loader.hpp"

#include <dlfcn.h>

#include <string>

#include "camera/file_camera_module.hpp"

namespace kestrel {

namespace {

[[noreturn]] void unavailable(const std::string& reason) {
  throw FileCameraUnavailable("--camera-file needs OpenCV's video support: " + reason);
}

std::string loaderError() {
  const char* reason = ::dlerror();
  return reason != nullptr ? reason : "unknown error";
}

}  // namespace

std::vector<std::filesystem::path> fileCameraModulePaths(const std::filesystem::path& programFolder) {
  return {programFolder / KESTREL_FILE_CAMERA_MODULE,
          (programFolder / KESTREL_FILE_CAMERA_INSTALLED_DIR / KESTREL_FILE_CAMERA_MODULE).lexically_normal()};
}

std::unique_ptr<CaptureDevice> loadFileCamera(const std::vector<std::filesystem::path>& candidates, Clock& clock,
                                              const std::filesystem::path& video, bool loop) {
  if (candidates.empty()) unavailable("no place to look for " KESTREL_FILE_CAMERA_MODULE);
  std::filesystem::path module = candidates.back();
  std::error_code error;
  for (const auto& candidate : candidates) {
    if (std::filesystem::exists(candidate, error)) {
      module = candidate;
      break;
    }
  }
  // Never closed: the camera's code, its threads and its vtable live in the module.
  void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) unavailable(loaderError());
  ::dlerror();
  auto* make = reinterpret_cast<FileCameraFactory>(::dlsym(handle, fileCameraFactoryName));
  if (make == nullptr) {
    const std::string reason = loaderError();
    ::dlclose(handle);
    unavailable(reason);
  }
  std::unique_ptr<CaptureDevice> camera(make(clock, video.c_str(), loop));
  if (!camera) unavailable(module.string() + ": no camera was made");
  return camera;
}

}  // namespace kestrel
