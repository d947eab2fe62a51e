// Station and queue block checks: the blocks that take and give back a
// facility or storage (SEIZE, ENTER, PREEMPT; RELEASE, LEAVE, RETURN) and
// the queue-entry blocks (QUEUE, ARRIVE). Finds or enters the entity,
// stores its number in the block, refuses operands the block cannot have
// and warns about a RELEASE without its SEIZE.
#include <algorithm>
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"

#include "support/text_routines.h"
#include "translator/conditions.h"
#include "translator/translator.h"

namespace kelvo {

namespace {
// Station key of an A operand: a number names a numbered station through
// its numeric name key; a name is its packed code. False for numbers
// beyond the station capacity (reported).
bool station_key(Engine& e, int4 code, int4& key) {
  int4 n = 0;
  if (name_number(e, code, n)) {
    if (n < 1 || n > k_station_limit) {
      flag_error_without_hint(e, " Too many facilities and storages");
      return false;
    }
    key = numeric_name_key(n);
    return true;
  }
  key = code;
  return true;
}

int find_station(Engine& e, int4 key) { return find_name(e.ent.st.station_name, e.ent.st.station_name_count, key); }

// A station operand given by a parameter: the block keeps the parameter code.
bool param_station(Engine& e, int code) {
  int4 pc = 0;
  if (!parse_param_operand(e, e.cs.stmt.operand_text[1], code, e.cs.stmt.operand_value[1], pc)) return false;
  e.blocks.block_arg[e.blocks.block_count] = to_int2(pc);
  return true;
}
// A facility-taking block (SEIZE, PREEMPT) that does not directly follow
// a queue-entry block (ARRIVE or QUEUE) gets a queue of its own for the
// transactions that wait for the facility: the station's implicit queue.
// A model that wants its own queue there writes the ARRIVE-DEPART pair
// around it. Storages are left alone: the numbered ones have a queue of
// their own number from the first GENERATE on.
bool asks_for_implicit_queue(Engine& e, int b) {
  const int code = e.blocks.block_op[b];
  if (code != bc::seize && code != bc::preempt) return false;
  if (b <= 1) return true;
  const int before = e.blocks.block_op[b - 1];
  return before != bc::arrive && before != bc::queue;
}

// ENTER and LEAVE by parameter select a storage by its number, so the
// storages must be numbered ones: named storages alone give them no
// number to select. False after the error.
bool check_parameter_storage_defs(Engine& e) {
  const auto& st = e.ent.st;
  if (st.storage_count == 0 && st.named_definition_seen) {
    flag_error_without_hint(e, " Parameter storages not properly defined");
    return false;
  }
  return true;
}
}  // namespace

bool error_no_b_operand(Engine& e) {
  if (operand_length(e, 2) == 0) return false;
  flag_error_without_hint(e, " No B operand allowed");
  return true;
}

bool check_d_operand_list(Engine& e) {
  const int b = e.blocks.block_count;
  if (operand_length(e, 2) == 0) {
    e.blocks.block_units[b] = 1;
    return true;
  }
  const char mark = e.cs.stmt.operand_text[2];
  const int4 code = e.cs.stmt.operand_value[2];
  if (mark == ' ') {
    int4 n = 0;
    if (!name_number(e, code, n)) {
      flag_error_without_hint(e, " Integer expected");
      return false;
    }
    if (n == 0) {
      flag_error_without_hint(e, " Illegal 0 in B operand");
      return false;
    }
    e.blocks.block_units[b] = n;
    return true;
  }
  const int cls = operand_char_class(mark);
  const int ak = cls < 0 ? -cls : cls;
  if (!(ak >= opnd::queue && ak <= opnd::waiting) && ak != opnd::parameter) {
    flag_error_without_hint(e, mark == k_mark_decimal ? " Integer expected" : " Incorrect letter in B operand");
    return false;
  }
  auto& st = e.ent.st;
  const int slot = take_slot(e, st.sna_b_count, k_sna_b_station_limit, " Too many stations with SNA as B operand",
                             ErrorEffect::flag_without_hint);
  if (slot == 0) return false;
  int kind = 0;
  int4 value = 0;
  if (!expect_constant_or_sna(e, mark, code, kind, value)) return false;
  st.sna_b_block[slot] = b;
  st.sna_b_kind[slot] = kind;
  st.sna_b_value[slot] = value;
  e.blocks.block_units[b] = k_sna_units;
  return true;
}

bool check_seize_operand(Engine& e, int code, int station) {
  const auto& st = e.ent.st;
  const bool facility_block = code == bc::seize || code == bc::preempt || code == bc::release || code == bc::return_;
  if (facility_block && st.station_capacity[station] > 1) {
    flag_statement_error(e, " Storage used as facility");
    return false;
  }
  if (!facility_block && st.station_capacity[station] == 0) {
    check_storage_capacity(e, e.cs.stmt.operand_value[1]);
    return false;
  }
  return true;
}

bool register_implicit_queue(Engine& e, int station) {
  auto& st = e.ent.st;
  auto& q = e.ent.q;
  if (st.station_implicit_queue[station] != 0) return true;
  if (find_name(q.queue_name, q.queue_count, st.station_name[station]) != 0) {
    report_statement_error(e, " Implicit QUEUE name already used");
    return false;
  }
  const int n = take_slot(e, q.queue_count, k_queue_limit, " Too many queues or AD sets", ErrorEffect::flag);
  if (n == 0) return false;
  q.queue_name[n] = st.station_name[station];
  st.station_implicit_queue[station] = n;
  return true;
}

void check_preempt_block(Engine& e) {
  const int code = e.cs.pass.block_code;
  const int b = e.blocks.block_count;
  if (code == bc::preempt && (operand_length(e, 2) > 0 || operand_length(e, 3) > 0)) {
    // B: PR pre-empts by priority; PREEM: sends pre-empted holders to the
    // block labelled PREEM: (or removes them when the model has none: the
    // end checks then add that block). C: the address pre-empted holders
    // are sent to, linked by the end checks.
    std::string mode = operand_string(e, 2);
    for (char& c : mode) c = upcased(c);
    const std::string dest = operand_string(e, 3);
    if (mode == "PR") {
      e.blocks.block_op[b] = bc::preempt_after_priority;
    } else if (mode == "PREEM:") {
      e.cs.pass.removal_address_used = true;
      e.cs.flags.preem_name_seen = true;
    } else if (!mode.empty()) {
      flag_error_without_hint(e, " PREEMPT with illegal B or C operand");
      return;
    }
    if (!dest.empty()) {
      const bool name = dest.size() <= 6 && is_letter(dest[0]) &&
                        std::all_of(dest.begin(), dest.end(), [](char c) { return is_letter(c) || is_digit_char(c); });
      if (mode == "PREEM:" || !name) {
        flag_error_without_hint(e, " PREEMPT with illegal B or C operand");
        return;
      }
      e.blocks.block_opnd[b] = pack_symbol_name(e, dest);
      e.cs.pass.preempt_address_used = true;
    }
  }
  // TRY: the station is taken only when it is free (a try station).
  std::string b_word = operand_string(e, 2);
  for (char& c : b_word) c = upcased(c);
  const bool try_entry = (code == bc::seize || code == bc::enter) && b_word == "TRY";
  if (try_entry) {
    e.blocks.block_units[b] = k_try_units;
    e.cs.pass.try_entry_seen = true;
  }
  if (code == bc::seize && operand_length(e, 2) > 0 && !try_entry) {
    flag_error_without_hint(e, " SEIZE or PREEMPT block with B operand");
    return;
  }
  if (param_station(e, code)) {
    if (code == bc::enter && check_parameter_storage_defs(e) && !try_entry) check_d_operand_list(e);
    return;
  }
  if (reject_sna_type(e, 1)) return;
  if (code == bc::enter && !try_entry && !check_d_operand_list(e)) return;
  int4 key = 0;
  if (!station_key(e, e.cs.stmt.operand_value[1], key)) return;
  int s = find_station(e, key);
  if (s == 0) {
    if (code == bc::enter) {
      check_storage_capacity(e, e.cs.stmt.operand_value[1]);
      return;
    }
    allocate_server_number(e, key);
    s = e.ent.st.station_name_count;
  } else if (!check_seize_operand(e, code, s)) {
    return;
  }
  auto& st = e.ent.st;
  e.blocks.block_arg[b] = to_int2(s);
  if (code == bc::preempt) st.station_preempted[s] = k_true;
  if (asks_for_implicit_queue(e, b)) register_implicit_queue(e, s);
}

void check_seize_release_block(Engine& e) {
  const int code = e.cs.pass.block_code;
  const int b = e.blocks.block_count;
  if (code != bc::leave && error_no_b_operand(e)) return;
  if (param_station(e, code)) {
    if (code == bc::leave && check_parameter_storage_defs(e)) check_d_operand_list(e);
    return;
  }
  if (reject_sna_type(e, 1)) return;
  if (code == bc::leave && !check_d_operand_list(e)) return;
  int4 key = 0;
  if (!station_key(e, e.cs.stmt.operand_value[1], key)) return;
  int s = find_station(e, key);
  auto& st = e.ent.st;
  if (s == 0) {
    if (code == bc::leave) {
      check_storage_capacity(e, e.cs.stmt.operand_value[1]);
      return;
    }
    if (code == bc::return_) {
      flag_error_without_hint(e, " RETURN before matching PREEMPT");
      return;
    }
    const int unit = open_warning_unit(e);
    const std::string stars(62, '*');
    e.ch.write(unit, io::Rec().lit(stars).br().lit(" WARNING: RELEASE comes before SEIZE for facility ").lit(
                         unpack_name_chars(e, key).view()).br().lit(stars));
    allocate_server_number(e, key);
    s = st.station_name_count;
  } else {
    if (!check_seize_operand(e, code, s)) return;
    if (code == bc::return_ && st.station_preempted[s] == 0) {
      flag_error_without_hint(e, " RETURN before matching PREEMPT");
      return;
    }
  }
  e.blocks.block_arg[b] = to_int2(s);
  if (code == bc::release) warn_release_without_seize(e, b);
}

void warn_release_without_seize(Engine& e, int block) {
  const auto& blk = e.blocks;
  const int station = blk.block_arg[block];
  for (int k = block - 1; k >= 1; --k) {
    if (blk.block_op[k] == bc::seize && blk.block_arg[k] == station) return;
    if (blk.block_op[k] == bc::generate) break;
    if (blk.block_label[k] != 0) return;
  }
  const int unit = open_warning_unit(e);
  e.ch.write(unit, io::Rec().lit(" WARNING: RELEASE lacks corresponding SEIZE in segment").br().lit(
                       " Result output might hence be misleading"));
}

void check_a_operand_name_use(Engine& e) {
  const int code = e.cs.pass.block_code;
  const int b = e.blocks.block_count;
  if (error_no_b_operand(e)) return;
  int4 pc = 0;
  if (parse_param_operand(e, e.cs.stmt.operand_text[1], code, e.cs.stmt.operand_value[1], pc)) {
    e.blocks.block_arg[b] = to_int2(pc);
    e.cs.pass.queue_entry_param_flag = true;
    return;
  }
  if (reject_sna_type(e, 1)) return;
  const int4 name = e.cs.stmt.operand_value[1];
  const int i = find_name(e.ent.q.queue_name, e.ent.q.queue_count, name);
  if (i == 0) {
    add_queue_or_ad_set(e, name);
    return;
  }
  if (find_name(e.ent.st.station_implicit_queue, e.ent.st.station_name_count, i) != 0) {
    flag_error_without_hint(e, " Name in A operand used for implicit queue");
    return;
  }
  if (is_waitif_ad_set(e, i)) {
    flag_error_without_hint(e, " Name in A operand used as WAITIF address");
    return;
  }
  e.blocks.block_arg[b] = to_int2(i);
}

void record_held_station(Engine& e, int b) {
  auto& blk = e.blocks;
  int4 station = 0;
  for (int k = b - 1; k >= 1; --k) {
    const int code = blk.block_op[k];
    if (code == bc::seize || code == bc::preempt || code == bc::preempt_after_priority) {
      station = blk.block_arg[k];
      break;
    }
    if (code == bc::release || code == bc::return_ || code == bc::generate) break;
  }
  blk.block_arg[b] = to_int2(station);
  // A station given by a parameter is resolved when the transaction
  // enters the ADVANCE.
  if (station < 0) e.ent.st.station_in_advance_flag = true;
}

}  // namespace kelvo
