// Entry of the engine: runs the main program under the stop, so that
// every end (normal, an error stop, end of console input) flushes and
// closes every channel; the exit status is 0 unless output was lost.
#pragma once

namespace kelvo {

struct Engine;

// Fills the engine's table of calls into higher layers.
void install_engine_hooks(Engine& e);

// Runs the main program on an engine (its hooks installed first); returns
// the exit status: 0, or 2 when output was lost or the front end's work
// file named no usable model.
int run_engine(Engine& e);

// Creates one engine on the console and runs it.
int run_engine_process();

}  // namespace kelvo
