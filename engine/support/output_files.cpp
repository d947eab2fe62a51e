// Fresh files and the warning channel.
// Takes a channel and a file name, or the model's name; produces the open
// channel, or the " File cannot be opened" error naming the file.
#include "support/output_files.h"

#include <string>

#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/text_routines.h"

namespace kelvo {

void reset_output_channels(Engine& e) {
  ReportState& r = e.rep;
  r.out_unit = io::k_console_out;
  r.out_unit_save = io::k_console_out;
  r.prog_unit = 8;
  r.result_file_open = false;
}

bool open_or_delete_file(Engine& e, int unit, std::string_view name) {
  const std::string path(trim_blanks(name));
  if (io::Channels::exists(path)) io::Channels::remove_file(path);
  if (e.ch.open_new(unit, path)) return true;
  flag_error_without_hint(e, unopened_file_message(path));
  return false;
}

std::string unopened_file_message(std::string_view name) {
  return " File cannot be opened: " + std::string(trim_blanks(name));
}

int open_wrn_file(Engine& e) {
  const int unit = e.ctl.unit_base + io::offset::wrn;
  if (!e.ctl.wrn_open) {
    e.ch.open_new(unit, model_file_name(e, "WRN"));
    e.ctl.wrn_open = true;
  }
  return unit;
}

int open_warning_unit(Engine& e) { return e.ctl.java_mode ? open_wrn_file(e) : open_error_unit(e); }

}  // namespace kelvo
