#include "core/log/check_log_store.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>
#include <system_error>


namespace kestrel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view checkMarker = R"("type":"check")";
constexpr std::string_view eventMarker = R"("type":"event")";
constexpr std::string_view dayFileExtension = ".jsonl";

// Whether the marker occurs in the line. Searched from the end: in lines written with sorted
// keys "type" is among the last keys, so a line of the kind sought is recognised after a few
// hundred bytes however long its lists are.
bool contains(std::string_view line, std::string_view marker) {
  if (line.size() < marker.size()) return false;
  const char first = marker.front();
  for (std::size_t at = line.size() - marker.size() + 1; at-- > 0;) {
    if (line[at] == first && line.compare(at, marker.size(), marker) == 0) return true;
  }
  return false;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);  // an error of closing changes nothing for the caller
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Calls `visit` with every non-empty line of a regular file (the bytes between line feeds), in
// order; false when the file cannot be opened or read, and then nothing is to be kept of what
// was visited. The file is read in windows of a fixed size that grow only for a longer line,
// so a day of tens of megabytes passes through little memory. Every line handed over is
// followed in memory by at least ScoreLineReader::padding readable bytes.
template <class Visit>
bool forEachLine(const fs::path& path, Visit visit) {
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return false;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;

  const std::size_t padding = ScoreLineReader::padding;
  std::size_t capacity = 64 * 1024;
  auto buffer = std::make_unique<char[]>(capacity + padding);
  std::size_t held = 0;  // bytes of a line not yet complete, at the front of the buffer
  for (;;) {
    if (held == capacity) {  // one line fills the window: make room for the rest of it
      auto larger = std::make_unique<char[]>(2 * capacity + padding);
      std::memcpy(larger.get(), buffer.get(), held);
      buffer = std::move(larger);
      capacity *= 2;
    }
    const ssize_t n = ::read(file.get(), buffer.get() + held, capacity - held);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    const std::size_t end = held + static_cast<std::size_t>(n);
    const bool atEnd = n == 0;
    std::size_t start = 0;
    for (;;) {
      const void* found = std::memchr(buffer.get() + start, '\n', end - start);
      if (found == nullptr) break;
      const auto stop = static_cast<std::size_t>(static_cast<const char*>(found) - buffer.get());
      if (stop > start) visit(std::string_view(buffer.get() + start, stop - start));
      start = stop + 1;
    }
    if (atEnd) {
      // The last line of a file that does not end with a line feed.
      if (end > start) {
        std::memset(buffer.get() + end, 0, padding);
        visit(std::string_view(buffer.get() + start, end - start));
      }
      return true;
    }
    std::memmove(buffer.get(), buffer.get() + start, end - start);
    held = end - start;
  }
}

template <class Line>
std::vector<Line> linesOfKind(const fs::path& file, std::string_view marker) {
  std::vector<Line> lines;
  // A line that is not valid UTF-8 fails to decode on its own; the lines around it stay.
  const bool read = forEachLine(file, [&](std::string_view piece) {
    if (!contains(piece, marker)) return;
    auto line = decodeText<Line>(piece);
    if (line && LogSchema::readable.contains(line->schema)) lines.push_back(std::move(*line));
  });
  if (!read) return {};
  return lines;
}


// Appends the bytes to the file, creating it when it does not exist. A partial write is cut
// back off so the file ends as it did; a file that ended without a line feed (after a crash
// half-way through a line) gets one first, so the new line stands on its own.
void appendToFile(const fs::path& path, std::string text) {
  // Opened for reading too, to look at the last byte; a file we may only write is appended
  // to without that look.
  int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  const Descriptor file(fd);
  if (file.get() < 0) throw std::system_error(errno, std::generic_category(), "cannot open " + path.string());
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) throw std::system_error(errno, std::generic_category(), "cannot inspect " + path.string());
  if (info.st_size > 0) {
    char last = '\n';
    if (::pread(file.get(), &last, 1, info.st_size - 1) == 1 && last != '\n') text.insert(text.begin(), '\n');
  }
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(file.get(), text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      if (done > 0 && S_ISREG(info.st_mode) && ::ftruncate(file.get(), info.st_size) != 0) {
        // The part written stays as a broken last line, which readers skip.
      }
      throw std::system_error(error, std::generic_category(), "cannot write " + path.string());
    }
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

fs::path CheckLogStore::fileURL(Instant at) const {
  return directory / (clock.dayName(at) + std::string(dayFileExtension));
}

void CheckLogStore::append(const CheckLine& line, Instant at) const { appendText(lineText(line), at); }

void CheckLogStore::append(const EventLine& line, Instant at) const { appendText(lineText(line), at); }

void CheckLogStore::appendText(std::string text, Instant at) const {
  fs::create_directories(directory);
  text.push_back('\n');
  appendToFile(fileURL(at), std::move(text));
}

std::vector<CheckLine> CheckLogStore::checkLines(Instant on) const {
  return linesOfKind<CheckLine>(fileURL(on), checkMarker);
}

std::vector<EventLine> CheckLogStore::eventLines(Instant on) const {
  return linesOfKind<EventLine>(fileURL(on), eventMarker);
}

DayLines CheckLogStore::dayLines(Instant on) const {
  DayLines day;
  ScoreLineReader reader;
  const bool read = forEachLine(fileURL(on), [&](std::string_view piece) {
    if (contains(piece, checkMarker)) {
      auto check = reader.read(piece);
      if (check && LogSchema::readable.contains(check->schema)) {
        day.checks.push_back(*check);
        return;
      }
    }
    if (contains(piece, eventMarker)) {
      auto event = decodeText<EventLine>(piece);
      if (event && LogSchema::readable.contains(event->schema)) day.events.push_back(std::move(*event));
    }
  });
  if (!read) return {};
  return day;
}

std::vector<std::string> CheckLogStore::prune(Instant now) const {
  std::error_code error;
  fs::directory_iterator it(directory, error);
  if (error) return {};
  const std::string cutoff = clock.dayName(now - static_cast<double>(retentionDays) * 86400);
  std::vector<std::string> chosen;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.ends_with(dayFileExtension) && name.substr(0, name.size() - dayFileExtension.size()) < cutoff) {
      chosen.push_back(name);
    }
  }
  if (error) return {};  // a listing cut short deletes nothing
  for (const std::string& name : chosen) fs::remove(directory / name, error);
  std::sort(chosen.begin(), chosen.end());
  return chosen;
}

}  // namespace kestrel
