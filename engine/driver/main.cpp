// Process entry of the engine: nothing is read from the command line or
// the environment; the engine runs once and ends with status 0.
#include "driver/engine_entry.h"

int main() { return kelvo::run_engine_process(); }
