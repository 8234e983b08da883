#pragma once

#include <filesystem>
#include <opencv2/dnn.hpp>
#include <string>

namespace kestrel {

// Where the analyzer's models are: $KESTREL_MODELS when set and not empty, else the
// folder the set-up installs into (models/ in the source tree unless the build says
// otherwise).
std::filesystem::path defaultModelFolder();

// Loads one model of the folder after checking its SHA-256 against the value pinned for
// it. VisionError with visionModelsMissingMessage when the file is absent, unreadable,
// altered or not loadable.
cv::dnn::Net loadModel(const std::filesystem::path& folder, const std::string& name);

}  // namespace kestrel
