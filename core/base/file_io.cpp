#include "core/base/file_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "core/base/json_text.hpp"

namespace kestrel {

namespace {

[[noreturn]] void failWith(int error, const std::string& what) {
  throw std::system_error(error, std::generic_category(), what);
}

// Closes the descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Writes all bytes, resuming after interruptions and short writes; the errno of a failure.
int writeAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

}  // namespace

std::optional<std::size_t> readFileInto(const std::filesystem::path& path,
                                        const std::function<char*(std::size_t)>& buffer) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  const auto size = static_cast<std::size_t>(info.st_size);
  char* data = buffer(size);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(file.get(), data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
  std::string content;
  const auto size = readFileInto(path, [&content](std::size_t n) {
    content.resize(n);
    return content.data();
  });
  if (!size) return std::nullopt;
  content.resize(*size);
  return content;
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) about `"." + name`.
  std::string leaf(1, '.');
  leaf.append(path.filename().native()).append(".XXXXXX");
  std::string pattern = (folder / leaf).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) failWith(errno, "cannot create a temporary file beside " + path.string());
  const std::string temporary(name.data());

  int error = writeAll(fd, bytes);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    failWith(error, "cannot write " + path.string());
  }
}

void writeJSON(const Json& value, const std::filesystem::path& path) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  writeFileAtomically(path, indentedJSON(value));
}

}  // namespace kestrel
