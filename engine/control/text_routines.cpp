// Fixed-field helpers and the model-derived DEC/FRM/CSV file names.
#include "control/text_routines.h"

#include "control/run_cycle.h"
#include "model/engine.h"
#include "runtime/standard_report.h"

namespace kelvo {

void upcase_field6(Text6& f) {
  for (char& c : f.c) upcase_char(c);
}

void set_message_text(Engine& e, std::string_view text) { e.ctl.message_text.assign(text); }

bool is_parameter_ref(std::string_view operand) {
  std::size_t k = 0;
  if (k < operand.size() && operand[k] == '(') ++k;
  if (k >= operand.size() || (operand[k] != 'P' && operand[k] != 'p')) return false;
  const char next = k + 1 < operand.size() ? operand[k + 1] : ' ';
  return next != 'R' && next != 'r';
}

Text129 model_name_with_extension(Engine& e, std::string_view ext) {
  int pos = 0;
  Text129 name = get_program_base_name(e, pos);
  for (int k = 0; k < static_cast<int>(ext.size()); ++k) name.set(pos + 1 + k, ext[static_cast<std::size_t>(k)]);
  return name;
}

Text129 make_dec_name(Engine& e) { return model_name_with_extension(e, "DEC"); }

Text129 make_frm_name(Engine& e) { return model_name_with_extension(e, "FRM"); }

Text129 make_frm_csv_names(Engine& e, bool, Text129& csv) {
  // The CSV file always goes next to the model: no installation folder is
  // assumed.
  csv = model_name_with_extension(e, "CSV");
  return make_frm_name(e);
}

void begin_run_report_section(Engine& e, int& unit, int& saved, int run) {
  begin_report_section(e, unit, saved, run, k_section_exp);
}

}  // namespace kelvo
