// Model entity tables filled by the translator: stations, queues,
// functions, savevalues, parameter names, TERMINATE values, decimal
// constants, GENERATE and ADVANCE data, special statements, seeds, PRINT
// texts, run steps. The run-time reads them; the reports print them.
// Arrays are 1-based (element 0 unused) so entity numbers index directly.
// Counts start at 0 after reset_compile_state.
#pragma once

#include <array>

#include "io/fixed_text.h"
#include "model/limits.h"
#include "model/numbered_values.h"
#include "model/numbers.h"

namespace kelvo {

// Position 1..count of a packed name in a 1-based name table (element 0
// unused), 0 when the name is not there. count is clamped to the table.
template <std::size_t N>
int find_name(const std::array<int4, N>& names, int count, int4 name) {
  const int last = count < static_cast<int>(N) - 1 ? count : static_cast<int>(N) - 1;
  for (int i = 1; i <= last; ++i) {
    if (names[static_cast<std::size_t>(i)] == name) return i;
  }
  return 0;
}

struct StationTables {
  using I4 = std::array<int4, k_station_limit + 1>;
  // Stations in use (set from station_name_count at linking). Translator; 0 at reset.
  int4 station_count = 0;
  // Entries of station_name. allocate_server_number and storage definitions; 0 at reset.
  int4 station_name_count = 0;
  // Highest numbered storage; stations 1..storage_count are storages. define_storages; 0 at reset.
  int4 storage_count = 0;
  // Highest station number defined by a numbered or named CAPACITY. Translator; 0 at reset.
  int4 numbered_station_count = 0;
  // station_count - storage_count, fixed at linking. Translator; 0 at reset.
  int4 facility_offset = 0;
  // station_name_count before parameter stations were added. Translator; 0 at reset.
  int4 max_station_used = 0;
  // Packed name (or numeric name key) per station. Translator; 0 at reset.
  I4 station_name{};
  // Capacity per station; 0 = not defined (a facility). Translator; 0 at reset.
  I4 station_capacity{};
  // Identity: station number of a numbered storage, label code of a named one. Translator; 0 at reset.
  I4 station_identity{};
  // True (-1) once a PREEMPT has taken the station (RETURN check). Translator; 0 at reset.
  I4 station_preempted{};
  // Queue number of the station's implicit queue, 0 = none. Translator; 0 at reset.
  I4 station_implicit_queue{};
  // -1 when a WAITIF may name the station. Translator; 0 at reset.
  I4 station_waitif{};
  // Per station: implicit-queue or storage list used by the linking (code_list). Translator; 0 at reset.
  I4 code_list{};  // Filled for parameter storages; the linking uses station_implicit_queue, so nothing reads it.
  // A CAPACITY with a name label came before. Translator; false at reset.
  bool named_definition_seen = false;
  // A numbered definition jumped into a new group of ten. Translator; false at reset.
  bool group_flag = false;  // Set by the storage definitions; nothing reads it.
  // Servers with an SNA B operand: count, block numbers, and the operand's
  // kind and value (a name code until linking turns it into the entity
  // number). Translator; 0 at reset.
  int4 sna_b_count = 0;
  std::array<int4, k_sna_b_station_limit + 1> sna_b_block{};
  std::array<int4, k_sna_b_station_limit + 1> sna_b_kind{};
  std::array<int4, k_sna_b_station_limit + 1> sna_b_value{};
  // ADVANCE blocks record the station their transaction holds (a PREEMPT
  // names a station given by a parameter). PREEMPT check; false at reset_compile_state.
  bool station_in_advance_flag = false;
};

struct QueueTables {
  using I4 = std::array<int4, k_queue_limit + 1>;
  // Queues and AD sets in use. add_queue_or_ad_set; raised at run time
  // as parameters reach higher queue numbers; 0 at reset.
  int4 queue_count = 0;
  // Entries of queue_name that name look-ups search: queue_count, or the
  // queue limit once the end-of-program checks have named the queues that
  // numbers can reach. Translator; 0 at reset.
  int4 queue_name_count = 0;
  // queue_count at the start of the end-of-program checks. Translator; 0 at reset.
  int4 named_queue_count = 0;
  // Packed name per queue. Translator; 0 at reset.
  I4 queue_name{};
  // Per queue the QTABLE that tabulates it, or -1. Translator; -1 at reset.
  I4 queue_map{};
  // Number of QTABLE A operands (the count word of queue_map). Translator; 0 at reset.
  int4 qtable_count = 0;
  // Minimum-time field per queue (statistics start). Translator; 0.0 at reset.
  std::array<real4, k_queue_limit + 1> queue_min_time{};  // Cleared with the queue tables; no statistic reads it.
  // Use count per queue. Translator; 0 at reset.
  I4 queue_use_count{};  // Cleared with the queue tables; no statistic reads it.
  // A queue is departed at two blocks. Translator; false at reset.
  bool queue_departed_twice = false;  // Set by the DEPART check; the run control does without it, so nothing reads it.
};

struct FunctionTables {
  // Functions defined. FUNCTION definition; 0 at reset.
  int4 function_count = 0;
  // Packed name per function. FUNCTION definition; 0 at reset.
  std::array<int4, k_function_limit + 1> function_name{};
  // Data points per function. FUNCTION data; 1 at reset.
  std::array<int4, k_function_limit + 1> function_point_count{};
  // Class of the argument (10 = RN stream). FUNCTION definition; 0 at reset.
  std::array<int4, k_function_limit + 1> function_arg_class{};
  // Stream number or coded argument. FUNCTION definition; 0 at reset.
  std::array<int4, k_function_limit + 1> function_arg_value{};
  // 1, 2 special, 3 discrete/RN, 4 continuous. FUNCTION definition; 0 at reset.
  std::array<int4, k_function_limit + 1> function_kind{};
  // Points x(f,k), y(f,k). FUNCTION data; kept until redefined.
  std::array<std::array<real4, k_function_point_limit + 1>, k_function_limit + 1> function_x{};
  std::array<std::array<real4, k_function_point_limit + 1>, k_function_limit + 1> function_y{};
  // A function with named addresses exists. FUNCTION data; false at reset.
  bool address_function_defined = false;
  // Packed block-address name of point k of function f (0: a plain value);
  // resolved to the block number in function_y after translation. FUNCTION data.
  std::array<std::array<int4, k_function_point_limit + 1>, k_function_limit + 1> fn_point_name{};
  // Points the B operand declared (0: open count). FUNCTION statement.
  std::array<int4, k_function_limit + 1> fn_declared{};
  // The argument is a random-number stream: x values are probabilities. FUNCTION statement.
  std::array<bool, k_function_limit + 1> fn_rn_flag{};
  // A data file's cumulative values end at 1 (within 1.0E-4). FUNCTION data files.
  std::array<bool, k_function_limit + 1> fn_complete{};  // The evaluation does not test it; nothing reads it.
  // Where the search of function f's points for an x starts: its range
  // [x(1), x(n)] in k_function_parts equal parts (function_part), and per
  // part j the first point whose part is j or above; every point before it
  // lies below each x of part j, whatever the order of the points. Written
  // when the model's functions are linked (index_function_points); a scale
  // of 0 (reset) means no index, and the search starts at point 1.
  std::array<real8, k_function_limit + 1> fn_part_scale{};
  std::array<std::array<int2, k_function_parts>, k_function_limit + 1> fn_first_point{};
};

// The part of function f's x range that holds x, in 0 .. k_function_parts-1
// (an x above the range in the last part), or -1 below the range (and for
// x not a number). Rises with x, so that a point in a lower part than x
// lies below x. Only for a function with an index (fn_part_scale > 0).
inline int function_part(const FunctionTables& fn, int f, real8 x) {
  const real8 low = fn.function_x[static_cast<std::size_t>(f)][1];
  if (!(x >= low)) return -1;
  const real8 t = (x - low) * fn.fn_part_scale[static_cast<std::size_t>(f)];
  return t < k_function_parts ? static_cast<int>(t) : k_function_parts - 1;
}

struct SavevalueTables {
  // Savevalues in use (named ones are 1..savevalue_count). Translator; 0 at reset.
  int4 savevalue_count = 0;
  // Packed name per named savevalue. Translator; 0 at reset.
  std::array<int4, k_named_savevalue_limit + 1> savevalue_name{};
  // Initial value per named savevalue (LET control statement). Translator; 0 at reset.
  std::array<real8, k_named_savevalue_limit + 1> savevalue_init{};
  // A LET block compiled so far assigns the named savevalue (its value is
  // then no constant). LET block check; false at reset.
  std::array<bool, k_named_savevalue_limit + 1> savevalue_let_assigned{};
  // Current value. Run-time (and LET control statements); from
  // savevalue_init at every run start. Numbered changes.
  NumberedValues<real8, k_savevalue_limit + 1> savevalue_value{};
  // Highest numbered savevalue (X*j) that a LET block has set: numbered
  // savevalues 1..this are in use. Run-time; 0 at every run start.
  int4 numbered_savevalue_count = 0;
};

struct ParameterTables {
  // P$ names in use. Parameter-name scan; 0 at reset.
  int4 pname_count = 0;
  // Packed P$ name of parameter k. Same; 0 at reset.
  std::array<int4, k_pname_limit + 1> pname_code{};
  // True when parameter k got its number through a P$ name. Same; false at reset.
  std::array<bool, k_pname_limit + 1> pname_by_name{};
  // True when parameter k was written in plain Pj form. Operand lexer; false at reset.
  std::array<bool, k_pname_limit + 1> param_plain_used{};
  // Descriptive name after P1..P12 (P5NAME). Operand lexer; 0 at reset.
  std::array<int4, k_param_desc_limit + 1> param_desc_name{};
  // Parameter words of a transaction record (internal words included). Translator; 0 at reset.
  int4 param_count = 0;
  // Offsets of internal words in the record. End-of-program checks; 0 at reset.
  int4 txn_num_off = 0;
  int4 trace_word_off = 0;
  int4 station_mark_off = 0;
  int4 assemble_word_off = 0;
  // The trace needs a number per transaction (either flag asks for the
  // trace word). Statement checks; false at reset_compile_state.
  bool trace_number_wanted_a = false;
  bool trace_number_wanted_b = false;
  // The parameters of each new transaction are zeroed. Statement checks; false at reset_compile_state.
  bool clear_params_flag = false;
};

// TABLEs and QTABLEs: the class layout and the tabulated operand, the
// tables drawn as histograms, and the work files of the front end (the
// graph list file, the histogram files and the TRC file of the trace).
// All of it starts anew with each translation.
struct TableTables {
  using TI4 = std::array<int4, k_table_limit + 1>;
  int4 table_count = 0;   // tables defined (never above k_table_limit). check_table_statement.
  TI4 table_lower{};      // upper limit of the first class. check_table_statement.
  TI4 table_width{};      // class width (above 0). check_table_statement.
  TI4 table_classes{};    // number of classes n, 1..k_table_class_limit (frequencies 1..n+1). Same.
  // Operand kind of the tabulated SNA (1..12, negative when a parameter
  // gives the entity); 0 for a QTABLE. check_table_statement.
  TI4 table_arg_kind{};
  // Its index: a number, or a name code until link_table_operands makes it
  // the entity number; for a QTABLE the queue's name code or number. Same.
  TI4 table_arg_value{};
  TI4 table_name{};       // packed name (the statement's label). check_table_statement.
  // A QTABLE: the name code of the queue it tabulates (a number's numeric
  // name key), which the queues are matched against; 0 for a TABLE.
  // check_table_statement.
  TI4 table_queue_name{};
  // QTABLE: its A operand is a queue number. check_table_statement.
  std::array<bool, k_table_limit + 1> table_numeric_a{};
  // Tables with an E operand, drawn as histograms, in order of definition.
  int4 histogram_count = 0;
  std::array<int4, k_histogram_limit + 1> histogram_table{};
  // --- files (write_table_file, read_table_defs, open_table_work_file) ---
  bool graph_list_open = false;  // the graph list file is open on unit_base+11
  std::array<bool, k_table_limit + 1> graph_line_written{};  // table t's line is in it
  bool trace_file_open = false;  // the model's TRC file is open on unit_base+36
  int4 trace_count = 0;          // trace lines counted for the TRC file
  bool trace_unlimited = false;  // a TRACE block: no limit on the trace lines
};

// The QTABLE that tabulates a queue of this name: its number, or -1.
inline int4 qtable_for_queue(const TableTables& tab, int4 queue_name) {
  if (queue_name == 0) return -1;
  const int n = tab.table_count < k_table_limit ? tab.table_count : k_table_limit;
  for (int t = 1; t <= n; ++t) {
    const auto i = static_cast<std::size_t>(t);
    if (tab.table_queue_name[i] == queue_name) return t;
  }
  return -1;
}

// Per GENERATE number (block_arg of the GENERATE block).
struct GenerateTables {
  // GENERATE blocks. check_generate_block; 0 at reset.
  int4 generate_count = 0;
  // Time row: (A-B, 2B, -1, 0) for constants, else (A, B, code A, code B). Translator.
  std::array<std::array<real4, 5>, k_generate_limit + 1> generate_time_table{};
  // C operand: first creation time. Translator; 0 at reset.
  std::array<real4, k_generate_limit + 1> generate_first_time{};
  // E operand: priority -k_priority_max..k_priority_max, decimals kept
  // (2.5). Translator, an experiment's invalue; 0 at reset.
  std::array<real4, k_generate_limit + 1> generate_priority{};
  // ADVANCE blocks. check_advance_block; 0 at reset.
  int4 advance_count = 0;
  // Time row per ADVANCE number (block_opnd of the ADVANCE block). Translator.
  std::array<std::array<real4, 5>, k_advance_limit + 1> advance_time_table{};
  // C operand per ADVANCE: the label of the block a holder pre-empted
  // there goes to, the block number after linking (0 = none). Translator; 0 at reset.
  std::array<int4, k_advance_limit + 1> advance_c_code{};
  // ANS file opened for GENERATE F operands in this translation. Translator.
  bool ans_file_open = false;
  // Shortest positive constant A or B operand of the GENERATE and ADVANCE
  // blocks (0 = none), which the clock's resolution is measured against.
  // check_time_operands; 0 at reset.
  real4 shortest_constant_time = 0.0f;
};

struct TerminateTables {
  // TERMINATE blocks. TERMINATE step; 0 at reset.
  int4 terminate_count = 0;
  // A operand: a number 0..999999, a name code of an X$ savevalue, after
  // linking minus the savevalue number. Translator; 0 at reset.
  std::array<int4, k_terminate_limit + 1> terminate_value{};
};

struct DecimalTables {
  // Decimal constants in use. parse_digits; 0 at reset.
  int4 decimal_count = 0;
  // The constants in order of appearance; kind-13 operands index it. Translator.
  std::array<real4, k_decimal_limit + 1> decimal_value{};
};

struct SpecialTables {
  // Special statements. check_control_statement; 0 at reset.
  int4 spec_count = 0;
  // Built-in program number per special statement. Translator; 0 at reset.
  std::array<int4, k_spec_limit + 1> spec_program{};
  // Per statement and operand row 1..7 (the statement's operands B..H,
  // the program's arguments A..G): kind (k_row_end = none) and value (a
  // name code until link_special_operands makes it the entity number).
  // Translator; 0 at reset.
  std::array<std::array<int4, k_spec_rows + 1>, k_spec_limit + 1> spec_opnd_kind{};
  std::array<std::array<int4, k_spec_rows + 1>, k_spec_limit + 1> spec_opnd_value{};
  // The special statement that holds the run's VALIN call (0 none). check_simulate_call; 0 at reset.
  int4 valin_statement = 0;  // Recorded by check_simulate_call; nothing reads it.
  // The next INPUT resolves to the INPUT program itself (5) rather than
  // LETSA; resolve_program_name clears it. No statement sets it. 0 at reset.
  bool input_program_flag = false;
  // Console answers turned into DECIS calls under the front end (the
  // line of the DEC file each one is kept in). Translator; 0 at reset.
  int4 decision_count = 0;
  // Program names already unpacked from their A operand's name code.
  // check_program_call; 0 at reset.
  int4 name_cache_count = 0;
  std::array<int4, k_spec_limit + 1> name_cache_code{};
  std::array<Text6, k_spec_limit + 1> name_cache_text{};
  // Animation name per special statement: the text of its name operand,
  // up to 6 characters; a position nothing was recorded into holds NUL.
  // record_anim_name; NUL at reset.
  std::array<std::array<char, 6>, k_spec_limit + 1> atf_name{};
};

// Kinds of a special statement's operand row besides the operand kinds:
// the end of the operands, and a TABLE or QTABLE (SNAQS).
inline constexpr int4 k_row_end = -20;
inline constexpr int4 k_row_table = 99;

struct PrintTextTables {
  // PRINT texts. PRINT text scan; 0 at reset.
  int4 print_text_count = 0;
  // Text per PRINT (at most 60 characters). Translator.
  std::array<FixedText<k_print_text_len>, k_print_text_limit + 1> print_text{};
  // Length; negative when the text was closed by an apostrophe. Translator.
  std::array<int4, k_print_text_limit + 1> print_text_len{};
};

// What the control statements ask the run control to do.
struct RunStepTables {
  // Run steps in program order: 1 END, 2 first START, 3 code 24, 4 RESET,
  // 5 later START. Translator; every entry 1 at reset.
  // Room for the series of an experiment: four steps per run.
  std::array<int4, k_run_step_capacity + 1> run_steps{};
  // Run steps recorded. Translator; 0 at reset.
  int4 run_step_count = 0;
  // Termination count per START number. Translator; 0 at reset.
  // Later runs of an experiment take the numbers after the STARTs.
  std::array<int4, k_run_number_capacity + 1> termination_count{};
  // No standard report for the run of START n. START statement, block errors, report; false at reset.
  std::array<bool, k_run_number_capacity + 1> start_report_off{};
  // Each run of a series is START, RESET, START. Translator; false at reset.
  bool two_phase_runs = false;
  // SIMULATE has a B operand. Translator; false at reset.
  bool simulate_b_flag = false;
  // SIMULATE statements of the model (read by the end-of-run dialogue). Translator; 0 at reset.
  int4 simulate_count = 0;
  // A START's A operand is the EXPERI name. Translator; false at reset.
  bool start_name_flag = false;
  // Which START it is (1, or 2 after a RESET). Translator; 0 at reset.
  int4 start_name_number = 0;
  // SEEDS row per number of STARTs before it; -1 = none. Translator; -1 at each translation.
  std::array<int4, k_max_runs + 2> seeds_row_of_start{};
  // Rows of 50 seeds (2p+1); row 0 for a SEEDS before any START. SEEDS, run set-up; 0 at reset.
  std::array<std::array<int4, k_rn_stream_max + 1>, k_max_runs + 2> seed_table{};
  // Row of the seed table that run r of a series uses (0: none). Series
  // and experiment set-up; 0 at reset.
  std::array<int4, k_max_runs + 2> run_seed_row{};
};

// Seed of stream r in row q of the seed table: 2p + 1 (odd, as the
// generator needs). Rows and streams outside the table are ignored.
inline void set_seed(RunStepTables& t, int4 p, int q, int r) {
  if (q < 0 || q > k_max_runs + 1 || r < 1 || r > k_rn_stream_max) return;
  t.seed_table[static_cast<std::size_t>(q)][static_cast<std::size_t>(r)] = 2 * p + 1;
}

// Slots of the operands that take the EXPERI invalue.
struct ExperiSlots {
  // Storage whose capacity is the invalue savevalue; and its flag. Translator; 0 at reset_compile_state.
  int4 capacity_slot = 0;
  bool capacity_flag = false;
  // GENERATE block numbers / entry numbers. Translator; 0 at reset_compile_state.
  int4 generate_c_slot = 0;
  int4 generate_d_slot = 0;
  int4 generate_e_slot = 0;
  int4 goto_b_slot = 0;
  // Name code of the invalue savevalue (row A of a VALIN call); 0 = none.
  int4 invalue_name = 0;
  // Alternatives of the experiment being run. Experiment driver.
  int4 experi_alternatives = 0;
  // The EXPERI statement as parse_experi read it before translation:
  // alternatives, lowest and highest invalue, runs, and whether only the
  // last run's result is shown. Run cycle; kept across translations.
  int4 experi_stmt_alternatives = 0;
  real4 experi_stmt_low = 0.0f;
  real4 experi_stmt_high = 0.0f;
  int4 experi_stmt_runs = 0;
  bool last_result_only = false;
  // Name code of the savevalue that gives the outvalue (operand B of the
  // EXPERI statement); 0 = none. parse_experi.
  int4 result_name = 0;
  // Decimal constant that holds a non-whole invalue for a GENERATE C
  // operand (0 = none yet). Experiment driver; 0 at each translation.
  int4 invalue_decimal = 0;
};

// WAITIF blocks and their conditions.
struct WaitifTables {
  // WAITIF blocks of code 43 that the WAITIF operand check found.
  // Translator; 0 at reset_compile_state.
  int4 waitif_block_count = 0;
};

struct EntityTables {
  StationTables st;
  QueueTables q;
  FunctionTables fn;
  TableTables tab;
  SavevalueTables sv;
  ParameterTables par;
  GenerateTables gen;
  TerminateTables term;
  DecimalTables dec;
  SpecialTables spec;
  PrintTextTables ptext;
  RunStepTables steps;
  WaitifTables wait;
  ExperiSlots experi;
};

// The queue that number j reaches (a parameter's value, Q*j, a LET MIN/MAX
// range): the numbered storages' own queues keep their numbers; higher
// numbers follow the queues that the model names.
inline int queue_index_of_number(const EntityTables& t, int j) {
  return j <= t.st.storage_count ? j : j + t.q.named_queue_count - t.st.storage_count;
}

// The number of queue k above the named ones: its name in the report.
inline int queue_number_of_index(const EntityTables& t, int k) { return k - t.q.named_queue_count + t.st.storage_count; }

}  // namespace kelvo
