// EXPERI experiments: a model run once per alternative of its input, with
// the result table and the statistical analysis.
#pragma once

#include "model/numbers.h"

namespace kelvo {

struct Engine;
struct ProgramArgs;

// Runs the experiment of the model (first: called by the run cycle).
void run_experiment(Engine& e, bool first);
// After the last run of a plain series whose VALUT asks for comparisons
// (a D operand) of one value: the series as one alternative.
void write_series_comparison(Engine& e);
// Before run `run` of an experiment: the invalue into its savevalue and
// into the operands recorded for it (station capacities only when mode,
// the number of alternatives, is above 1).
void put_invalue_into_model(Engine& e, int run, int mode);
// The outvalue at the end of a run: the savevalue the EXPERI statement
// names, else the first VALUT value.
real4 read_outvalue(Engine& e);
// VALUT (special statement k): the run's value of its result.
void record_valut_value(Engine& e, const ProgramArgs& args, int k);

}  // namespace kelvo
