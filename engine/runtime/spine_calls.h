// The calls the run-time makes into engine control and the translator,
// gathered in one header: the stop, the error channel and its reports,
// the console answers, the model-derived file names, packed names, and
// the translator's entry points.
#pragma once

#include <string>

#include "control/console_answer.h"
#include "control/diagnostics.h"
#include "control/later_stages.h"
#include "control/packed_names.h"
#include "control/run_cycle.h"
#include "control/stop.h"
#include "control/text_routines.h"
#include "model/numbers.h"

namespace kelvo {

struct Engine;

// The model base name followed by a three-letter extension, as a path.
std::string model_file_name(Engine& e, const char* extension);
// The six characters of a packed name as text.
std::string packed_name_text(Engine& e, int4 code);

// The translator's translation pass and its run set-up of the tables.
void translate_program(Engine& e, int4& run_count);
void init_stat_slots(Engine& e);

}  // namespace kelvo
