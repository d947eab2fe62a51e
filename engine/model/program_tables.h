// The numbered built-in programs that special statements call: their
// names (36 built-in ones, then the user programs of the program list
// file "hvxyq"), and the switches the programs set while a model is
// translated and run. The special statements themselves are in
// entity_tables.h (SpecialTables).
#pragma once

#include <array>
#include <string_view>

#include "io/fixed_text.h"
#include "model/numbers.h"
#include "model/program_args.h"

namespace kelvo {

// Program numbers (the position of the name in k_program_names).
namespace prog {
inline constexpr int fprin = 1;
inline constexpr int matin = 2;
inline constexpr int matex = 3;
inline constexpr int intpos = 4;
inline constexpr int input = 5;
inline constexpr int decis = 6;
inline constexpr int valin = 7;
inline constexpr int valut = 8;
inline constexpr int rmuin = 9;
inline constexpr int pause = 10;
inline constexpr int letsa = 11;
inline constexpr int snaqs = 12;
inline constexpr int gtext = 13;
inline constexpr int gprin = 14;
inline constexpr int gprind = 15;
inline constexpr int blcur = 16;
inline constexpr int bltot = 17;
inline constexpr int graphs = 18;
inline constexpr int matut = 19;
inline constexpr int matre = 20;
inline constexpr int stlre = 21;
inline constexpr int trace = 22;
inline constexpr int troff = 23;
inline constexpr int decima = 24;
inline constexpr int create = 25;   // the first animation program
inline constexpr int destro = 26;
inline constexpr int place = 27;    // from here on argument G tells a number from a name
inline constexpr int change = 28;
inline constexpr int color = 29;
inline constexpr int speed = 30;
inline constexpr int move = 31;
inline constexpr int write = 32;
inline constexpr int time = 33;
inline constexpr int atf = 34;
inline constexpr int setbar = 35;
inline constexpr int marse = 36;
inline constexpr int builtin_count = 36;
// A name that resolves above this is an alias of a graph program; the
// number less this is the program.
inline constexpr int alias_offset = 100;
}  // namespace prog

// ORDER: entry n is the name of program n (entry 0 unused).
inline constexpr std::array<std::string_view, prog::builtin_count + 1> k_program_names = {
    "",       "FPRIN",  "MATIN",  "MATEX",  "INTPOS", "INPUT",  "DECIS",  "VALIN",  "VALUT",  "RMUIN",
    "PAUSE",  "LETSA",  "SNAQS",  "GTEXT",  "GPRIN",  "GPRIND", "BLCUR",  "BLTOT",  "GRAPHS", "MATUT",
    "MATRE",  "STLRE",  "TRACE",  "TROFF",  "DECIMA", "CREATE", "DESTRO", "PLACE",  "CHANGE", "COLOR",
    "SPEED",  "MOVE",   "WRITE",  "TIME",   "ATF",    "SETBAR", "MARSE"};
static_assert(k_program_names[prog::snaqs] == "SNAQS" && k_program_names[prog::marse] == "MARSE");

// A literal operand of this magnitude or more is the packed code of a
// name: it travels to the program as its unchanged bit pattern.
inline constexpr int4 k_name_magnitude = 1000000;

// User programs take the numbers after the built-in ones and stay below
// the graph aliases.
inline constexpr int k_user_program_limit = prog::alias_offset - prog::builtin_count;

// The user programs of the program list file, read at most once per
// process (the first time a name is not a built-in one) and kept for
// every model translated afterwards.
struct ProgramList {
  std::array<Text6, k_user_program_limit + 1> user_name{};  // 1..user_count
  int4 user_count = 0;
  bool file_read = false;  // the file was read, or found missing or unreadable
};

// Switches the built-in programs set. Reset before each translation
// (reset_compile_state): a program run before the first GENERATE sets
// them for the runs of its model.
struct ProgramSwitches {
  bool matex_flag = false;   // MATEX was called; recorded by the program, nothing reads it
  int4 intpos_value = 0;     // INTPOS: its argument A, truncated; recorded by the program, nothing reads it
  int4 seed_word = 0;        // RMUIN: the value set_run_seeds gives the streams
  int4 current_special = 0;  // the special statement whose program runs now
};

}  // namespace kelvo
