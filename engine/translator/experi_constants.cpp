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

bool find_savevalue_by_name(Engine& e, int4 name, int& index) {
  const auto& sv = e.ent.sv;
  for (int i = 1; i <= sv.savevalue_count; ++i) {
    if (sv.savevalue_name[i] == name) {
      index = i;
      return true;
    }
  }
  return false;
}

bool patch_experi_constant(Engine& e, int4 name, int4& k, char first_char) {
  if (upcased(first_char) != 'X') return false;
  int i = 0;
  if (!find_savevalue_by_name(e, name, i)) return false;
  auto& x = e.ent.experi;
  if (k > 1 && x.invalue_name != 0 && x.invalue_name == name) {
    int4* slot = nullptr;
    int4 value = 0;
    const char* label = "";
    switch (k) {
      case 2: x.capacity_flag = true; slot = &x.capacity_slot; value = e.ent.st.numbered_station_count; label = "CAPACITY   "; break;
      case 4: slot = &x.generate_d_slot; value = e.blocks.block_count; label = "GENERATE D "; break;
      case 5: slot = &x.generate_c_slot; value = e.blocks.block_count; label = "GENERATE C "; break;
      case 6: slot = &x.generate_e_slot; value = 1; label = "GENERATE E "; break;
      case 7: slot = &x.goto_b_slot; value = e.cs.pass.goto_count; label = "GOTO B     "; break;
      default: break;
    }
    if (slot != nullptr) {
      if (*slot == 0) {
        *slot = value;
      } else if (x.experi_alternatives > 1) {
        write_error_line(e, std::string(" Several ") + label);
        report_statement_error(e, " defined through EXPERI");
        return true;
      }
    }
  }
  if (k < 5) {
    const real8 init = e.ent.sv.savevalue_init[i];
    const int4 whole = trunc_i32(init);
    const real4 frac = static_cast<real4>(std::fabs(init - whole));
    k = whole;
    if (frac > 0.0f && frac < 0.000005f) flag_error_without_hint(e, " Constant X$value-operand changed in earlier block");
  } else {
    k = i;
  }
  return true;
}

}  // namespace kelvo
