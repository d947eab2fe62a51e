// The captured output of the Java program: the tail buffer of its latest
// 8191 characters, the reader of the launcher's output pipe that fills it
// line by line, and the closing of that pipe.
#ifndef SRVLAUNCH_OUTPUT_TAIL_H
#define SRVLAUNCH_OUTPUT_TAIL_H

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace srvlaunch {

constexpr std::size_t kOutputTailSize = 8192;  // 8191 characters and a NUL

// Appends text to the tail, dropping the oldest whole lines when it would
// not fit (the whole tail when no line end frees enough). Always true.
bool WriteLogOutput(const char* text, std::size_t length);
// A copy of the tail.
std::string OutputTailText();
// The tail's text; the tail is emptied.
std::string TakeOutputTail();

// Cuts what arrives through the pipe into lines for the tail: every complete
// line (with its line feed) is passed on; 1024 bytes without a line feed are
// passed on as they are.
class PipeLineSplitter {
 public:
  static constexpr std::size_t kBufferSize = 1024;
  explicit PipeLineSplitter(std::function<void(std::string_view)> sink) : sink_(std::move(sink)) {}
  // The free part of the buffer, to be filled by a read.
  char* FreeSpace() { return buffer_ + used_; }
  std::size_t FreeSize() const { return kBufferSize - used_; }
  // Takes `n` bytes just written into FreeSpace().
  void Commit(std::size_t n);
  // Bytes of an unfinished line still held.
  std::size_t HeldBytes() const { return used_; }

 private:
  std::function<void(std::string_view)> sink_;
  char buffer_[kBufferSize] = {};
  std::size_t used_ = 0;
};

// Starts the reader thread; false when it cannot be started.
bool StartPipeReader();
// When the pipe is open: lets the reader take what is waiting, waits a
// bounded time for it to end, and closes the pipe.
void ClosePipeAndWait();

}  // namespace srvlaunch

#endif
