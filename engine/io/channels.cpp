// Numbered channels over C streams and the console.
// Takes channel numbers and file names; reads lines (CR stripped, end of
// file distinct from error) and writes records with '\n' line ends.
#include "io/channels.h"

#include <filesystem>
#include <iostream>
#include <system_error>

namespace kelvo::io {

namespace {
}

Channels::Channels() : in_(&std::cin), out_(&std::cout) {}

Channels::~Channels() { close_all(); }

void Channels::attach_console(std::istream* in, std::ostream* out) {
  in_ = in;
  out_ = out;
}

bool Channels::open_mode(int unit, std::string_view path, const char* mode, bool writing) {
  if (!valid(unit) || unit == k_console_in || unit == k_console_out) return false;
  close(unit);
  const std::string p(path);
  if (p.empty()) return false;
  std::FILE* f = std::fopen(p.c_str(), mode);
  if (f == nullptr) return false;
  if (writing) std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
  ch_[static_cast<std::size_t>(unit)] = Channel{f, p, writing};
  return true;
}

bool Channels::open_read(int unit, std::string_view path) {
  // A directory opens under fopen on Linux but cannot be read.
  std::error_code ec;
  if (std::filesystem::is_directory(std::string(path), ec)) return false;
  return open_mode(unit, path, "rb", false);
}

bool Channels::open_new(int unit, std::string_view path) { return open_mode(unit, path, "wb", true); }

bool Channels::open_append(int unit, std::string_view path) { return open_mode(unit, path, "ab", true); }

void Channels::close(int unit) {
  if (!valid(unit)) return;
  if (unit == k_console_out && out_ != nullptr) out_->flush();
  Channel& c = ch_[static_cast<std::size_t>(unit)];
  if (c.file != nullptr) std::fclose(c.file);
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
  return true;
}

ReadStatus Channels::read_line(int unit, std::string& line) {
  line.clear();
  if (unit == k_console_in) {
    if (in_ == nullptr) return ReadStatus::end_of_file;
    if (out_ != nullptr) out_->flush();
    if (!std::getline(*in_, line)) {
      return in_->bad() ? ReadStatus::error : ReadStatus::end_of_file;
    }
  } else {
    if (!valid(unit)) return ReadStatus::error;
    Channel& c = ch_[static_cast<std::size_t>(unit)];
    if (c.file == nullptr || c.writing) return ReadStatus::error;
    bool any = false;
    for (;;) {
      const int ch = std::getc(c.file);
      if (ch == EOF) {
        if (std::ferror(c.file)) return ReadStatus::error;
        if (!any) return ReadStatus::end_of_file;
        break;
      }
      any = true;
      if (ch == '\n') break;
      line += static_cast<char>(ch);
    }
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return ReadStatus::ok;
}

bool Channels::write(int unit, std::string_view text) {
  if (unit == k_console_out) {
    if (out_ == nullptr) return false;
    out_->write(text.data(), static_cast<std::streamsize>(text.size()));
    out_->put('\n');
    return true;
  }
  if (!valid(unit)) return false;
  Channel& c = ch_[static_cast<std::size_t>(unit)];
  if (c.file == nullptr || !c.writing) return false;
  std::fwrite(text.data(), 1, text.size(), c.file);
  std::fputc('\n', c.file);
  return true;
}

void Channels::flush_all() {
  if (out_ != nullptr) out_->flush();
  for (Channel& c : ch_) {
    if (c.file != nullptr && c.writing) std::fflush(c.file);
  }
}

void Channels::close_all() {
  if (out_ != nullptr) out_->flush();
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
