// Graph programs: each call of a graph statement writes one line of
// values to its graph's file (the header once, when the file is opened),
// and in the graph's console form the value on the console too; GTEXT
// copies the model's text insert file into the output. Takes the
// argument list of the call and the graph table; produces the graph
// files and the copied lines.
#include "runtime/graph_programs.h"

#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/builtin_programs.h"
#include "support/diagnostics.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {
// Mode of graph_statement that also shows each value on the console (GPRIND).
constexpr int k_console_mode = 0;
// Lines of a text insert copied at most.
constexpr int k_insert_lines = 10;

int graph_unit(const Engine& e, int g) { return e.ctl.unit_base + io::offset::graph_first + g; }

// The header: the kind character, the first four axis names, then the
// fifth on a line of its own (the format's fields are used up).
io::Rec graph_header(const Engine& e, int g) {
  const auto& t = e.graph;
  const auto& n = t.axis_name[ix(g)];
  const char kind[1] = {t.graph_kind[ix(g)]};
  return io::Rec()
      .a(std::string_view(kind, 1), 6)
      .a(n[1].view(), 6)
      .x(5)
      .a(n[2].view(), 6)
      .x(5)
      .a(n[3].view(), 6)
      .x(5)
      .a(n[4].view(), 6)
      .br()
      .a(n[5].view(), 6);
}
}  // namespace

std::string make_graph_name(Engine& e, int g) {
  const auto& t = e.graph;
  const char kind = t.graph_kind[ix(g)];
  std::string name = model_file_name(e, kind == 'T' ? std::string("GRT") : std::string("PR") + kind);
  // With histograms <base>.GRT is the tables' graph list file.
  if (kind == 'T' && e.ent.tab.histogram_count > 0) return name + std::to_string(g);
  // A later graph of the same kind carries its number.
  for (int i = 1; i < g; ++i) {
    if (t.graph_kind[ix(i)] == kind) return name + std::to_string(g);
  }
  return name;
}

void print_graph_value(Engine& e, real4 x, real4 y) {
  std::string value = io::format_f(y, 10, 2);
  if (value.find('*') != std::string::npos) value = io::format_f(y, 11, 0);
  e.ch.write(io::k_console_out, io::Rec().lit(" Value at ").f(x, 8, 2).lit(" is ").lit(value));
}

void graph_statement(Engine& e, ProgramArgs& args, int k, int mode) {
  auto& t = e.graph;
  if (k < 1 || k > k_spec_limit) return;
  const int g = t.statement_graph[ix(k)];
  if (g < 1 || g > t.graph_count) return;
  const int unit = graph_unit(e, g);
  bool& open = e.run.graph_flags[ix(g - 1)];
  if (!open) {
    open = e.ch.open_new(unit, make_graph_name(e, g));
    t.header_written[ix(g)] = false;
  }
  if (!t.header_written[ix(g)]) {
    e.ch.write(unit, graph_header(e, g));
    t.header_written[ix(g)] = true;
  }
  // The first axis of a time graph is the clock.
  const real4 x = t.graph_kind[ix(g)] == 'T' ? e.run.clock : args.value(1);
  io::Rec line;
  line.f(x, 11, 2);
  for (int a = 2; a <= 4; ++a) {
    if ((t.statement_axes[ix(k)] >> (a - 1)) & 1) line.f(args.value(a), 11, 2);
  }
  e.ch.write(unit, line);
  if (mode == k_console_mode) print_graph_value(e, x, args.value(2));
}

void close_graph_files(Engine& e) {
  for (int g = 1; g <= k_graph_limit; ++g) {
    bool& open = e.run.graph_flags[ix(g - 1)];
    if (open) e.ch.close(graph_unit(e, g));
    open = false;
  }
}

void write_tex_file(Engine& e) {
  const int unit = e.ctl.unit_base + io::offset::text_insert;
  e.ch.close(unit);
  const std::string name = model_file_name(e, "tex");
  if (!e.ch.open_read(unit, name)) {
    write_console_message(e, " Error in file " + name);
    stop_program(e);
  }
  std::string line;
  for (int n = 1; n <= k_insert_lines && e.ch.read_line(unit, line) == io::ReadStatus::ok; ++n) {
    const std::string_view text = trim_right(std::string_view(line).substr(0, std::min<std::size_t>(line.size(), 80)));
    if (text.empty()) break;
    e.ch.write(e.rep.out_unit, text);
  }
  e.ch.close(unit);
}

}  // namespace kelvo
