// Runs the main program under the stop and closes every channel.
#include "control/engine_entry.h"

#include <memory>

#include "model/engine.h"

namespace kelvo {

int run_engine(Engine& e) {
  e.ch.close_all();
  return 0;
}

int run_engine_process() {
  auto e = std::make_unique<Engine>();
  return run_engine(*e);
}

}  // namespace kelvo
