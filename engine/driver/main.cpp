// Process entry of the engine: nothing is read from the command line or
// the environment; the engine runs once and ends with status 0 (2 when
// output was lost or a work file named no usable model).
#include <csignal>

#include "driver/engine_entry.h"

int main() {
#ifdef SIGXFSZ
  // A file-size limit makes a write fail, and the engine reports the lost
  // output, instead of the signal ending the process on the spot.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  return kelvo::run_engine_process();
}
