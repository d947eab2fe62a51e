// Numbered file channels.
// Channel 5 reads the console and 6 writes it; work files sit at
// unit_base (15) plus a fixed offset; a few fixed channels (9, 27, 28)
// stand alone. Every byte the engine reads or writes passes here, so this
// is where lost output is seen: a file that cannot be opened to write, a
// failed write, flush or close is named on standard error (once per file)
// and remembered, and the engine then ends with status 2.
#pragma once

#include <array>
#include <cstdio>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "io/fixed_format.h"

namespace kelvo::io {

inline constexpr int k_console_in = 5;
inline constexpr int k_console_out = 6;
inline constexpr int k_max_unit = 127;
// The model's animation trace file: a fixed channel, not relative to the
// work-file base.
inline constexpr int k_atf_unit = 9;

// Offsets of the work files from the work-file base (unit_base, 15).
namespace offset {
inline constexpr int seed_work = -1;   // "qswrefgq.tmp": second-generator seeding
inline constexpr int mainfile = 1;     // "mainfile": the model's statements for the front end
inline constexpr int parsefile = 2;    // "parsefile": the parse records
inline constexpr int matrix = 3;       // the model's matrix file (FRM) and the files MATRE reads
inline constexpr int frame_texts = 4;  // the model's FRM file of matrix form texts
inline constexpr int menu = 4;         // the model's menu file (MNU); form texts are written on the console only
inline constexpr int merged = 5;       // the matrix file merged with the menu texts (CSV)
inline constexpr int data_file = 7;    // a data file the translator reads (function data, "program.nam")
inline constexpr int edit = 8;         // "zwxyq.edt": the model to edit
inline constexpr int command = 9;      // "zwxyq": a calling program's command
inline constexpr int graph = 11;       // the graph file
inline constexpr int java = 13;        // "zwxyq.jav": the front end's command
inline constexpr int ans = 14;         // the model's ANS file (GENERATE F operands)
inline constexpr int input_data = 15;  // the INPUT data file
inline constexpr int err = 24;         // the model's ERR file
inline constexpr int exp = 26;         // the model's EXP section (16 + its kind would be the ERR file's)
inline constexpr int layout = 30;      // the model's layout file
inline constexpr int wrn = 55;         // the model's WRN file
inline constexpr int graph_first = 60; // graph g (1..10) of the GRAPH statements on graph_first + g
inline constexpr int text_insert = 71; // the model's text insert file (GTEXT)
}  // namespace offset
// Characters of a line that a read keeps; the rest of a longer line is
// skipped, so a file without line ends is read in bounded memory.
inline constexpr std::size_t k_max_line_keep = 4096;

enum class ReadStatus { ok, end_of_file, error };

class Channels {
 public:
  Channels();
  ~Channels();
  Channels(const Channels&) = delete;
  Channels& operator=(const Channels&) = delete;

  // The console streams; by default the process's standard input and
  // output. Tests attach string streams.
  void attach_console(std::istream* in, std::ostream* out);
  // Where lost output is reported (standard error by default).
  void attach_error_stream(std::ostream* err) { err_ = err; }

  // Opens an existing regular file to read (a directory, device or pipe
  // is refused). False when it cannot be opened.
  bool open_read(int unit, std::string_view path);
  // Opens a file anew (created or truncated) to write.
  bool open_new(int unit, std::string_view path);
  // Opens a file to write at its end (created when missing).
  bool open_append(int unit, std::string_view path);
  // As open_new; but when the channel is still open to write on that same
  // file, the file is emptied and written again from its start without
  // being closed (a file closed after it was emptied may be forced to disk
  // by the file system, which makes rewriting it over and over slow).
  bool reopen_new(int unit, std::string_view path);
  void close(int unit);
  // Closes the channel and deletes its file.
  void close_delete(int unit);
  bool is_open(int unit) const;
  // The file name a channel was opened on ("" for the console or a
  // closed channel).
  // Reading restarts at the beginning of the file.
  bool rewind(int unit);

  // Reads one line without its line end; a trailing carriage return is
  // stripped; at most k_max_line_keep characters are kept. A read on a
  // channel that is not open is an error.
  ReadStatus read_line(int unit, std::string& line);
  // Called with `context` for each block of a file that a read passes
  // over while it skips the rest of a long line, so that a line of
  // gigabytes still lets the caller look at the clock; the watch may end
  // the engine (its stop unwinds through the read).
  using SkipWatch = void (*)(void* context);
  void watch_skipping(SkipWatch watch, void* context);

  // Writes text and a line end. Text may hold record breaks ('\n').
  // A write to a channel that is not open writes nothing and returns
  // false: it never creates a file.
  bool write(int unit, std::string_view text);
  bool write(int unit, const Rec& rec) { return write(unit, rec.str()); }
  // Writes bytes as they stand (no line end added).
  bool write_bytes(int unit, std::string_view bytes);

  void flush_all();
  // Flushes and closes every channel (the console streams are flushed).
  void close_all();

  // One line on the error stream (standard error), for what no file can
  // carry.
  void write_error_stream(std::string_view text);
  // The last line with something in it written to the console: the
  // question a console read answers.
  const std::string& last_console_line() const { return last_console_line_; }

  // Some output was lost (a file could not be opened to write, written,
  // flushed or closed): the engine's exit status is then 2.
  bool output_lost() const { return output_lost_; }
  // The file has been named as lost.
  bool lost(std::string_view path) const;
  // A file that is not written because the file it is made from was lost
  // is named as lost too.
  void report_not_written(std::string_view path, std::string_view lost_source);

  // The whole of a regular file of at most `limit` bytes, as it stands;
  // false when it cannot be read or is larger.
  static bool read_whole_file(std::string_view path, std::string& bytes, std::size_t limit);

  static bool exists(std::string_view path);
  static bool remove_file(std::string_view path);

 private:
  struct Channel {
    std::FILE* file = nullptr;
    std::string path;
    bool writing = false;
    bool failed = false;       // a write failure has been reported
    std::string buffer;        // read-ahead of a reading channel
    std::size_t next = 0;      // first unread character of buffer
    bool at_end = false;       // the file has no more to read
    bool read_error = false;   // reading the file failed
  };
  bool valid(int unit) const { return unit >= 0 && unit <= k_max_unit; }
  bool open_mode(int unit, std::string_view path, const char* mode, bool writing);
  // Refills a reading channel's buffer; false at end of file or error.
  bool fill(Channel& c);
  ReadStatus read_file_line(Channel& c, std::string& line);
  ReadStatus read_console_line(std::string& line);
  // Names the file and the reason on the error stream (once per channel).
  void report_lost(Channel& c, const std::string& path, int error_number);
  // Names the file with the reason (once per file).
  void name_lost(const std::string& path, std::string_view reason);
  void check_console();

  std::array<Channel, k_max_unit + 1> ch_{};
  std::istream* in_;
  std::ostream* out_;
  std::ostream* err_;
  bool output_lost_ = false;
  bool console_failed_ = false;
  std::vector<std::string> lost_paths_;  // files already named as lost
  std::string last_console_line_;
  SkipWatch skip_watch_ = nullptr;
  void* skip_context_ = nullptr;
};

}  // namespace kelvo::io
