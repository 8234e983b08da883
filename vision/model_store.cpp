#include "vision/model_store.hpp"

#include <cstdlib>

#include "core/sha256.hpp"
#include "vision/model_hashes.hpp"
#include "vision/vision_error.hpp"

namespace kestrel {

std::filesystem::path defaultModelFolder() {
  const char* configured = std::getenv("KESTREL_MODELS");
  if (configured != nullptr && *configured != '\0') return configured;
  return KESTREL_MODELS_DIR;
}

cv::dnn::Net loadModel(const std::filesystem::path& folder, const std::string& name) {
  const auto pinned = pinnedModelHash(name);
  const auto path = folder / name;
  const auto actual = sha256OfFile(path);
  if (!pinned || !actual || *actual != *pinned) {
    throw VisionError(visionModelsMissingMessage);
  }
  try {
    cv::dnn::Net net = cv::dnn::readNetFromONNX(path.string());
    if (net.empty()) throw VisionError(visionModelsMissingMessage);
    net.setPreferableBackend(cv::dnn::DNN_BACKEND_OPENCV);
    net.setPreferableTarget(cv::dnn::DNN_TARGET_CPU);
    return net;
  } catch (const cv::Exception&) {
    throw VisionError(visionModelsMissingMessage);
  }
}

}  // namespace kestrel
