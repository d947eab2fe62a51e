// Report state: the channel every report line goes to, the result file,
// the 78-column report line with its fill count and the switches of the
// standard report and its section files. Written by the report routines
// (engine/runtime/) and by the translation pass, which switches the
// listing and the results between the console and the result file;
// out_line and out_col live for the whole process.
#pragma once

#include <array>

#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

struct ReportState {
  // --- output channels: reset_output_channels before each pass over a model ---
  // Channel of the listing and all report lines (6 console, prog_unit the
  // result file). Translation pass and report sections.
  int out_unit = 6;
  // Channel of the result file.
  int prog_unit = 8;
  // The result file has been opened in this process (opened only once).
  bool result_file_open = false;
  // Channel of the console messages while out_unit is the result file.
  int out_unit_save = 6;
  // No standard report when a START has no B operand (optimization runs).
  bool optimization_flag = false;
  std::array<char, k_out_line_cols + 1> out_line{};  // columns 1..80 (index 0 unused)
  int4 out_col = 0;            // columns filled (0: empty line)
  bool report_flag = false;    // echo report lines to the console
  bool console_echo = false;   // echo switched on by the first file line
  bool million_mode = false;   // the real writer shows millions (one call)
  bool atf_program_flag = false;  // output switched to the animation file
  bool new_section_files = false;  // every run opens its section files anew
  bool skip_next_pause = false;    // the next report starts without a pause
  bool list_future_events = false; // report ends with the future events
  int4 print_line_open = 0;    // PRINT keeps its line open (-1) or not (0)
  int4 report_decimals = 2;    // decimals of report values (DECIMA); 2 at reset_model_state. Nothing reads it
  bool print_state = false;    // a PRINT line is being built
  // A PRINT block writes a report section: under the front end it goes to
  // the PRINT result file, not to the section's file. Set for the section.
  bool print_section_output = false;

  ReportState() { out_line.fill(' '); }
};

}  // namespace kelvo
