// X$ operands read as constants at translation: the savevalue named by a
// control LET gives its initial value (or its number, for operands the
// run-time reads as savevalue references); the operands that take an
// EXPERI invalue are recorded in their slots.
#include <cmath>
#include <string>

#include "model/engine.h"
#include "support/diagnostics.h"

#include "support/text_routines.h"
#include "translator/translator.h"

namespace kelvo {

namespace {
// Records the operand that takes the EXPERI invalue in its slot; false
// (after the report) when an experiment with alternatives gives the
// invalue to two operands of the same kind.
bool record_invalue_slot(Engine& e, int use) {
  auto& x = e.ent.experi;
  int4* slot = nullptr;
  int4 value = 0;
  const char* label = "";
  switch (use) {
    case x_use::capacity:
      x.capacity_flag = true;
      slot = &x.capacity_slot;
      value = e.ent.st.numbered_station_count;
      label = "CAPACITY   ";
      break;
    case x_use::generate_d: slot = &x.generate_d_slot; value = e.blocks.block_count; label = "GENERATE D "; break;
    case x_use::generate_c: slot = &x.generate_c_slot; value = e.blocks.block_count; label = "GENERATE C "; break;
    case x_use::generate_e: slot = &x.generate_e_slot; value = 1; label = "GENERATE E "; break;
    case x_use::goto_b: slot = &x.goto_b_slot; value = e.cs.pass.goto_count; label = "GOTO B     "; break;
    default: return true;
  }
  if (*slot == 0) {
    *slot = value;
  } else if (x.experi_alternatives > 1) {
    write_error_line(e, std::string(" Several ") + label);
    report_statement_error(e, " defined through EXPERI");
    return false;
  }
  return true;
}
}  // namespace

bool read_x_constant(Engine& e, int4 name, int use, int4& value) {
  const int i = find_name(e.ent.sv.savevalue_name, e.ent.sv.savevalue_count, name);
  if (i == 0) return false;
  const auto& x = e.ent.experi;
  if (use != x_use::plain && x.invalue_name != 0 && x.invalue_name == name && !record_invalue_slot(e, use)) {
    // Reported; the operand reads as the use code itself.
    value = use;
    return true;
  }
  if (use < x_use::generate_c) {
    const real8 init = e.ent.sv.savevalue_init[i];
    const int4 whole = trunc_i32(init);
    const real4 frac = static_cast<real4>(std::fabs(init - whole));
    value = whole;
    if (frac > 0.0f && frac < 0.000005f) flag_error_without_hint(e, " Constant X$value-operand changed in earlier block");
  } else {
    value = i;
  }
  return true;
}

}  // namespace kelvo
