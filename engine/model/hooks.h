// Calls that a lower layer makes into a higher one. The driver fills the
// table once at start-up (install_engine_hooks); a lower layer calls a
// hook instead of declaring the higher routine, so the layers still link
// only downward. An empty hook does nothing.
#pragma once

#include "model/numbers.h"
#include "model/program_args.h"

namespace kelvo {

struct Engine;

struct EngineHooks {
  // Translator: the address/operation hint lines of a compile error on
  // the given channel (called by the diagnostics).
  void (*write_address_hint)(Engine& e, int channel) = nullptr;
  // Translator: a function name that names a built-in attribute (EXPO,
  // NORM, RLNGd, TRAId) becomes a function of its own; true with its
  // number (called by the entity look-up).
  bool (*define_expression_ref)(Engine& e, int4 name, int& number) = nullptr;
  // Run-time: the value of compiled expression x (the translator computes
  // the value of a LET before the first GENERATE at once).
  real4 (*evaluate_expression)(Engine& e, int x) = nullptr;
  // Driver: the end-of-run dialogue after a console run; 0 when the user
  // asked to edit the model, else 1 (called by the run control).
  int (*end_of_run_dialogue)(Engine& e) = nullptr;
  // Run-time: built-in program n with its argument list for special
  // statement k (the translator runs the programs of a special statement
  // before the first GENERATE at once).
  void (*call_builtin_program)(Engine& e, int n, ProgramArgs& args, int k) = nullptr;
  // A user program of the program list file, by its number among them
  // (program number less 36), with the argument list it may change. An
  // installation fills it; left empty, the call does nothing.
  void (*user_program)(Engine& e, int number, ProgramArgs& args) = nullptr;
};

}  // namespace kelvo
