#pragma once

#include <filesystem>
#include <opencv2/dnn.hpp>
#include <string>

namespace kestrel {

// Where the analyzer's models are: $KESTREL_MODELS when set and not empty, else
// Kestrel/models in $XDG_DATA_HOME (~/.local/share when unset or empty), where the set-up
// installs them.
std::filesystem::path defaultModelFolder();

// Loads one model of the folder after checking its SHA-256 against the value pinned for
// it. VisionError with visionModelsMissingMessage when the file is absent, unreadable,
// altered or not loadable.
cv::dnn::Net loadModel(const std::filesystem::path& folder, const std::string& name);

}  // namespace kestrel
