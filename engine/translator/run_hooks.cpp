// Temporary stand-ins for the run-time resets called by the translation
// pass; they clear the compile-filled run data only.
#include "translator/run_hooks.h"

#include "model/engine.h"

namespace kelvo {

void reset_run_state(Engine& e) {
  auto& x = e.ent.experi;
  x.capacity_slot = x.generate_c_slot = x.generate_d_slot = x.generate_e_slot = x.goto_b_slot = 0;
  x.capacity_flag = false;
  e.ent.fn.address_function_defined = false;
}

void clear_run_tables(Engine& e) {
  e.blocks.block_current.fill(0);
  e.blocks.block_entries.fill(0);
}

}  // namespace kelvo
