// Capacities of the engine's fixed tables, each with the reason for its
// value. The capacities that the modelling language gives a model (blocks,
// stations, queues, functions and their points, savevalues, tables, the
// runs of an experiment and the like) are the language's own: models are
// written against them, and one beyond them gets the system's " Too many
// ..." message. The engine's own working tables are sized from those,
// with the reason beside each. Every table index taken from model text or
// a file is checked against these before use. Owners append their own
// headed section.
#pragma once

#include <cstddef>

namespace kelvo {

// ---------------------------------------------------------------------
// Translator: block, entity and expression tables
// ---------------------------------------------------------------------

// Transactions one GENERATE block creates at most (its D operand's limit):
// a model whose run never reaches its START count (a forgotten TERMINATE
// count) ends with a message instead of running on.
inline constexpr int k_generate_maximum = 100000;
// Capacity of a storage without a limit: as good as unlimited, and still
// a signed 32-bit count. A CAPACITY statement without an operand gives
// k_capacity_unit times its default-capacity word (2, or 1 when its
// operand is written 10^9).
inline constexpr int k_capacity_unit = 1000000000;
inline constexpr int k_unlimited_capacity = 2 * k_capacity_unit;
// Blocks of one model; block 1001 gives " Too many blocks".
inline constexpr int k_block_capacity = 1000;
// Facilities and storages share one station numbering.
inline constexpr int k_station_limit = 600;
// Queues and AD sets share one numbering.
inline constexpr int k_queue_limit = 600;
// Functions of one model.
inline constexpr int k_function_limit = 100;
// (x, y) points per function.
inline constexpr int k_function_point_limit = 200;
// Equal parts of a function's x range in the index where a search of its
// points starts: a part holds a point or two of a table of 24 to 64.
inline constexpr int k_function_parts = 32;
// Savevalue values (named and numbered savevalues).
inline constexpr int k_savevalue_limit = 600;
// Savevalues with a name (name codes and initial values).
inline constexpr int k_named_savevalue_limit = 200;
// Parameter numbers a model may name with P$name.
inline constexpr int k_pname_limit = 19;
// Parameters that may carry a descriptive name (P1NAME .. P12NAME).
inline constexpr int k_param_desc_limit = 12;
// Parameter words of a transaction record, internal words included.
inline constexpr int k_param_word_limit = 12;
// TERMINATE blocks of one model (the TERMINATE value table): half the
// block capacity, as for the LET tables, since a TERMINATE only ends what
// other blocks bring to it.
inline constexpr int k_terminate_limit = 500;
// Decimal constants of one model (`decimal_value`).
inline constexpr int k_decimal_limit = 2000;
// GENERATE blocks (GENERATE time table and operand data).
inline constexpr int k_generate_limit = 200;
// ADVANCE blocks (ADVANCE time table); one per block at most.
inline constexpr int k_advance_limit = 1000;
// Special statements (built-in program calls, GRAPH, TRACE, MATRIX, LET SNA).
inline constexpr int k_spec_limit = 150;
// Operand rows of a special statement: its operands after the program
// name (B to H of the statement), which become the arguments A to G.
inline constexpr int k_spec_rows = 7;
// Compiled expressions and items per expression.
inline constexpr int k_expr_limit = 200;
inline constexpr int k_expr_items = 35;
// Temporary slots of a compiled expression (parenthesised parts).
inline constexpr int k_expr_temp_slots = 12;
// References from expressions to entities: two for each compiled
// expression, which names one or two entities as a rule.
inline constexpr int k_expr_ref_limit = 2 * k_expr_limit;
// Savevalue numbers that X*j and a LET whose target comes from a parameter
// may give (numbered savevalues follow the named ones in the value table).
inline constexpr int k_savevalue_number_max = k_savevalue_limit - k_named_savevalue_limit;
// LET blocks to a savevalue, and LET blocks to a parameter: one table row
// each; half the block capacity each leaves room for the other blocks.
inline constexpr int k_let_limit = k_block_capacity / 2;
// Text of an expression while it is compiled (flattened parentheses,
// function calls and the power rewrite work in it).
inline constexpr int k_expr_text_len = 160;
// PRINT blocks with a quoted text, and the length of one text.
inline constexpr int k_print_text_limit = 200;
inline constexpr int k_print_text_len = 60;
// START statements of one model (also after a RESET A expansion).
inline constexpr int k_start_limit = 100;
// Run steps: every START may be followed by a RESET, plus END and one spare.
inline constexpr int k_run_step_limit = 2 * k_start_limit + 2;
// Lines of the model file in which the run cycle looks for EXPERI.
inline constexpr int k_experi_scan_lines = 30;
// Runs of one experiment (rows of the seed table).
inline constexpr int k_max_runs = 500;
// Run steps with the series of an experiment (four per run: two-phase
// runs are START, RESET, START and the end of the run before).
inline constexpr int k_run_step_capacity = 4 * k_max_runs + 4;
// Run numbers: the STARTs of the model, and two per run of an experiment.
inline constexpr int k_run_number_capacity = k_start_limit + 2 * k_max_runs;
// Random-number streams RN1 .. RN50.
inline constexpr int k_rn_stream_max = 50;
// Servers with an SNA as B operand (`check_d_operand_list`).
inline constexpr int k_sna_b_station_limit = 100;
// Lines kept by the one-line correction of the model file.
inline constexpr int k_edit_store_lines = 400;
// Largest model file the one-line correction rewrites (bytes): it is read
// whole into memory, and a file this large is no model.
inline constexpr std::size_t k_edit_file_limit = 16u << 20;

// ---------------------------------------------------------------------
// Program intake and diagnostics
// ---------------------------------------------------------------------

// Model lines the readers accept (statements, comments and data lines).
// Well above the 1000 blocks a model may hold, because models carry
// comment lines and data after END.
inline constexpr int k_max_statements = 5000;
// Run-time limit in seconds of a console run, and the most that
// "zwxyq.jav" may set: over three years, so in effect no limit, and still
// a whole-seconds count that the limit test compares without overflow.
inline constexpr int k_run_time_limit_default = 100000000;
// A statement stands in columns 1 to k_stmt_end_col of its line: models
// kept in the fixed card layout carry sequence numbers in columns 73-80,
// which must never be read as operands.
inline constexpr int k_stmt_end_col = 72;
// A label stands in columns 1 to k_label_cols: a label is a name, a packed
// name holds six characters, and column 7 parts the label from the word.
inline constexpr int k_label_cols = 6;
// Console answers and file names are read as lines of this many characters.
inline constexpr int k_console_line = 125;
// Entries of the parse pass's operation table (41 words and a blank).
inline constexpr int k_parse_ops = 42;

// ---------------------------------------------------------------------
// Run-time kernel: transaction store, chains, random streams, reports.
// ---------------------------------------------------------------------

// The transaction pool is a fixed budget of 150000 words; how many
// records fit depends on the record length (parameters + 7 words), and
// running out is visible to the model (" Unspecified error nr ").
inline constexpr int k_pool_words = 150000;
// Smallest record (no parameters) is 7 words: 150000 / 7 records at most.
inline constexpr int k_max_txn_records = k_pool_words / 7;
// Words of the active transaction: move time, next block, priority,
// working word, current block, then up to 12 model parameters and the
// hidden ones the translator adds (numbers, try slot, family word).
// 40 leaves ample room; a longer record is refused at run start.
inline constexpr int k_max_txn_words = 40;
// WAITIF station entries (a station and its waiting condition, each
// with its own waiting chain): as many as there are stations, so that a
// WAITIF whose station is given by a parameter can reach each of them.
inline constexpr int k_waitif_entry_limit = 600;
// Chains: 1 future-events chain + one waiting line per station + one per
// WAITIF station entry + the chain of the WAITIF blocks that compare
// operands (their numbers: model/codes.h).
inline constexpr int k_max_chains = 1 + k_station_limit + k_waitif_entry_limit + 1;
// Seeds of the second generator exist for streams 1..8 only.
inline constexpr int k_seed2_streams = 8;
// Preset uniform numbers that replace the first draws of stream 1.
inline constexpr int k_preset_count = 100;
// Evaluation nests at most five levels of variables and functions.
inline constexpr int k_eval_levels = 5;
// Values read by INPUT for the first alternative of an experiment are
// kept for savevalues 1..19.
inline constexpr int k_input_keep = 19;
// The second generator's seeding writes one progress line per step to
// its work file; beyond this many steps no more lines are written.
inline constexpr int k_seed2_trace_lines = 100000;
// Report line: columns 1..78 are written, the buffer has 80.
inline constexpr int k_out_line_cols = 80;
inline constexpr int k_out_line_written = 78;

// ---------------------------------------------------------------------
// Servers, queues and tables at run time
// ---------------------------------------------------------------------

// TABLEs and QTABLEs of one model.
inline constexpr int k_table_limit = 50;
// Frequency classes of one table (the overflow class comes on top).
inline constexpr int k_table_class_limit = 100;
// Tables drawn as histograms (an E operand), each with its own file.
inline constexpr int k_histogram_limit = 10;
// Trace lines written under the front end before the notice that no more
// are written (the TRC file stays readable).
inline constexpr int k_trace_line_limit = 200;
// Result values (VALUT) summed over a series of runs.
inline constexpr int k_run_result_limit = 20;

// ---------------------------------------------------------------------
// Conditions: IF and WAITIF
// ---------------------------------------------------------------------

// Entries of the condition table: the IF blocks and the WAITIF blocks
// that compare two operands, one entry each.
inline constexpr int k_condition_limit = 100;
// WAITIF blocks with a staggering digit as C operand.
inline constexpr int k_stagger_limit = 25;
// Flow blocks: GOTO, SPLIT, ASSEMBLE, LET MIN/MAX, PRINT formats, VALUT,
// the INPUT data file and the matrix (model/flow_tables.h)
// ---------------------------------------------------------------------

// GOTO blocks of one model (" Too many GOTO statements").
inline constexpr int k_goto_limit = 500;
// SPLIT blocks (" Too many SPLIT blocks").
inline constexpr int k_split_limit = 200;
// ASSEMBLE blocks: each family counts its members per ASSEMBLE block.
inline constexpr int k_assemble_limit = 50;
// Families of one run that may be in use at once (SPLIT gives them out,
// a member that ends whole at TERMINATE gives its family back).
inline constexpr int k_family_limit = 1000;
// LET MIN/MAX blocks over a range of entities.
inline constexpr int k_minmax_limit = 100;
// FN$MIN/FN$MAX functions ("Too many FN$MIN/MAX functions").
inline constexpr int k_minmax2_limit = 50;
// PRINT blocks with a field width or decimals (C and D operands).
inline constexpr int k_print_format_limit = 100;
// Decimals a PRINT may ask for: the real writer shows at most 6 correct ones.
inline constexpr int k_print_decimals_max = 6;
// VALUT statements of one model.
inline constexpr int k_valut_limit = 10;
// Entries of the INPUT data file table (one per line, selected by C).
inline constexpr int k_input_entries = 100;
// The model's matrix: rows and columns (MATUT reads within them).
inline constexpr int k_matrix_rows = 250;
inline constexpr int k_matrix_cols = 12;
// Characters of one matrix form text.
inline constexpr int k_frame_text_len = 30;

}  // namespace kelvo
