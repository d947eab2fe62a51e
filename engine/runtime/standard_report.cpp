// The standard report frame: order of the sections, pauses, clock lines,
// block counts, the block-count file and the section files of the front
// end. Takes the run's counters and block table; produces the report on
// the current channel or in the model's section files.
#include "runtime/standard_report.h"

#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/builtin_programs.h"
#include "runtime/report_line.h"
#include "runtime/report_sections.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {

void write_line(Engine& e, int unit, const io::Rec& rec) { e.ch.write(unit, rec); }

// A run-separator line of 62 dashes.
std::string dashes() { return std::string(62, '-'); }

// The label column of a block row.
std::string label_text(Engine& e, int4 code) {
  if (code == k_preem_label_code) return "PREEM:";
  return packed_name_text(e, code);
}

// The statement word of a block's code, as six characters; a program
// call shows the word of what it does (GRAPH, MATRIX, TRACE ...).
std::string operation_text(const Engine& e, int b) {
  std::string word = block_code_info(e.blocks.block_op[ix(b)]).word;
  word.resize(6, ' ');
  if (e.blocks.block_op[ix(b)] != bc::special) return word;
  Text6 name(word);
  block_type_name(e, b, name);
  return std::string(name.view());
}

// Console page pause of the block counts: one line read, '#'/'&' stop.
void page_pause(Engine& e) {
  std::string line;
  if (e.ch.read_line(io::k_console_in, line) == io::ReadStatus::end_of_file) stop_program(e);
}

}  // namespace

const char* section_extension(int kind) {
  switch (kind) {
    case k_section_sta: return "STA";
    case k_section_que: return "QUE";
    case k_section_sav: return "SAV";
    case k_section_qta: return "QTA";
    case k_section_lst: return "LST";
    case k_section_blo: return "BLO";
    case k_section_exp: return "EXP";
    case k_section_pnm: return "PNM";
    default: return "BLK";
  }
}

int section_unit(const Engine& e, int kind) {
  return e.ctl.unit_base + (kind == k_section_exp ? io::offset::exp : kind + 16);
}

void write_standard_report(Engine& e) { write_standard_report(e, false); }

void write_standard_report(Engine& e, bool keep_unit) {
  if (e.ctl.auto_animation_flag) return;
  // An error raised while the report is being written ends the run
  // without starting the report again.
  if (e.run.report_written) return;
  e.run.report_written = true;
  ReportState& r = e.rep;
  const int saved_unit = e.rep.out_unit;
  if (r.print_state || r.print_line_open != 0) flush_report_line(e);
  if (r.skip_next_pause) {
    r.skip_next_pause = false;
  } else {
    report_pause(e);
  }
  const real4 relative = e.run.clock - e.run.reset_time;
  // Reports written into the model's result file carry the run number.
  const bool result_file_mode = e.rep.result_file_open && e.rep.out_unit == e.rep.prog_unit;
  if (result_file_mode && !e.ctl.java_mode && e.run.run_number >= 2) {
    write_line(e, e.rep.out_unit, io::Rec().br().br().br().lit("Run nr ").i(e.run.run_number, 2));
  }
  if (!e.ctl.java_mode || !keep_unit) {
    write_clock_lines(e, relative, e.run.clock, false, false);
    write_line(e, e.ctl.java_mode ? e.rep.prog_unit : e.rep.out_unit, io::Rec());
  }
  // The section files take the block counts, unless a PRINT asks for the report.
  const bool section_files = e.ctl.java_mode && !r.print_section_output;
  report_block_counts(e, 0, section_files, section_files);
  if (e.ent.st.station_count > 0) {
    report_pause(e);
    report_station_section(e);
  }
  if (e.ent.q.queue_count > 0) {
    report_pause(e);
    report_queue_section(e);
  }
  if (e.ent.tab.table_count > 0) {
    report_pause(e);
    report_table_section(e);
  }
  if (e.ent.sv.savevalue_count > 0 || e.ent.sv.numbered_savevalue_count > 0) {
    report_pause(e);
    report_savevalue_section(e);
  }
  if (r.list_future_events) report_future_events(e);
  if (!keep_unit) e.rep.out_unit = saved_unit;
  e.run.report_written = false;
}

void begin_report_section(Engine& e, int& unit, int& saved, int run, int kind) {
  saved = unit;
  unit = section_unit(e, kind);
  const std::string name = model_file_name(e, section_extension(kind));
  if (!e.rep.new_section_files && e.run.run_count > 1 && run > 1 && kind != k_section_blo) {
    // Later runs of a series append to the files of the first run.
    if (!e.ch.is_open(unit) && !e.ch.open_append(unit, name)) {
      write_error_message(e, unopened_file_message(name));
      return;
    }
    e.ch.write(unit, io::Rec().br().lit(dashes()).br().br().lit("Run nr ").i(run, 2));
    return;
  }
  if (!e.ch.reopen_new(unit, name)) write_error_message(e, unopened_file_message(name));
}

void end_report_section(Engine& e, int& unit, int saved) {
  if (!e.ctl.java_mode) return;
  // Each run of an experiment writes the section files anew and only the
  // last run's survive: they stay open until the next run writes them
  // again (or the engine ends), instead of being closed after every run.
  if (unit != e.rep.prog_unit && unit != io::k_atf_unit && !e.ctl.experi_run) e.ch.close(unit);
  unit = saved;
}

void report_pause(Engine& e) {
  if (e.ctl.java_mode || e.run.run_count != 0) return;
  std::string line;
  const io::ReadStatus st = e.ch.read_line(io::k_console_in, line);
  if (st == io::ReadStatus::end_of_file) stop_program(e);
  if (st == io::ReadStatus::ok && !line.empty() && (line[0] == '#' || line[0] == '&')) stop_program(e);
}

void write_clock_lines(Engine& e, float relative, float absolute, bool a, bool b) {
  int unit = e.rep.out_unit;
  if (e.ctl.java_mode && !(a && b)) unit = e.rep.prog_unit;
  if (std::fabs(relative - absolute) < 0.001f) {
    write_line(e, unit, io::Rec().br().br().br().x(1).lit("Clock").f(absolute, 14, 2));
  } else {
    write_line(e, unit, io::Rec().lit("  ").br().lit("  ").br().lit("----After RESET---------").br().lit("  "));
    write_line(e, unit,
               io::Rec().br().br().br().x(1).lit("Relative clock").f(relative, 10, 2).x(1).lit("Absolute clock").f(absolute, 10, 2).br());
  }
}

void report_block_counts(Engine& e, int line_offset, bool a, bool b) {
  int saved = e.rep.out_unit;
  bool section = false;
  if (e.ctl.java_mode) {
    if (e.ctl.auto_animation_flag) return;
    write_block_count_file(e);
    if (a && b) {
      begin_report_section(e, e.rep.out_unit, saved, e.run.run_number, k_section_blk);
      section = true;
      write_clock_lines(e, e.run.clock - e.run.reset_time, e.run.clock, a, b);
      write_line(e, e.rep.out_unit, io::Rec().lit(" "));
    } else {
      e.rep.out_unit = e.rep.prog_unit;
    }
  }
  const int unit = e.rep.out_unit;
  write_line(e, unit, io::Rec().x(1).lit("Block counts"));
  write_line(e, unit, io::Rec().x(1).lit("Number Adr.   Oper.  Current  Total"));
  const int count = e.blocks.block_count;
  for (int b = 1; b <= count; ++b) {
    const auto i = static_cast<std::size_t>(b);
    const int4 label = e.blocks.block_label[i];
    const int4 current = e.blocks.block_current[i];
    const int4 total = e.blocks.block_entries[i];
    io::Rec row;
    row.x(1).i(b, 5);
    if (label != 0) {
      row.x(2).lit(label_text(e, label)).x(1).lit(operation_text(e, b));
    } else {
      row.x(9).lit(operation_text(e, b));
    }
    if (current >= 1) {
      row.i(current, 6).i(total, 8);
    } else {
      row.i(total, 14);
    }
    write_line(e, unit, row);
    if (!e.ctl.java_mode && e.run.run_count == 0 && (b + line_offset) % 23 == 0 && count > 19) page_pause(e);
  }
  if (section) {
    end_report_section(e, e.rep.out_unit, saved);
  } else if (e.ctl.java_mode) {
    e.rep.out_unit = saved;
  }
}

void write_block_count_file(Engine& e) {
  int saved = e.rep.out_unit;
  begin_report_section(e, e.rep.out_unit, saved, e.run.run_number, k_section_blo);
  for (int b = 1; b <= e.blocks.block_count; ++b) {
    const auto i = static_cast<std::size_t>(b);
    write_line(e, e.rep.out_unit, io::Rec().x(1).i(b, 5).i(e.blocks.block_current[i], 5).i(e.blocks.block_entries[i], 5));
  }
  end_report_section(e, e.rep.out_unit, saved);
}

}  // namespace kelvo
