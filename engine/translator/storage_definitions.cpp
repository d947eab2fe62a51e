// Storage definitions: numbered storages (order, first storage 1, gaps
// filled with equal capacities), named facilities and storages met in
// blocks, and the report of a storage used without a capacity.
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"

#include "support/packed_names.h"

#include "support/stop.h"
#include "translator/translator.h"

namespace kelvo {

namespace {
// The two gap lines, then a plain stop: the model never ran, so there is
// no standard report to write.
[[noreturn]] void gap_stop(Engine& e, int first, int second) {
  const int unit = open_error_unit(e);
  e.ch.write(unit, io::Rec().lit(" Gap in numbers of storages, but capacity of storage").i(first, 3).br().lit(
                       " differs from capacity of storage").i(second, 3));
  stop_program(e);
}
}  // namespace

bool add_numbered_stations(Engine& e, int n, int4 capacity) {
  auto& st = e.ent.st;
  auto& hint = e.cs.pass.storage_number_hint;
  const int c = st.numbered_station_count;
  // A '.' line asks for storages left out; a definition that leaves none
  // out has no use for it.
  if (n <= c + 1) {
    hint = 0;
    flag_statement_error(e, " Illegal .");
    return false;
  }
  const int4 v = capacity <= 0 ? k_unlimited_capacity : capacity;
  if (hint == 0) hint = st.station_capacity[c];
  if (v != hint || st.station_capacity[c] != hint) gap_stop(e, c, n);
  for (int s = c + 1; s <= n - 1; ++s) {
    st.station_capacity[s] = hint;
    st.station_name[s] = numeric_name_key(s);
    st.station_identity[s] = s;
  }
  hint = 0;
  return true;
}

void define_storages(Engine& e, int n, int4 capacity) {
  auto& st = e.ent.st;
  if (n > k_station_limit) {
    report_statement_error(e, " Too many facilities and storages");
    stop_program(e);
  }
  // Also for the first numbered storage: a named storage before it holds
  // station 1 already, which the numbered one would overwrite.
  if (st.named_definition_seen) {
    report_statement_error(e, " Numerical STORAGES must come before named ones");
    return;
  }
  if (st.storage_count == 0) {
    if (n != 1) {
      flag_statement_error(e, " First numerical storage must be 1");
      return;
    }
  } else {
    const int c = st.numbered_station_count;
    if (n / 10 > c / 10) {
      st.group_flag = true;
    } else if (n <= c) {
      report_statement_error(e, " Numerical STORAGES out of order");
      return;
    }
    if ((n > c + 1 || e.cs.pass.storage_number_hint != 0) && !add_numbered_stations(e, n, capacity)) return;
  }
  st.numbered_station_count = n;
  st.station_identity[n] = n;
  if (n > st.storage_count) st.storage_count = st.station_name_count = n;
}

void check_storage_defs(Engine& e, int m) {
  auto& st = e.ent.st;
  if (m <= 0) return;
  if (st.station_capacity[1] == 0) {
    report_statement_error(e, " Storage 1 must have capacity defined");
    stop_program(e);
  }
  int4 c = st.station_capacity[1];
  int last = 0;
  for (int i = 1; i <= m && i <= k_station_limit; ++i) {
    if (st.station_capacity[i] == 0) {
      st.station_capacity[i] = c;
      st.station_name[i] = numeric_name_key(i);
      st.station_identity[i] = i;
      last = i;
    } else if (i == last + 1 && i > 1 && st.station_capacity[i] != st.station_capacity[last]) {
      gap_stop(e, i, last);
    }
    c = st.station_capacity[i];
  }
}

void allocate_server_number(Engine& e, int4 name) {
  auto& st = e.ent.st;
  const int s =
      take_slot(e, st.station_name_count, k_station_limit, " Too many facilities and storages", ErrorEffect::report);
  if (s == 0) stop_program(e);
  st.station_name[s] = name;
  e.blocks.block_arg[e.blocks.block_count] = to_int2(s);
}

void check_storage_capacity(Engine& e, int4 name) {
  if (name == 0) return;
  write_error_line(e, std::string(" ") + std::string(unpack_name_chars(e, name).view()) + " is");
  flag_error_without_hint(e, " storage for which capacity has not been defined");
}

}  // namespace kelvo
