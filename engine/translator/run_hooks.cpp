// Temporary stand-ins for the run-time resets called by the translation
// pass; they clear the compile-filled run data only.
#include "translator/run_hooks.h"

#include "control/diagnostics.h"
#include "control/text_routines.h"
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

int open_wrn_file(Engine& e) {
  const int unit = e.ctl.unit_base + 55;
  if (!e.ch.is_open(unit)) e.ch.open_new(unit, model_name_with_extension(e, "WRN").trimmed());
  return unit;
}

bool open_or_delete_file(Engine& e, int unit, std::string_view name) {
  const std::string path(trim_blanks(name));
  if (io::Channels::exists(path)) io::Channels::remove_file(path);
  if (!e.ch.open_new(unit, path)) {
    parse_error(e, " File cannot be opened");
    return false;
  }
  return true;
}

}  // namespace kelvo
