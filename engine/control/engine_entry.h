// Entry of the engine: runs the main program under the stop, so that
// every end (normal, an error stop, end of console input) flushes and
// closes every channel and gives status 0.
#pragma once

namespace kelvo {

struct Engine;

// Runs the main program on an engine; returns the exit status (0).
int run_engine(Engine& e);

// Creates one engine on the console and runs it.
int run_engine_process();

}  // namespace kelvo
