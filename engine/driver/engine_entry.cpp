// Runs the main program under the stop and closes every channel.
#include "driver/engine_entry.h"

#include <iostream>
#include <memory>

#include "driver/run_cycle.h"
#include "model/engine.h"
#include "runtime/builtin_programs.h"
#include "runtime/event_loop.h"
#include "runtime/operand_eval.h"
#include "support/stop.h"
#include "translator/expressions.h"
#include "translator/translator.h"

namespace kelvo {

void install_engine_hooks(Engine& e) {
  e.hooks.write_address_hint = &write_address_hint;
  e.hooks.define_expression_ref = &define_expression_ref;
  e.hooks.evaluate_expression = &eval_variable_1;
  e.hooks.end_of_run_dialogue = &end_of_run_dialogue;
  e.hooks.call_builtin_program = &call_builtin_program;
  e.ch.watch_skipping(&look_at_run_time_limit_while_reading, &e);
}

int run_engine(Engine& e) {
  install_engine_hooks(e);
  try {
    main_program(e);
  } catch (const EngineStop&) {
    // The orderly end of every path.
  }
  e.ch.close_all();
  // Lost output or a refused work file is not success.
  return e.ch.output_lost() || e.ctl.work_file_refused ? 2 : 0;
}

int run_engine_process() {
  std::ios::sync_with_stdio(false);
  std::cin.tie(&std::cout);
  // Default-initialised, not value-initialised: the large run-time tables
  // that are written before they are read are not zeroed first, so
  // start-up touches only the memory a run uses.
  std::unique_ptr<Engine> e(new Engine);
  return run_engine(*e);
}

}  // namespace kelvo
