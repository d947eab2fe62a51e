// The engine's whole state: the channel table and the shared tables,
// grouped by owner. One Engine is created by main (tests make a fresh one
// per case); routines that touch state take it as their first parameter.
#pragma once

#include "io/channels.h"
#include "model/control_state.h"

namespace kelvo {

struct Engine {
  io::Channels ch;   // numbered file channels and the console
  ControlState ctl;  // program intake, run-mode flags, diagnostics
};

}  // namespace kelvo
