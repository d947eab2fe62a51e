// The tail of the Java program's output and the output pipe reader.
#include "output_tail.h"

#include <cstdio>
#include <cstring>

#include "launcher_state.h"
#include "messages.h"
#include "platform/platform.h"

namespace srvlaunch {

namespace {

constexpr std::size_t kMaxTail = kOutputTailSize - 1;
// How long closing the pipe waits for the reader to finish.
constexpr int kReaderStopWaitMs = 5000;

char output_tail[kOutputTailSize] = {};
std::size_t output_tail_length = 0;

platform::Lock* TailLock() {
  static platform::Lock* lock = platform::CreateLock();
  return lock;
}

struct TailGuard {
  TailGuard() { platform::EnterLock(TailLock()); }
  ~TailGuard() { platform::LeaveLock(TailLock()); }
  TailGuard(const TailGuard&) = delete;
  TailGuard& operator=(const TailGuard&) = delete;
};

}  // namespace

bool WriteLogOutput(const char* text, std::size_t length) {
  // A text longer than the whole tail leaves only its own last characters.
  if (length > kMaxTail) {
    text += length - kMaxTail;
    length = kMaxTail;
  }
  {
    TailGuard guard;
    if (output_tail_length + length > kMaxTail) {
      // Drop the oldest text up to a line feed that frees at least `length`
      // characters; search only the filled part of the tail.
      std::size_t cut = output_tail_length;  // nothing found: empty the tail
      const std::size_t from = length > 0 ? length - 1 : 0;
      for (std::size_t i = from; i < output_tail_length; ++i) {
        if (output_tail[i] == '\n') {
          cut = i + 1;
          break;
        }
      }
      std::memmove(output_tail, output_tail + cut, output_tail_length - cut);
      output_tail_length -= cut;
    }
    std::memcpy(output_tail + output_tail_length, text, length);
    output_tail_length += length;
    output_tail[output_tail_length] = '\0';
  }
  if (state.service_mode) {
    std::fwrite(text, 1, length, stderr);
    std::fflush(stderr);
  }
  return true;
}

std::string OutputTailText() {
  TailGuard guard;
  return std::string(output_tail, output_tail_length);
}

std::string TakeOutputTail() {
  TailGuard guard;
  std::string text(output_tail, output_tail_length);
  output_tail_length = 0;
  output_tail[0] = '\0';
  return text;
}

void PipeLineSplitter::Commit(std::size_t n) {
  used_ += n;
  std::size_t start = 0;
  for (std::size_t i = 0; i < used_; ++i) {
    if (buffer_[i] == '\n') {
      sink_(std::string_view(buffer_ + start, i + 1 - start));
      start = i + 1;
    }
  }
  if (start > 0) {
    std::memmove(buffer_, buffer_ + start, used_ - start);
    used_ -= start;
  }
  if (used_ == kBufferSize) {
    sink_(std::string_view(buffer_, used_));
    used_ = 0;
  }
}

namespace {

// The thread routine that reads the output pipe into the tail.
void PipeReaderThread(void*) {
  PipeLineSplitter splitter([](std::string_view line) { WriteLogOutput(line.data(), line.size()); });
  for (;;) {
    const long n = platform::ReadOutputPipe(splitter.FreeSpace(), splitter.FreeSize());
    if (n < 0) {
      if (OutputTailText().empty()) ShowErrorWithReason(kRC0000050);
      return;
    }
    if (n == 0) return;  // an unfinished line is dropped
    splitter.Commit(static_cast<std::size_t>(n));
  }
}

}  // namespace

bool StartPipeReader() {
  state.pipe_reader = platform::StartThread(PipeReaderThread, nullptr);
  return state.pipe_reader != nullptr;
}

void ClosePipeAndWait() {
  if (!state.output_pipe_open) return;
  platform::StopOutputPipeReader();
  bool reader_ended = true;
  if (state.pipe_reader != nullptr) reader_ended = platform::WaitForThread(state.pipe_reader, kReaderStopWaitMs);
  // A reader that did not end in time may still use the pipe: it is left
  // open then, and only no longer counted as the launcher's.
  if (reader_ended) platform::CloseOutputPipe();
  state.output_pipe_open = false;
}

}  // namespace srvlaunch
