// The engine's whole state: the channel table and the shared tables,
// grouped by owner. One Engine is created by main (tests make a fresh one
// per case); routines that touch state take it as their first parameter.
#pragma once

#include "io/channels.h"
#include "model/anim_state.h"
#include "model/block_table.h"
#include "model/codes.h"
#include "model/compile_state.h"
#include "model/condition_tables.h"
#include "model/control_state.h"
#include "model/entity_tables.h"
#include "model/expr_tables.h"
#include "model/flow_tables.h"
#include "model/hooks.h"
#include "model/let_tables.h"
#include "model/matrix_graph_tables.h"
#include "model/parse_state.h"
#include "model/print_state.h"
#include "model/program_tables.h"
#include "model/report_state.h"
#include "model/run_state.h"
#include "model/server_tables.h"

namespace kelvo {

struct Engine {
  io::Channels ch;   // numbered file channels and the console
  ControlState ctl;  // program intake, run-mode flags, diagnostics
  // Parse pass: the writer of "parsefile" and its counters.
  ParseState parse;
  // Translator: block table and its operation names.
  BlockTable blocks;
  BlockOpNames opnames;
  // Translator: entity tables (stations, queues, savevalues ...).
  EntityTables ent;
  // Translator: compiled expressions.
  ExprTables expr;
  // Translator: IF and WAITIF conditions.
  ConditionTables cond;
  // Translator: the rows of the LET blocks.
  LetTables let;
  // Translator: statement record and translation-pass state.
  CompileState cs;
  // Translator: GOTO, SPLIT, LET MIN/MAX, PRINT format and VALUT tables.
  FlowTables flow;
  // Built-in programs: the user programs of the program list file (for
  // the whole process) and the switches the programs set.
  ProgramList prog_list;
  ProgramSwitches prog;
  // Translator and run-time: the model's matrix and its graphs.
  MatrixState mat;
  GraphTables graph;
  // Run-time kernel (engine/runtime/).
  RunState run;
  TxnStore txn;
  ActiveTxn act;
  RandomState rn;
  EvalState ev;
  // Run-time: the EXPERI experiment being run.
  ExperimentState xp;
  // Run-time: the ASSEMBLE families of the run.
  AssembleFamilies fam;
  ReportState rep;
  // Run-time: PRINT texts waiting for their values, the mark table of a trace.
  PrintState prt;
  // Run-time statistics of stations, queues and tables (engine/runtime/servers, queues_tables).
  ServerTables srv;
  // Run-time state of the WAITIF blocks (engine/runtime/waitif).
  WaitifRun waitif_run;
  // The change numbers of the values a shared WAITIF condition reads (numbered_values.h).
  ChangeStamps changes;
  // Automatic animation: the parse pass's view of the model and its layout.
  AnimState anim;
  // Calls into higher layers, filled by the driver at start-up.
  EngineHooks hooks;
};

}  // namespace kelvo
