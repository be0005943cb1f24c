// A progress bar on a terminal, shown once a render has run for a second.
#pragma once

#include <chrono>
#include <ostream>
#include <string>

namespace vxhost {

class ProgressBar {
 public:
  ProgressBar(std::ostream& err, bool enabled, std::string label)
      : err_(err), enabled_(enabled), label_(std::move(label)), start_(Clock::now()) {}
  ~ProgressBar() { finish(); }
  void update(long done, long total);
  // Ends the bar's line, if one was drawn.
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr int Width = 30;
  static constexpr const char* ClearToEndOfLine = "\033[K";
  std::ostream& err_;
  bool enabled_;
  std::string label_;
  Clock::time_point start_;
  bool drawn_ = false;
};

inline void ProgressBar::update(long done, long total) {
  if (!enabled_ || total <= 0) return;
  double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
  if (seconds < 1.0 && !drawn_) return;
  int filled = (int)(Width * done / total);
  err_ << "\r" << label_ << " [" << std::string(filled, '#') << std::string(Width - filled, ' ')
       << "] " << done << "/" << total;
  if (done > 0 && done < total) err_ << "  " << (long)(seconds * (total - done) / done) << " s left";
  err_ << ClearToEndOfLine;
  err_.flush();
  drawn_ = true;
}

inline void ProgressBar::finish() {
  if (drawn_) err_ << "\n";
  drawn_ = false;
}

}  // namespace vxhost
