#include "app/data_folder.hpp"

#include <sys/stat.h>

#include <system_error>

namespace kestrel {

namespace fs = std::filesystem;

std::optional<std::string> secureDataFolder(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return "data folder not created: " + error.message();
  constexpr auto others = fs::perms::group_all | fs::perms::others_all;
  std::int64_t folders = 0;
  std::int64_t files = 0;
  const auto tighten = [&](const fs::path& path, fs::perms wanted, std::int64_t& count) {
    std::error_code statusError;
    const fs::file_status status = fs::symlink_status(path, statusError);
    if (statusError || (status.permissions() & others) == fs::perms::none) return;
    fs::permissions(path, wanted, statusError);
    if (!statusError) ++count;
  };
  tighten(folder, fs::perms::owner_all, folders);
  for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error)) {
    if (it->is_symlink()) continue;
    if (it->is_directory()) {
      tighten(it->path(), fs::perms::owner_all, folders);
    } else if (it->is_regular_file()) {
      tighten(it->path(), fs::perms::owner_read | fs::perms::owner_write, files);
    }
  }
  if (error) return "data folder not fully checked: " + error.message();
  if (folders == 0 && files == 0) return std::nullopt;
  return "data folder permissions tightened folders=" + std::to_string(folders) + " files=" + std::to_string(files);
}

std::optional<std::string> keepDamaged(const fs::path& file, bool damaged) {
  if (!damaged) return std::nullopt;
  fs::path kept = file;
  kept += ".corrupt";
  std::error_code error;
  fs::copy_file(file, kept, fs::copy_options::overwrite_existing, error);
  if (error) return "damaged " + file.filename().string() + " not kept: " + error.message();
  return "damaged " + file.filename().string() + " kept as " + kept.filename().string();
}

}  // namespace kestrel
