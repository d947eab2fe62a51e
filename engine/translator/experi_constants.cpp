// X$ operands read as constants at translation: the savevalue named by a
// control LET gives its initial value (or its number, for operands the
// run-time reads as savevalue references); the operands that take an
// EXPERI invalue are recorded in their slots.
#include <cmath>
#include <string>

#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "support/text_routines.h"
#include "translator/translator.h"

namespace kelvo {

namespace {
// Records the operand that takes the EXPERI invalue in its slot. A second
// operand of the same kind in an experiment with alternatives is
// reported; its value is still read as for the first.
void record_invalue_slot(Engine& e, int use) {
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
    // The GENERATE being defined (its entry number).
    case x_use::generate_e: slot = &x.generate_e_slot; value = e.ent.gen.generate_count; label = "GENERATE E "; break;
    case x_use::goto_b: slot = &x.goto_b_slot; value = e.cs.pass.goto_count; label = "GOTO B     "; break;
    default: return;
  }
  if (*slot == 0) {
    *slot = value;
  } else if (x.experi_alternatives > 1) {
    write_error_line(e, std::string(" Several ") + label);
    report_statement_error(e, " defined through EXPERI");
  }
}
}  // namespace

bool find_savevalue_by_name(Engine& e, int4 name, int& index) {
  index = find_name(e.ent.sv.savevalue_name, e.ent.sv.savevalue_count, name);
  return index != 0;
}

bool patch_experi_constant(Engine& e, int4 name, int use, int4& value) {
  int i = 0;
  if (!find_savevalue_by_name(e, name, i)) return false;
  const auto& x = e.ent.experi;
  if (use != x_use::plain && x.invalue_name != 0 && x.invalue_name == name) record_invalue_slot(e, use);
  if (use < x_use::generate_c) {
    const real8 init = e.ent.sv.savevalue_init[ix(i)];
    // The whole part; a value outside the integer range is cut to it.
    value = trunc_i32(init);
    // A savevalue that a LET block before this operand assigns has no
    // constant value (a value of 0 is taken as it stands).
    if (e.ent.sv.savevalue_let_assigned[ix(i)] && init != 0.0) {
      flag_error_without_hint(e, " Constant X$value-operand changed in earlier block");
    }
  } else {
    value = i;
    // A first creation time before the run's start: the run-time would
    // read the negative value as a decimal constant's number.
    if (use == x_use::generate_c && e.ent.sv.savevalue_init[ix(i)] < 0.0) {
      flag_error_without_hint(e, " C operand may not be negative");
    }
  }
  return true;
}

bool check_experi_constant_use(Engine& e, int u, int4& value, int mode) {
  bool found = false;
  const int4 code = e.cs.stmt.operand_value[ix(u)];
  if (name_number(e, code, value)) {
    found = true;
  } else {
    value = 1;
    found = e.cs.stmt.operand_text[ix(u)] == 'X' && patch_experi_constant(e, code, x_use::plain, value);
  }
  if (mode > 1 && value <= 0) found = false;
  return found;
}

}  // namespace kelvo
