// The standard report of a run: the run header, the clock lines, the
// block counts and the entity sections, with the console pauses; under
// the front end every section goes to its own file named after the model
// (BLK, STA, QUE, SAV, QTA, LST, BLO, EXP, PNM).
#pragma once

namespace kelvo {

struct Engine;

// Section kinds and their file extensions.
enum SectionKind {
  k_section_blk = 1,
  k_section_sta = 2,
  k_section_que = 3,
  k_section_sav = 4,
  k_section_qta = 5,
  k_section_lst = 6,
  k_section_blo = 7,
  k_section_exp = 8,
  k_section_pnm = 9,
};

// The standard report of the current run (keep_unit: the report channel
// stays as it is).
void write_standard_report(Engine& e);
void write_standard_report(Engine& e, bool keep_unit);
void begin_report_section(Engine& e, int& unit, int& saved, int run, int kind);
void end_report_section(Engine& e, int& unit, int saved);
void report_pause(Engine& e);
void write_clock_lines(Engine& e, float relative, float absolute, bool a, bool b);
void report_block_counts(Engine& e, int line_offset, bool a, bool b);
void write_block_count_file(Engine& e);
// The channel of a section's file: unit_base + 16 + kind, but the EXP
// section has one of its own, apart from the ERR file's.
int section_unit(const Engine& e, int kind);
// The three-letter extension of a section kind (BLK for any other value).
const char* section_extension(int kind);

}  // namespace kelvo
