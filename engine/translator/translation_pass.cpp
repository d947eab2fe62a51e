// The translation pass: opens the model file, reads it line by line, lists
// it, hands each statement to the syntax check, the control statements
// and the block definition, runs the end-of-program checks after END, and
// on the console offers a one-line correction of an erroneous statement.
// Also the reset of the compile state and the result-file naming.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/output_files.h"

#include "support/statement_reader.h"
#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/function_data.h"
#include "translator/function_definition.h"
#include "translator/let_statements.h"
#include "translator/matrix_graph_statements.h"
#include "translator/translator.h"

namespace kelvo {

namespace {
bool listing(Engine& e) { return e.cs.pass.listing_on && e.ctl.translate_needed; }

void list_comment_line(Engine& e, int number) {
  e.ch.write(e.rep.out_unit, io::Rec().x(6).lit(e.cs.stmt.stmt_line.cols(1, 68)).i(number, 3));
}

// Results and the listing go to the result file (opened once per process).
void switch_to_result_file(Engine& e) {
  const std::string name = name_result_file(e);
  e.rep.out_unit = e.rep.prog_unit;
  if (!e.rep.result_file_open) {
    open_or_delete_file(e, e.rep.prog_unit, name);
    e.rep.result_file_open = true;
  }
}

// A '.'-line STORAGE statement gives the storage number hint: the
// capacity of the numbered storages that its definition leaves out.
void storage_hint_line(Engine& e) {
  Line80& l = e.cs.stmt.stmt_line;
  if (l.at(1) != '.') return;
  std::vector<std::string> words;
  std::string w;
  for (int c = 2; c <= k_stmt_end_col; ++c) {
    const char ch = l.at(c);
    if (ch == ' ') {
      if (!w.empty()) words.push_back(w);
      w.clear();
    } else {
      w += upcased(ch);
    }
  }
  if (!w.empty()) words.push_back(w);
  // The operation word, after the label when the line has one.
  const std::size_t op = !words.empty() && words[0] != "STORAGE" ? 1 : 0;
  if (words.size() < op + 2 || words[op] != "STORAGE") return;
  const std::string& a = words[op + 1];
  if (a.empty() || a.size() > 6 || a.find_first_not_of("0123456789") != std::string::npos) return;
  e.cs.pass.storage_number_hint = std::stoi(a);
  for (int c = 1; c <= 3; ++c) l.set(c, ' ');
}

// Clears what one statement leaves behind.
void begin_statement(Engine& e) {
  clear_statement_error_state(e);
  e.ctl.hint_flag = false;
  e.ctl.hint_field_word = 0;
  e.cs.pass.block_code = 0;
  e.cs.syn.operand_end_col = k_stmt_end_col;
  e.cs.syn.list_statement = true;
  e.cs.syn.operand_check_due = false;
  e.cs.syn.listing_text_set = false;
  e.cs.syn.assignment_rewritten = false;
}

// The statement loop after the first line; returns true at END.
bool translate_statement(Engine& e) {
  auto& pass = e.cs.pass;
  auto& stmt = e.cs.stmt;
  Line80& l = stmt.stmt_line;
  storage_hint_line(e);
  bool label_known = false;
  const Line80 written = l;
  check_statement_syntax(e, label_known);
  scan_param_names(e);
  if (e.ctl.error_reported) return false;
  if (check_start_let_operands(e)) return false;
  if (e.ctl.error_reported) return false;
  compile_assignment_statement(e, label_known, written);
  if (e.ctl.error_reported) return false;
  if (stmt.stmt_fields.op_len == 0) {
    if (l.cols(1, 73).find_first_not_of(' ') != std::string_view::npos) {
      flag_error_without_hint(e, " No operation and no operand");
      return false;
    }
  } else {
    scan_operands(e);
    if (e.ctl.error_reported) return false;
    pass.block_code = check_operation_name(e, pass.block_code);
    if (e.ctl.error_reported) return false;
  }
  compile_control_statement(e);
  if (pass.end_seen) return true;
  if (!pass.is_block || e.ctl.error_reported) return false;
  define_block(e);
  return false;
}

// The compact listing line of FUNCTION data lines (6X,70A1).
void list_compact_line(Engine& e) { e.ch.write(e.rep.out_unit, io::Rec().x(6).lit(e.cs.pass.cdl_line.view())); }

// A data line of the FUNCTION statement before it. True when the line
// was taken as data; false when it is to be translated as a statement.
// With "zwxyq.cdl" present, data lines of one point each are listed
// packed into lines of 70 characters.
bool function_data_taken(Engine& e) {
  auto& pass = e.cs.pass;
  auto& state = pass.function_data_state;
  if (state == fn_data::none || state == fn_data::ended) return false;
  const bool point_lines = state != fn_data::lines;
  const bool compact = e.ctl.cdl_file_present && point_lines;
  const bool listed = listing(e) && pass.experiment_run_number <= 1;
  parse_function_data(e);
  if (state == fn_data::ended) {
    state = fn_data::none;
    // The last compact line, with the text held back for it.
    if (compact && listed) {
      copy_name_text(e, Line80{});
      if (pass.cdl_length > 0) list_compact_line(e);
    }
    return false;
  }
  if (!listed || e.ctl.error_reported) return true;
  if (!compact) list_comment_line(e, pass.line_count);
  else if (copy_name_text(e, e.cs.stmt.stmt_line)) list_compact_line(e);
  return true;
}

// The correction prompt after an erroneous statement. True when a line
// was typed and the model file was corrected.
bool offer_correction(Engine& e) {
  auto& s = e.ctl;
  auto& pass = e.cs.pass;
  const int n = pass.line_count + pass.lines_before_loop;
  if (s.java_mode || n > k_edit_store_lines) return false;
  e.ch.write(io::k_console_out, " \n Type correct line or hit return to end program");
  std::string typed;
  if (e.ch.read_line(io::k_console_in, typed) != io::ReadStatus::ok) return false;
  const Line80 line(typed);
  if (line.at(1) == ' ') {
    e.ch.close(s.unit_base);
    return false;
  }
  // A correction that cannot be saved ends the pass with the error.
  if (!edit_program_line(e, n, line)) return false;
  s.error_reported = false;
  s.error_found = false;
  return true;
}
}  // namespace

bool check_start_let_operands(Engine& e) {
  const auto& stmt = e.cs.stmt;
  const auto& f = stmt.stmt_fields;
  // The last entries (LET MIN/MAX, WAITIF, QTABLE) have checks of their own.
  static_assert(label_entry(bc::select) + 2 == k_label_entries);
  if (e.cs.syn.operand_check_due && stmt.stmt_op >= label_entry(bc::select)) {
    if (check_waitif_let_qtable(e)) return true;
  }
  if (e.ctl.error_reported || f.op_len == 0) return e.ctl.error_reported;
  std::string word;
  for (int c = f.op_start; c < f.op_start + f.op_len && c <= 80; ++c) word += upcased(stmt.stmt_line.at(c));
  // An A operand longer than a prefixed name (X$NAMEXY, P$NAMEXY).
  constexpr int k_longest_a = 8;
  if (word == "START") {
    if (f.opnd_len[1] == 0) {
      flag_statement_error(e, " START must have an A operand");
      return true;
    }
    if (operand_length(e, 1) > k_longest_a) {
      flag_statement_error(e, " A operand too long");
      return true;
    }
    return false;
  }
  const bool let = word.rfind("LET", 0) == 0 && f.op_len <= 4;
  if (let) {
    if (f.opnd_len[2] == 0) {
      flag_statement_error(e, " LET must have a B operand");
      return true;
    }
    if (operand_length(e, 1) > k_longest_a) {
      flag_statement_error(e, " A operand too long");
      return true;
    }
    return false;
  }
  // TABLE needs its B operand (the lower limit); SPLIT's check names its
  // own missing B operand (the address of the copies).
  const bool needs_b = e.cs.syn.operand_check_due && stmt.stmt_op == label_entry(bc::table);
  if (needs_b && f.opnd_len[2] == 0) {
    flag_statement_error(e, " B operand missing");
    return true;
  }
  return false;
}

void handle_ex_card(Engine& e) {
  if (!e.ctl.auto_animation_flag) return;
  Line80& l = e.cs.stmt.stmt_line;
  if (upcased(l.at(1)) != 'E' || upcased(l.at(2)) != 'X') return;
  const char value = l.at(27);
  const bool comma = l.at(14) == ',';
  l.set(1, 'L');
  l.set(2, 'E');
  l.set(3, 'T');
  for (int c = 4; c <= 7; ++c) l.set(c, ' ');
  if (comma) {
    l.set(14, '=');
    l.set(15, value);
    l.set(16, ' ');
  } else {
    l.set(15, '=');
    l.set(16, value);
  }
  for (int c = 17; c <= 80; ++c) l.set(c, ' ');
}

void warn_assemble_without_split(Engine& e) {
  const auto& pass = e.cs.pass;
  if (!pass.has_assemble || pass.has_split) return;
  const int unit = open_warning_unit(e);
  e.ch.write(unit, "****** WARNING ******");
  e.ch.write(unit, io::Rec().lit(Text50(" This program with ASSEMBLE lacks a SPLIT block").view()));
}

std::string name_result_file(Engine& e) {
  int dot = 0;
  e.ctl.txt_extension_flag = false;  // set again by the base-name rule for TXT
  const Text129 base = get_program_base_name(e, dot);
  std::string name(base.cols(1, dot));
  name = std::string(trim_blanks(name));
  if (e.ctl.txt_extension_flag) {
    if (!name.empty() && name.back() == '.') name.back() = 'R';
    return name + ".TXT";
  }
  return name + "TXT";
}

void handle_program_listing(Engine& e, int unit) {
  auto& s = e.ctl;
  auto title = [&](std::string_view name) {
    std::string n(name.substr(0, std::min<std::size_t>(name.size(), 50)));
    for (int i = 0; i < static_cast<int>(n.size()) && i < 40; ++i) n[i] = upcased(n[i]);
    e.ch.write(unit, io::Rec().br().x(1).lit("Extended listing of program ").a(n + std::string(50 - n.size(), ' '), 50));
  };
  if (!s.java_mode) {
    if (e.cs.pass.marker_card_seen) e.ch.write(unit, io::Rec().br().x(1).lit("Extended program listing"));
    else title(s.program_file_name.view());
  } else if (io::Channels::exists("program.nam")) {
    const int nu = s.unit_base + io::offset::data_file;
    std::string name;
    if (e.ch.open_read(nu, "program.nam") && e.ch.read_line(nu, name) == io::ReadStatus::ok) {
      // The display name becomes the model's name, after which the result
      // files are named: a plain file name only, never a path.
      if (plain_file_name(name)) {
        s.program_file_name.assign(name);
      } else {
        write_error_message(e, " Name in PROGRAM.NAM is not a plain file name");
      }
    }
    e.ch.close(nu);
    title(s.program_file_name.view());
  } else {
    e.ch.write(unit, io::Rec().br().x(1).lit("Extended listing of program "));
  }
  e.ch.write(unit, io::Rec()
                       .br()
                       .br()
                       .x(1)
                       .lit("Block")
                       .x(67)
                       .lit(" Line")
                       .br()
                       .x(1)
                       .lit("no.")
                       .x(2)
                       .lit("*Adr.")
                       .x(2)
                       .lit("Operation")
                       .x(1)
                       .lit("A,B,C,D,E,F,G,H")
                       .x(9)
                       .lit("Comments")
                       .x(19)
                       .lit("no."));
}

void listing_pager(Engine& e, int n) {
  if (n <= 0 || n % 23 != 0 || e.ctl.java_mode) return;
  std::string line;
  const io::ReadStatus st = e.ch.read_line(io::k_console_in, line);
  if (st == io::ReadStatus::error) {
    e.ch.write(io::k_console_out, " Error in input system");
    stop_program(e);
  }
  // End of console input ends the engine rather than pausing for ever.
  if (st == io::ReadStatus::end_of_file) stop_program(e);
}

bool edit_program_line(Engine& e, int n, const Line80& typed) {
  auto& s = e.ctl;
  if (e.rep.out_unit == e.rep.prog_unit) {
    e.ch.close(e.rep.prog_unit);
    e.rep.result_file_open = false;
    e.rep.out_unit = e.rep.out_unit_save;
  }
  const int unit = s.unit_base;
  e.ch.close(unit);
  auto refuse = [&] {
    e.ch.write(io::k_console_out, " Use editor for change");
    return false;
  };
  // The file the model name stands for (the target of a link), which must
  // be writable: the edit replaces it and keeps its permissions.
  std::error_code ec;
  const std::filesystem::path path = std::filesystem::canonical(std::string(trim_blanks(s.program_file_name.view())), ec);
  if (ec) return refuse();
  const auto perms = std::filesystem::status(path, ec).permissions();
  if (ec || (perms & std::filesystem::perms::owner_write) == std::filesystem::perms::none) return refuse();
  std::string text;
  if (!io::Channels::read_whole_file(path.string(), text, k_edit_file_limit)) return refuse();
  // Line n is replaced; every other byte, the line ends included, stays.
  std::size_t start = 0;
  for (int k = 1; k < n && start < text.size(); ++k) {
    const std::size_t nl = text.find('\n', start);
    start = nl == std::string::npos ? text.size() : nl + 1;
  }
  if (n < 1 || start >= text.size()) return refuse();
  std::size_t end = text.find('\n', start);
  if (end == std::string::npos) end = text.size();
  if (end > start && text[end - 1] == '\r') --end;
  text.replace(start, end - start, trim_right(typed.cols(1, k_stmt_end_col)));
  // Written to a temporary file beside it first, then renamed over it.
  const std::filesystem::path temp = path.string() + ".kelvo-edit";
  if (!e.ch.open_new(unit, temp.string())) return refuse();
  e.ch.write_bytes(unit, text);
  e.ch.close(unit);
  std::filesystem::permissions(temp, perms, ec);
  if (!ec) std::filesystem::rename(temp, path, ec);
  if (ec) {
    io::Channels::remove_file(temp.string());
    return refuse();
  }
  return true;
}

void reset_compile_state(Engine& e) {
  // The block table and the statement words of its codes.
  e.blocks = BlockTable{};
  e.blocks.block_opnd.fill(-1);
  // The entity tables, with the run steps and seed rows of the model; of
  // the experiment's settings only the operand slots are found again by
  // the translation.
  ExperiSlots experi = e.ent.experi;
  experi.capacity_slot = experi.generate_c_slot = experi.generate_d_slot = 0;
  experi.generate_e_slot = experi.goto_b_slot = 0;
  experi.capacity_flag = false;
  experi.invalue_decimal = 0;
  // The two large tables are reset in place: a temporary copy would first
  // fill as much of the stack (and make a small model's start-up slow).
  std::destroy_at(&e.ent);
  std::construct_at(&e.ent);
  e.ent.experi = experi;
  e.ent.fn.function_point_count.fill(1);
  e.ent.q.queue_map.fill(-1);
  e.ent.steps.run_steps.fill(1);
  e.ent.steps.seeds_row_of_start.fill(-1);
  // The compiled expressions, each ended at its first item, and the LET rows.
  std::destroy_at(&e.expr);
  std::construct_at(&e.expr);
  e.cond = ConditionTables{};
  e.flow = FlowTables{};
  e.mat = MatrixState{};
  e.graph = GraphTables{};
  for (auto& row : e.expr.expr_item_kind) row.fill(k_expr_end);
  e.let = LetTables{};
  // What the built-in programs switched for the model translated before.
  e.prog = ProgramSwitches{};
  e.run.trace_switch = false;
  e.rn.second_generator = false;
  // The statement record and the pass state; the experiment's run number
  // is its caller's.
  const int experiment = e.cs.pass.experiment_run_number;
  e.cs = CompileState{};
  e.cs.pass.experiment_run_number = experiment;
  init_stat_slots(e);
}

namespace {
// Starts a pass over the model file: every table of the translation
// anew (the experiment's run number stays; the run count is the
// caller's), and the result file to be opened again.
void begin_pass(Engine& e, int4 run_count, bool again) {
  reset_compile_state(e);
  // A model translated again lists on the console from its first line;
  // the first pass lists where its caller sent the listing.
  if (again) reset_output_channels(e);
  e.rep.result_file_open = false;
  e.cs.pass.run_count = run_count;
  e.cs.flags.compiling = true;
}

// Opens the model file and reads its first line. An empty model file
// gets the prompt once more, then the stop: the prompt is not repeated
// for ever.
void read_first_line(Engine& e, int& restarts) {
  auto& stmt = e.cs.stmt;
  for (;;) {
    open_program_file_prompt(e, e.ctl.unit_base, true);
    e.ctl.error_reported = false;
    stmt.stmt_line.set(3, ' ');
    bool ok = false;
    read_program_lines(e, 0, ok, stmt.stmt_line);
    if (ok) return;
    if (++restarts > 1) stop_program(e);
  }
}

// A first line '*' with M in column 3 titles the matrix; a marker card
// sends results and the listing to the result file and asks for one run
// with the edit-and-pause dialogue.
void read_title_and_marker(Engine& e) {
  auto& pass = e.cs.pass;
  Line80& l = e.cs.stmt.stmt_line;
  if (l.at(1) == '*' && upcased(l.at(3)) == 'M') pass.matrix_title.assign(l.cols(3, 17));
  bool marker = false, simulate_card = false;
  check_marker_card(e, l, marker, simulate_card);
  if (marker && !e.ctl.java_mode) {
    pass.marker_card_seen = true;
    switch_to_result_file(e);
    pass.run_count = 1;
    e.ctl.edit_and_pause_flag = true;
  }
}

// The options of the first line: '}' in column 3 asks for the seed
// option, "*#" for the input echo; a '*' line with '$' in column 3, and
// lines beginning '%' or '$', choose the listing and are option lines.
// True when the first line is a statement to translate.
bool apply_first_line_options(Engine& e) {
  auto& pass = e.cs.pass;
  Line80& l = e.cs.stmt.stmt_line;
  read_title_and_marker(e);
  if (l.at(3) == '}') {
    pass.seed_option_flag = true;
    l.set(3, ' ');
  }
  if (l.at(1) == '*' && l.at(2) == '#') {
    l.set(1, '%');
    pass.input_echo_flag = true;
  }
  if (l.at(1) == '*' && l.at(3) == '$') {
    pass.listing_on = false;
    return false;
  }
  if (l.at(1) == '%') {
    if (e.ctl.java_mode) {
      handle_program_listing(e, e.rep.out_unit);
    } else {
      switch_to_result_file(e);
      if (pass.run_count == 0) pass.run_count = 1;
      if (l.at(2) == '$') pass.listing_on = false;
      else if (pass.experiment_run_number > 1) pass.listing_on = false;
      if (listing(e)) handle_program_listing(e, e.rep.out_unit);
    }
    return false;
  }
  if (l.at(1) == '$') {
    pass.listing_on = false;
    return false;
  }
  if (pass.experiment_run_number > 1) pass.listing_on = false;
  if (listing(e)) handle_program_listing(e, e.rep.out_unit);
  return true;
}

// Reads the model's next line into the statement line; false at the end
// of the file.
bool read_next_line(Engine& e) {
  auto& pass = e.cs.pass;
  bool ok = false;
  read_program_lines(e, pass.line_count + pass.lines_before_loop, ok, e.cs.stmt.stmt_line);
  return ok;
}

// The model file ended before END: the translation starts again from the
// first line, once; a second time stops the engine.
void restart_after_early_end(Engine& e, int& restarts) {
  if (++restarts > 1) stop_program(e);
}

// One line of the model: a comment, a '!' line, a data line of the
// FUNCTION before it, or a statement. True at END.
bool translate_line(Engine& e) {
  auto& pass = e.cs.pass;
  auto& stmt = e.cs.stmt;
  begin_statement(e);
  if (listing(e) && pass.run_count == 0) listing_pager(e, pass.line_count);
  ++pass.line_count;
  e.ctl.current_statement = stmt.stmt_line;
  int removed = 0, label_removed = 0;
  strip_name_suffixes(stmt.stmt_line, removed, label_removed);
  const Line80& l = stmt.stmt_line;
  if (l.at(1) == '*') {
    if (pass.experiment_run_number <= 1) list_comment_line(e, pass.line_count);
    return false;
  }
  if (l.at(1) == '!') {
    pass.last_bang_line = l;
    pass.last_bang_line_no = pass.line_count;
    if (!e.ctl.java_mode && e.rep.out_unit == e.rep.prog_unit) write_program_line(e, e.rep.out_unit, pass.line_count, stmt.stmt_line);
    return false;
  }
  if (function_data_taken(e)) return false;
  return translate_statement(e);
}

// How a pass over the model file ended.
enum class PassEnd {
  end_seen,  // END was translated
  error,     // an error stands: the translation is over
  restart,   // the model is translated again from its first line
};

// The lines of the model from the first one (already read) to END.
PassEnd translate_lines(Engine& e, int& restarts) {
  auto& s = e.ctl;
  Line80& l = e.cs.stmt.stmt_line;
  if (!apply_first_line_options(e)) {
    e.cs.pass.lines_before_loop = 1;
    if (!read_next_line(e)) {
      restart_after_early_end(e, restarts);
      return PassEnd::restart;
    }
  }
  for (;;) {
    if (translate_line(e)) return PassEnd::end_seen;
    if (s.error_found) {
      // A corrected model is translated again from its first line, so the
      // pass only ever returns a whole translation or the error.
      if (!offer_correction(e)) return PassEnd::error;
      restarts = 0;
      return PassEnd::restart;
    }
    const bool ok = read_next_line(e);
    if (ok) handle_ex_card(e);
    if (s.java_mode && l.at(1) == '.' && l.at(2) == ' ') l.set(1, ' ');
    if (!ok) {
      restart_after_early_end(e, restarts);
      return PassEnd::restart;
    }
  }
}

// After END: under the front end the comment lines that follow it are
// listed and, when the model reads its matrix, the data lines fill it;
// then the end-of-program checks and the linking.
void finish_translation(Engine& e, int4& run_count) {
  auto& s = e.ctl;
  auto& pass = e.cs.pass;
  if (s.error_found) return;
  if (s.java_mode) {
    const int end_line = pass.line_count;
    std::string text;
    bool data = false;
    while (!data && e.ch.read_line(s.unit_base, text) == io::ReadStatus::ok) {
      const Line80 after(text);
      data = after.at(1) != '*';
      if (!data && listing(e)) e.ch.write(e.rep.out_unit, io::Rec().x(6).lit(after.cols(1, 68)).i(end_line, 3));
    }
    if (data && e.mat.menu_file_wanted) read_data_after_end(e, text, listing(e) ? end_line : 0);
  }
  e.ch.close(s.unit_base);
  // The texts of the matrix form are all written.
  if (e.flow.frame.frm_open) e.ch.close(s.unit_base + io::offset::frame_texts);
  run_count = pass.run_count;
  if (s.error_found) return;
  check_program_end(e);
  if (!s.error_found) link_function_arguments(e);
  warn_assemble_without_split(e);
}
}  // namespace

void translate_program(Engine& e, int4& run_count) {
  // Packed-name errors are compile errors while this pass runs.
  struct Compiling {
    Engine& e;
    ~Compiling() { e.cs.flags.compiling = false; }
  } compiling{e};
  int restarts = 0;
  PassEnd end = PassEnd::restart;
  for (bool again = false; end == PassEnd::restart; again = true) {
    begin_pass(e, run_count, again);
    read_first_line(e, restarts);
    end = translate_lines(e, restarts);
  }
  if (end == PassEnd::end_seen) finish_translation(e, run_count);
}

}  // namespace kelvo
