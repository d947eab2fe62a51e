// The engine's stop. Every orderly end unwinds to the entry point, which
// flushes and closes every channel and ends the process (status 0, or 2
// when output was lost).
#pragma once

namespace kelvo {

struct Engine;

// Thrown by the stop and caught only by run_engine; never an error report.
struct EngineStop {};

// More seconds than the run-time limit have passed on a monotonic clock
// since the engine's start.
bool run_time_exceeded(const Engine& e);
// Under the front end, once the run-time limit is past outside a run
// (while a model or a file is read): " Program run time exceeds limit"
// and the stop.
void stop_if_run_time_exceeded(Engine& e);

// Stop with no text: ends the engine at once.
[[noreturn]] void stop_now(Engine& e);

// Ends the engine; on the console, after an edit offer, it first asks the
// user to press ENTER.
[[noreturn]] void stop_program(Engine& e);

}  // namespace kelvo
