// Runs the main program under the stop and closes every channel.
#include "control/engine_entry.h"

#include <iostream>
#include <memory>

#include "control/run_cycle.h"
#include "control/stop.h"
#include "model/engine.h"

namespace kelvo {

int run_engine(Engine& e) {
  try {
    main_program(e);
  } catch (const EngineStop&) {
    // The orderly end of every path.
  }
  e.ch.close_all();
  return 0;
}

int run_engine_process() {
  std::ios::sync_with_stdio(false);
  std::cin.tie(&std::cout);
  auto e = std::make_unique<Engine>();
  return run_engine(*e);
}

}  // namespace kelvo
