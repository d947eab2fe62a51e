// Stand-ins for the translator, run-time and exchange-file routines that
// program intake calls, until those stages are built. Each stand-in does
// nothing or ends the engine cleanly; the stage that builds a routine
// removes its stand-in here.
#include <string>

#include "control/diagnostics.h"
#include "control/later_stages.h"
#include "control/statement_reader.h"
#include "control/stop.h"
#include "control/text_routines.h"
#include "model/engine.h"

namespace kelvo {

bool find_defined_variable(Engine&, int, int&) { return false; }

void run_experiment(Engine& e, bool) {
  write_error_message(e, " EXPERI experiments cannot be run yet");
  stop_program(e);
}


void reset_anim_state(Engine&) {}
void check_auto_animation(Engine&) {}
void write_anim_layout(Engine&) {}
void build_animated_model(Engine&) {}
void write_animated_model(Engine&) {}
Text125 animated_model_name(const Engine& e) { return e.ctl.program_file_name; }
void parse_comment_line(Engine&, int, std::string_view) {}
void parse_pending_comment(Engine&, std::string_view) {}
void parse_statement_line(Engine&, int, const Line80&, const ParsedStatement&) {}

}  // namespace kelvo

namespace kelvo {
bool experi_statement_in_model(Engine& e);
// The operands of the EXPERI statement are read by the experiment stage;
// until then the check only tells whether the statement is there.
bool parse_experi(Engine& e) { return experi_statement_in_model(e); }
}  // namespace kelvo
