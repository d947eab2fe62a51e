// Linking of the IF and WAITIF conditions at the end of the program.
// Takes the condition table and the WAITIF station entries as the block
// checks left them; gives every WAITIF entry its station, every IF its
// block address, every condition operand its entity number, adds the
// entries that stations given by parameters reach, and lists the entries
// of each station for the run-time.
#include <array>
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "translator/conditions.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

// Operands that read the same value for every transaction at one time
// and whose reading changes nothing.
bool shared_kind(int kind) {
  switch (kind) {
    case opnd::constant:
    case opnd::clock:
    case opnd::queue:
    case opnd::block_count:
    case opnd::storage:
    case opnd::remaining:
    case opnd::savevalue:
    case opnd::waiting:
    case opnd::decimal: return true;
    default: return false;
  }
}

// The entries for the stations that templates of `kind` reach, parameter
// values 1..range from entry base + 1 on: storages keep their numbers,
// facility numbers lie facility_offset further on (as in the server
// blocks).
void add_parameter_entries(Engine& e, int kind, int word, int base, int range) {
  auto& t = e.cond;
  auto& st = e.ent.st;
  for (int s = 1; s <= range; ++s) {
    const int station = s <= st.storage_count ? s : s + st.facility_offset;
    if (station < 1 || station > k_station_limit) break;
    WaitifEntry& w = t.waitif[ix(base + s)];
    w = WaitifEntry{};
    w.station = station;
    w.word = word;
    w.kind = kind;
    st.station_waitif[ix(station)] = k_true;
  }
}

}  // namespace

void check_wait_station(Engine& e) {
  auto& t = e.cond;
  auto& st = e.ent.st;
  t.waitif_block_entries = t.waitif_count;
  for (int j = 1; j <= t.waitif_count; ++j) {
    WaitifEntry& w = t.waitif[ix(j)];
    if (w.param != 0) continue;
    const int s = find_name(st.station_name, st.station_name_count, w.name);
    if (s == 0) {
      std::string message = " Station ";
      message += unpack_name_chars(e, w.name).view();
      message += " in WAITIF block missing";
      flag_error_without_hint(e, message);
      return;
    }
    w.station = s;
    st.station_waitif[ix(s)] = k_true;
  }
}

void check_if_addresses(Engine& e) {
  auto& t = e.cond;
  for (int i = 1; i <= t.cond_count; ++i) {
    CondEntry& c = t.cond[ix(i)];
    if (c.target_label == 0) continue;
    const int b = find_name(e.blocks.block_label, e.blocks.block_count, c.target_label);
    if (b == 0) {
      e.ch.write(open_error_unit(e), io::Rec()
                                         .x(1)
                                         .lit(unpack_name_chars(e, c.target_label).view())
                                         .lit(" =  Address of IF block ")
                                         .i(i, 2)
                                         .lit(" missing"));
      e.ctl.error_found = true;
      continue;
    }
    c.target = b;
  }
}

void extend_waitif_list(Engine& e) {
  auto& t = e.cond;
  auto& st = e.ent.st;
  // The kinds of the templates, in the order met, with a word of each.
  std::array<int, 7> kinds{}, words{};
  int n = 0;
  const int first = t.waitif_block_entries;
  for (int j = 1; j <= first; ++j) {
    const WaitifEntry& w = t.waitif[ix(j)];
    if (w.param == 0) continue;
    bool known = false;
    for (int k = 0; k < n; ++k) known = known || kinds[ix(k)] == w.kind;
    if (!known && n < static_cast<int>(kinds.size())) {
      kinds[ix(n)] = w.kind;
      words[ix(n)] = w.word;
      ++n;
    }
  }
  if (n > 0) {
    // Each kind reaches the same parameter values, as many as the stations
    // and the free entries allow.
    const int range = std::min(k_station_limit - st.facility_offset, (k_waitif_entry_limit - first) / n);
    if (range < st.storage_count) {
      write_error_line(e, " Too many storages referred to in WAITIF block");
      e.ctl.error_found = true;
    }
    for (int k = 0; k < n; ++k) {
      const int base = first + k * range;
      add_parameter_entries(e, kinds[ix(k)], words[ix(k)], base, range);
      for (int j = 1; j <= first; ++j) {
        WaitifEntry& w = t.waitif[ix(j)];
        if (w.param != 0 && w.kind == kinds[ix(k)]) w.param_base = base;
      }
    }
    t.param_range = std::max(range, 0);
    t.waitif_count = first + n * t.param_range;
  }
  // The entries of each station, in entry order.
  t.first_entry.fill(0);
  for (int j = t.waitif_count; j >= 1; --j) {
    WaitifEntry& w = t.waitif[ix(j)];
    if (w.station < 1 || w.station > k_station_limit) continue;
    w.next_of_station = t.first_entry[ix(w.station)];
    t.first_entry[ix(w.station)] = j;
  }
}

void convert_operand_table(Engine& e) {
  auto& t = e.cond;
  for (int i = 1; i <= t.cond_count; ++i) {
    CondEntry& c = t.cond[ix(i)];
    for (CondOperand* o : {&c.a, &c.b}) {
      if (o->name == 0) continue;
      int4 word = o->name;
      link_entity_word(e, o->kind, word);
      o->value = word;
    }
    c.shared_test = shared_kind(c.a.kind) && shared_kind(c.b.kind);
  }
}

}  // namespace kelvo
