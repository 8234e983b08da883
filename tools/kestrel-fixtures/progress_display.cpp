#include "tools/kestrel-fixtures/progress_display.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace kestrel::fixtures {

namespace {

constexpr auto redrawEvery = std::chrono::milliseconds(100);
constexpr int widestBar = 40;
constexpr int narrowestBar = 10;

int terminalColumns() {
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace

ProgressDisplay::ProgressDisplay(std::string label, std::optional<std::int64_t> total)
    : label_(std::move(label)),
      progress_{0, total, 0, "frames"},
      terminal_(::isatty(STDERR_FILENO) == 1),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {
  if (terminal_) draw(progress_);
}

ProgressDisplay::~ProgressDisplay() {
  if (drawn_) std::fputs("\r\x1b[K", stderr);
}

void ProgressDisplay::advance() {
  ++progress_.done;
  if (!terminal_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastDraw_ < redrawEvery) return;
  lastDraw_ = now;
  progress_.elapsed = std::chrono::duration<double>(now - start_).count();
  draw(progress_);
}

Progress ProgressDisplay::finish() {
  progress_.elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  if (drawn_) {
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
  }
  return progress_;
}

void ProgressDisplay::draw(const Progress& progress) {
  // The bar takes what the line leaves of the terminal's width, within limits; the room
  // for the numbers is that of the widest they will be, so the bar keeps its width.
  // (a rate of hundreds a second and hours to go).
  const std::int64_t count = std::max<std::int64_t>(progress.total.value_or(progress.done), 1);
  const Progress widest{count, progress.total, static_cast<double>(count) / 999.9, progress.unit};
  const int rest = static_cast<int>(label_.size() + 1 + widest.line(0).size() + 3);
  const int bar = std::clamp(terminalColumns() - rest - 1, narrowestBar, widestBar);
  const std::string text = "\r" + label_ + " " + progress.line(bar) + "\x1b[K";
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace kestrel::fixtures
