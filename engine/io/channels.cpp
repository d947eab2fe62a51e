// Numbered channels over C streams and the console.
// Takes channel numbers and file names; reads lines (CR stripped, end of
// file distinct from error, bounded length) and writes records with '\n'
// line ends, noting every output that is lost.
#include "io/channels.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace kelvo::io {

namespace {
constexpr std::size_t k_read_chunk = 1 << 14;
}  // namespace

Channels::Channels() : in_(&std::cin), out_(&std::cout), err_(&std::cerr) {
  last_console_line_.reserve(256);  // a console line is kept without allocating while a model runs
}

// The files are closed; the console streams are not touched, because the
// streams a test attached may be gone already (close_all flushes them).
Channels::~Channels() {
  for (int u = 0; u <= k_max_unit; ++u) {
    if (u != k_console_in && u != k_console_out) close(u);
  }
}

void Channels::attach_console(std::istream* in, std::ostream* out) {
  in_ = in;
  out_ = out;
}

bool Channels::open_mode(int unit, std::string_view path, const char* mode, bool writing) {
  if (!valid(unit) || unit == k_console_in || unit == k_console_out) return false;
  close(unit);
  const std::string p(path);
  if (p.empty()) return false;
  errno = 0;
  std::FILE* f = std::fopen(p.c_str(), mode);
  if (f == nullptr) {
    if (writing) {
      const int error_number = errno;
      Channel lost;
      report_lost(lost, p, error_number);
    }
    return false;
  }
  if (writing) std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
  Channel& c = ch_[static_cast<std::size_t>(unit)];
  c = Channel{};
  c.file = f;
  c.path = p;
  c.writing = writing;
  return true;
}

bool Channels::open_read(int unit, std::string_view path) {
  // Only a regular file is a model or a data file: a directory opens
  // under fopen on Linux but cannot be read, and a device or a pipe may
  // never end.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::string(path), ec)) return false;
  return open_mode(unit, path, "rb", false);
}

void Channels::report_lost(Channel& c, const std::string& path, int error_number) {
  output_lost_ = true;
  if (c.failed) return;
  c.failed = true;
  name_lost(path, error_number != 0 ? std::strerror(error_number) : "write failed");
}

void Channels::name_lost(const std::string& path, std::string_view reason) {
  output_lost_ = true;
  // One line per file, however often the engine tries it again.
  if (lost(path)) return;
  lost_paths_.push_back(path);
  if (err_ == nullptr) return;
  *err_ << " Output lost: " << (path.empty() ? std::string("(no name)") : path) << ": " << reason << '\n';
  err_->flush();
}

bool Channels::lost(std::string_view path) const {
  return std::find(lost_paths_.begin(), lost_paths_.end(), path) != lost_paths_.end();
}

void Channels::report_not_written(std::string_view path, std::string_view lost_source) {
  name_lost(std::string(path), "not written, as " + std::string(lost_source) + " was lost");
}

void Channels::write_error_stream(std::string_view text) {
  if (err_ == nullptr) return;
  err_->write(text.data(), static_cast<std::streamsize>(text.size()));
  err_->put('\n');
  err_->flush();
}

void Channels::check_console() {
  if (out_ == nullptr || console_failed_ || !out_->fail()) return;
  console_failed_ = true;
  Channel console;
  report_lost(console, "standard output", 0);
}

bool Channels::open_new(int unit, std::string_view path) { return open_mode(unit, path, "wb", true); }

bool Channels::open_append(int unit, std::string_view path) { return open_mode(unit, path, "ab", true); }

bool Channels::reopen_new(int unit, std::string_view path) {
  if (!valid(unit)) return false;
  Channel& c = ch_[static_cast<std::size_t>(unit)];
  if (c.file == nullptr || !c.writing || c.path != path) return open_new(unit, path);
  errno = 0;
  if (std::fflush(c.file) != 0) report_lost(c, c.path, errno);
  std::error_code ec;
  std::filesystem::resize_file(c.path, 0, ec);
  if (ec) report_lost(c, c.path, ec.value());
  std::rewind(c.file);
  return true;
}

void Channels::close(int unit) {
  if (!valid(unit)) return;
  if (unit == k_console_out && out_ != nullptr) {
    out_->flush();
    check_console();
  }
  Channel& c = ch_[static_cast<std::size_t>(unit)];
  if (c.file != nullptr) {
    errno = 0;
    const bool flushed = !c.writing || std::fflush(c.file) == 0;
    const int flush_error = errno;
    errno = 0;
    const bool closed = std::fclose(c.file) == 0;
    if (c.writing && (!flushed || !closed)) report_lost(c, c.path, flushed ? errno : flush_error);
  }
  c = Channel{};
}

void Channels::close_delete(int unit) {
  if (!valid(unit)) return;
  const std::string path = ch_[static_cast<std::size_t>(unit)].path;
  const bool had = ch_[static_cast<std::size_t>(unit)].file != nullptr;
  close(unit);
  if (had && !path.empty()) remove_file(path);
}

bool Channels::is_open(int unit) const {
  if (unit == k_console_in || unit == k_console_out) return true;
  return valid(unit) && ch_[static_cast<std::size_t>(unit)].file != nullptr;
}

bool Channels::rewind(int unit) {
  if (!valid(unit)) return false;
  Channel& c = ch_[static_cast<std::size_t>(unit)];
  if (c.file == nullptr) return false;
  std::rewind(c.file);
  c.buffer.clear();
  c.next = 0;
  c.at_end = false;
  c.read_error = false;
  return true;
}

bool Channels::fill(Channel& c) {
  if (c.at_end || c.read_error) return false;
  c.buffer.resize(k_read_chunk);
  const std::size_t n = std::fread(c.buffer.data(), 1, k_read_chunk, c.file);
  c.buffer.resize(n);
  c.next = 0;
  if (n < k_read_chunk) {
    if (std::ferror(c.file)) c.read_error = true;
    c.at_end = true;
  }
  return n > 0;
}

void Channels::watch_skipping(SkipWatch watch, void* context) {
  skip_watch_ = watch;
  skip_context_ = context;
}

ReadStatus Channels::read_file_line(Channel& c, std::string& line) {
  bool any = false;
  for (;;) {
    if (c.next >= c.buffer.size()) {
      if (line.size() >= k_max_line_keep && skip_watch_ != nullptr) skip_watch_(skip_context_);
      if (!fill(c)) {
        if (c.read_error) return ReadStatus::error;
        return any ? ReadStatus::ok : ReadStatus::end_of_file;
      }
    }
    any = true;
    const char* from = c.buffer.data() + c.next;
    const std::size_t left = c.buffer.size() - c.next;
    const void* nl = std::memchr(from, '\n', left);
    const std::size_t len = nl != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nl) - from) : left;
    if (line.size() < k_max_line_keep) line.append(from, std::min(len, k_max_line_keep - line.size()));
    c.next += nl != nullptr ? len + 1 : len;
    if (nl != nullptr) return ReadStatus::ok;
  }
}

ReadStatus Channels::read_console_line(std::string& line) {
  if (in_ == nullptr) return ReadStatus::end_of_file;
  if (out_ != nullptr) out_->flush();
  bool any = false;
  char ch = 0;
  while (in_->get(ch)) {
    any = true;
    if (ch == '\n') return ReadStatus::ok;
    if (line.size() < k_max_line_keep) line += ch;
  }
  if (in_->bad()) return ReadStatus::error;
  return any ? ReadStatus::ok : ReadStatus::end_of_file;
}

ReadStatus Channels::read_line(int unit, std::string& line) {
  line.clear();
  ReadStatus status = ReadStatus::error;
  if (unit == k_console_in) {
    status = read_console_line(line);
  } else if (valid(unit)) {
    Channel& c = ch_[static_cast<std::size_t>(unit)];
    if (c.file != nullptr && !c.writing) status = read_file_line(c, line);
  }
  if (status != ReadStatus::ok) return status;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return ReadStatus::ok;
}

bool Channels::write(int unit, std::string_view text) {
  if (unit == k_console_out) {
    if (out_ == nullptr) return false;
    out_->write(text.data(), static_cast<std::streamsize>(text.size()));
    out_->put('\n');
    check_console();
    const std::size_t nl = text.rfind('\n');
    const std::string_view last = nl == std::string_view::npos ? text : text.substr(nl + 1);
    if (last.find_first_not_of(' ') != std::string_view::npos) last_console_line_.assign(last);
    return true;
  }
  if (!valid(unit)) return false;
  Channel& c = ch_[static_cast<std::size_t>(unit)];
  if (c.file == nullptr || !c.writing) return false;
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), c.file) == text.size() && std::fputc('\n', c.file) != EOF;
  if (!written) report_lost(c, c.path, errno);
  return written;
}

bool Channels::write_bytes(int unit, std::string_view bytes) {
  if (!valid(unit) || unit == k_console_out) return false;
  Channel& c = ch_[static_cast<std::size_t>(unit)];
  if (c.file == nullptr || !c.writing) return false;
  errno = 0;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), c.file) == bytes.size();
  if (!written) report_lost(c, c.path, errno);
  return written;
}

bool Channels::read_whole_file(std::string_view path, std::string& bytes, std::size_t limit) {
  bytes.clear();
  std::error_code ec;
  const std::string p(path);
  if (!std::filesystem::is_regular_file(p, ec)) return false;
  const auto size = std::filesystem::file_size(p, ec);
  if (ec || size > limit) return false;
  std::FILE* f = std::fopen(p.c_str(), "rb");
  if (f == nullptr) return false;
  bytes.resize(static_cast<std::size_t>(size));
  const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
  const bool ok = n == bytes.size() && std::fgetc(f) == EOF && !std::ferror(f);
  std::fclose(f);
  return ok;
}

void Channels::flush_all() {
  if (out_ != nullptr) {
    out_->flush();
    check_console();
  }
  for (Channel& c : ch_) {
    if (c.file == nullptr || !c.writing) continue;
    errno = 0;
    if (std::fflush(c.file) != 0) report_lost(c, c.path, errno);
  }
}

void Channels::close_all() {
  if (out_ != nullptr) {
    out_->flush();
    check_console();
  }
  for (int u = 0; u <= k_max_unit; ++u) close(u);
}

bool Channels::exists(std::string_view path) {
  if (path.empty()) return false;
  std::error_code ec;
  return std::filesystem::exists(std::string(path), ec);
}

bool Channels::remove_file(std::string_view path) {
  std::error_code ec;
  return std::filesystem::remove(std::string(path), ec);
}

}  // namespace kelvo::io
