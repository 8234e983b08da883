#include "vision/model_store.hpp"

#include <cstdlib>
#include <optional>

#include "core/base/sha256.hpp"
#include "vision/depthwise_convolution.hpp"
#include "vision/model_hashes.hpp"
#include "vision/vision_error.hpp"

namespace kestrel {

namespace {

std::optional<std::filesystem::path> environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::filesystem::path(value);
}

}  // namespace

std::filesystem::path defaultModelFolder() {
  if (auto configured = environment("KESTREL_MODELS")) return *configured;
  const auto data = environment("XDG_DATA_HOME").value_or(environment("HOME").value_or("/") / ".local" / "share");
  return data / "Kestrel" / "models";
}

cv::dnn::Net loadModel(const std::filesystem::path& folder, const std::string& name) {
  const auto pinned = pinnedModelHash(name);
  const auto path = folder / name;
  const auto actual = sha256OfFile(path);
  if (!pinned || !actual || *actual != *pinned) {
    throw VisionError(visionModelsMissingMessage);
  }
  try {
    cv::dnn::Net net;
    {
      const FastDepthwiseScope fastDepthwise;
      net = cv::dnn::readNetFromONNX(path.string());
    }
    if (net.empty()) throw VisionError(visionModelsMissingMessage);
    net.setPreferableBackend(cv::dnn::DNN_BACKEND_OPENCV);
    net.setPreferableTarget(cv::dnn::DNN_TARGET_CPU);
    return net;
  } catch (const cv::Exception&) {
    throw VisionError(visionModelsMissingMessage);
  }
}

}  // namespace kestrel
