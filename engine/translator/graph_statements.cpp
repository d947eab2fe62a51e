// GRAPH statements at compile time. Takes the statement line and the
// operands of a graph program call; produces the call HELP GRAPHC,... in
// the line and the graph table: each graph's kind, axis names and
// statement code, and the graph each call feeds.
#include <string>

#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "translator/matrix_graph_statements.h"
#include "translator/operand_checks.h"
#include "translator/translator.h"

namespace kelvo {

bool graph_operand_error(Engine& e, int s) {
  const Line80& l = e.cs.stmt.stmt_line;
  if (l.at(s + 5) != ' ') return false;
  int o = s + 6;
  while (o <= k_stmt_end_col && l.at(o) == ' ') ++o;
  // The first operand is followed by a comma within its first nine
  // characters: a graph has at least two axes.
  bool comma = false;
  for (int c = o; c <= o + 8 && c <= k_stmt_end_col && !blank_or_bang(l.at(c)) && !comma; ++c) comma = l.at(c) == ',';
  if (!comma) {
    flag_error_without_hint(e, " GRAPH with no or incorrect operand");
    return false;
  }
  if (!splice_operand_field(e, s, "HELP GRAPHC,", o)) return false;
  e.graph.graph_form_line = e.cs.pass.line_count;
  e.cs.stmt.stmt_op = label_entry(bc::special);
  e.cs.syn.operand_check_due = true;
  return true;
}

namespace {
bool is_priority_operand(const std::string& t) { return t == "PR" || t == "PRIORITY" || (!t.empty() && t[0] == 'Y'); }

// The operand of a graph program call as upper-case text.
std::string upper_operand(Engine& e, int u) {
  std::string t = operand_string(e, u);
  for (char& c : t) upcase_char(c);
  return t;
}

// The name of a parameter axis: the parameter's name when it has one,
// else its number as written (P3).
Text6 parameter_axis(Engine& e, const std::string& t) {
  const std::string digits = t.substr(1);
  if (digits.empty() || digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos) {
    return Text6(t);
  }
  const int n = std::stoi(digits);
  const auto& p = e.ent.par;
  if (n >= 1 && n <= k_param_desc_limit && p.param_desc_name[ix(n)] != 0) {
    return unpack_name_chars(e, p.param_desc_name[ix(n)]);
  }
  if (n >= 1 && n <= k_pname_limit && p.pname_by_name[ix(n)]) return unpack_name_chars(e, p.pname_code[ix(n)]);
  return Text6(t);
}

// The axis name an operand gives: PRIO for the priority, a parameter's
// name, an entity's name (the text after its class prefix), otherwise
// the operand as written; blank when the operand is absent.
Text6 axis_name(Engine& e, int u) {
  const std::string t = upper_operand(e, u);
  if (t.empty()) return Text6();
  if (is_priority_operand(t)) return Text6("PRIO");
  if (t.size() > 2 && t[1] == '$') return Text6(t.substr(2));
  if (t[0] == 'P') return parameter_axis(e, t);
  return Text6(t);
}
}  // namespace

bool parse_graph(Engine& e, int k, int program) {
  auto& g = e.graph;
  if (k < 1 || k > k_spec_limit) return false;
  const int code = g.graph_form_line == e.cs.pass.line_count ? k_graph_statement_code : program;
  // Operand A names the program; B to F are the axes 1 to 5.
  std::array<Text6, k_graph_axes + 1> names{};
  const std::string first = upper_operand(e, 2);
  char kind = first.empty() ? ' ' : first[0];
  if (first == "1" || first == "2") {
    names[1] = select_name_by_digit(first[0]);
    kind = 'T';
  } else {
    names[1] = axis_name(e, 2);
    if (is_priority_operand(first)) kind = 'Y';
  }
  if (operand_length(e, 3) == 0) {
    flag_error_without_hint(e, " C operand missing");
    return false;
  }
  int axes = 0x3;
  for (int a = 2; a <= k_graph_axes; ++a) {
    names[ix(a)] = axis_name(e, a + 1);
    // The clock as the second axis is named as on the first.
    if (a == 2) {
      const std::string c = upper_operand(e, 3);
      if (c.size() == 1 && !select_name_by_digit(c[0]).is_blank()) names[2] = select_name_by_digit(c[0]);
    }
    if (a <= 4 && operand_length(e, a + 1) > 0) axes |= 1 << (a - 1);
  }
  int n = 0;
  for (int i = 1; i <= g.graph_count && n == 0; ++i) {
    bool same = g.graph_code[ix(i)] == code && g.graph_kind[ix(i)] == kind;
    for (int a = 1; a <= k_graph_axes && same; ++a) same = g.axis_name[ix(i)][ix(a)] == names[ix(a)];
    if (same) n = i;
  }
  if (n == 0) {
    n = take_slot(e, g.graph_count, k_graph_limit, " Only 10 graphs allowed", ErrorEffect::flag_without_hint);
    if (n == 0) return false;
    g.graph_kind[ix(n)] = kind;
    g.axis_name[ix(n)] = names;
    g.graph_code[ix(n)] = code;
  }
  g.statement_graph[ix(k)] = n;
  g.statement_axes[ix(k)] = axes;
  return true;
}

}  // namespace kelvo
