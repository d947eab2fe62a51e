// EXPERI experiments. Takes the experiment's definition (the EXPERI
// statement, the console or "extern.dat"); runs the model once per run of
// every alternative through run control, with the invalue put into the
// model before each run; writes the EXP section: for more than two
// alternatives the optimisation table and its chart, for one or two the
// result of every run with the statistics of the runs and, from 40 runs
// on, the histogram file of the results.
#include "runtime/experiment.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "exchange/atf_writer.h"
#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/matrix_files.h"
#include "runtime/operand_eval.h"
#include "runtime/report_sections.h"
#include "runtime/run_control.h"
#include "runtime/standard_report.h"
#include "support/console_answer.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/statement_reader.h"
#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/table_definitions.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

constexpr int k_valut_offset = 10;
constexpr int k_chart_width = 70;

struct Definition {
  int alternatives = 0;
  real4 low = 0.0f;
  real4 high = 0.0f;
  int runs = 0;  // 0: asked on the console
};

bool is_whole(real4 v) { return v == std::trunc(v); }

// The EXP section's channel under the front end; the report channel else.
int exp_unit(const Engine& e) { return e.xp.exp_open ? section_unit(e, k_section_exp) : e.rep.out_unit; }
void exp_line(Engine& e, const io::Rec& r) { e.ch.write(exp_unit(e), r); }
void exp_line(Engine& e, std::string_view s) { e.ch.write(exp_unit(e), s); }

void open_exp_section(Engine& e) {
  if (!e.ctl.java_mode || e.xp.exp_open) return;
  const int unit = section_unit(e, k_section_exp);
  const std::string name = model_file_name(e, section_extension(k_section_exp));
  if (!e.ch.open_new(unit, name)) {
    write_error_message(e, unopened_file_message(name));
    return;
  }
  e.xp.exp_open = true;
}

void close_exp_section(Engine& e) {
  if (!e.xp.exp_open) return;
  e.ch.close(section_unit(e, k_section_exp));
  e.xp.exp_open = false;
}

// A whole number read from the console until it is acceptable: above 0
// and, when `most` is above 0, at most `most`.
int ask_count(Engine& e, std::string_view question, int most, std::string_view too_many) {
  for (;;) {
    e.ch.write(io::k_console_out, question);
    const std::string line = read_console_line(e);
    long long v = 0;
    if (!io::read_i(line, 3, v)) v = 0;
    if (v <= 0) {
      e.ch.write(io::k_console_out, " Number must be > 0");
    } else if (most > 0 && v > most) {
      e.ch.write(io::k_console_out, too_many);
    } else {
      return static_cast<int>(v);
    }
  }
}

real4 ask_value(Engine& e, std::string_view question) {
  for (;;) {
    e.ch.write(io::k_console_out, question);
    const std::string line = read_console_line(e);
    try {
      std::size_t used = 0;
      const float v = std::stof(line, &used);
      if (std::isfinite(v)) return v;
    } catch (...) {
    }
    e.ch.write(io::k_console_out, " Incorrect format for number");
  }
}

// The definition from the console: the model, the alternatives and the
// invalues (the runs are asked when the experiment starts).
Definition console_definition(Engine& e) {
  Definition d;
  if (!e.ctl.saved_program_name.trimmed().empty()) {
    e.ctl.program_file_name = e.ctl.saved_program_name;
  } else {
    e.ch.write(io::k_console_out, " What is the name of the KELVO program file");
    e.ctl.program_file_name.assign(read_console_line(e));
  }
  e.ch.write(io::k_console_out, " Optimization or statistical analysis?");
  e.ch.write(io::k_console_out, " For optimization give more than two alternatives");
  d.alternatives = ask_count(e, " Number of alternatives?", 0, "");
  d.low = ask_value(e, d.alternatives > 1 ? " Lowest value ?" : " Value ?");
  d.high = d.alternatives > 1 ? ask_value(e, " Highest value ?") : d.low;
  return d;
}

Definition experiment_definition(Engine& e, bool first) {
  const auto& x = e.ent.experi;
  Definition d;
  if (e.ctl.experi_present) {
    d.alternatives = x.experi_stmt_alternatives;
    d.low = x.experi_stmt_low;
    d.high = x.experi_stmt_high;
    d.runs = x.experi_stmt_runs;
  } else if (first && !e.ctl.java_mode && !e.ctl.cmd_file_present) {
    // "$" typed at the console: the definition is asked there.
    d = console_definition(e);
  } else {
    int runs = 0;
    read_extern_dat(e, d.low, runs);
    d.alternatives = 1;
    d.high = d.low;
    d.runs = runs;
  }
  return d;
}

// The model must read the invalue (VALIN) and give the outvalue (VALUT);
// the terminal is told when it does not.
void check_reached(Engine& e) {
  if (e.ev.input_used_mark == 1 && e.xp.valut_reached) return;
  e.ch.write(io::k_console_out, " Program cannot reach VALIN or VALUT");
  stop_program(e);
}

// Run k of the N runs of the series with the invalue v; the outvalue.
real4 make_run(Engine& e, int k, int n, int alternatives, real4 v) {
  e.ev.experi_input_value = v;
  run_simulation(e, k, n, alternatives);
  // A model that did not translate cannot be run at all.
  if (e.ctl.error_found) stop_program(e);
  return e.run.outvalue;
}

[[noreturn]] void too_many_runs(Engine& e) {
  write_error_message(e, " Too many runs demanded");
  stop_program(e);
}

// ---- optimisation

// The chart position of a limit on the 70 columns from lowest to highest.
int chart_position(real4 limit, real4 lowest, real4 highest) {
  if (!(highest > lowest)) return 1;  // every result equal: no scale
  const double p = std::trunc(k_chart_width * (static_cast<double>(limit) - lowest) / (highest - lowest) + 0.5);
  return std::clamp(trunc_i32(p), 1, k_chart_width);
}

void write_chart(Engine& e, int alternatives) {
  const ExperimentState& xp = e.xp;
  exp_line(e, "");
  exp_line(e, "");
  for (int a = 1; a <= alternatives; ++a) {
    const int p1 = chart_position(xp.alt_lower[ix(a)], xp.lowest_limit, xp.highest_limit);
    const int p2 = chart_position(xp.alt_upper[ix(a)], xp.lowest_limit, xp.highest_limit);
    std::string bar(k_chart_width, ' ');
    for (int p = p1; p <= p2; ++p) bar[static_cast<std::size_t>(p - 1)] = '-';
    exp_line(e, io::Rec().x(1).i(nint(xp.alt_invalue[ix(a)]), 5).x(1).a(bar, k_chart_width));
  }
  exp_line(e, io::Rec().x(4).i(nint(xp.lowest_limit), 7).x(59).i(nint(xp.highest_limit), 7));
}

// The alternatives whose 95 % limits do not overlap: the lower limit of
// one above the upper limit of the other says, with 97.5 % probability
// each, which has the higher value.
void write_alternative_comparisons(Engine& e, int alternatives, int runs) {
  const ExperimentState& xp = e.xp;
  const int unit = e.ctl.unit_base + k_valut_offset;
  for (int a = 1; a <= alternatives; ++a) {
    e.ch.write(unit, io::Rec().i(a, 3).i(runs, 3).f(xp.alt_mean[ix(a)], 10, 2).f(xp.alt_lower[ix(a)], 10, 2).f(xp.alt_upper[ix(a)], 10, 2));
  }
  bool whole = true;
  for (int a = 1; a <= alternatives; ++a) whole = whole && is_whole(xp.alt_invalue[ix(a)]);
  exp_line(e, "");
  exp_line(e, " With 97.5 percent probability:");
  for (int i = 1; i <= alternatives; ++i) {
    for (int j = 1; j <= alternatives; ++j) {
      if (i == j || !(xp.alt_lower[ix(i)] > xp.alt_upper[ix(j)])) continue;
      const real4 vi = xp.alt_invalue[ix(i)], vj = xp.alt_invalue[ix(j)];
      if (whole) exp_line(e, io::Rec().i(nint(vi), 4).lit(" has a higher value than").i(nint(vj), 4));
      else exp_line(e, io::Rec().f(vi, 5, 1).lit(" has a higher value than").f(vj, 7, 1));
    }
  }
}

void run_optimisation(Engine& e, const Definition& d) {
  ExperimentState& xp = e.xp;
  const int alternatives = d.alternatives;
  if (d.runs > 0 && static_cast<long long>(d.runs) * alternatives > k_max_runs) too_many_runs(e);
  if (d.high < d.low) {
    write_error_message(e, " Lowest value > highest value in EXPERI");
    stop_program(e);
  }
  const real4 step = (d.high - d.low) / static_cast<real4>(alternatives - 1);
  int r = d.runs;
  if (r <= 0) {
    r = ask_count(e, " Give numbers of runs for each alternative", 100, " Number must be at most 100");
    if (static_cast<long long>(r) * alternatives > k_max_runs) too_many_runs(e);
  }
  const int total = r * alternatives;
  for (int a = 1; a <= alternatives; ++a) {
    const real4 invalue = d.low + static_cast<real4>(a - 1) * step;
    e.ev.experi_alternative = a;
    real8 sum = 0.0, sum_sq = 0.0;
    for (int j = 1; j <= r; ++j) {
      const real8 v = make_run(e, (a - 1) * r + j, total, alternatives, invalue);
      sum += v;
      sum_sq += v * v;
    }
    check_reached(e);
    if (a == 1) {
      // The section is opened once the model has run.
      open_exp_section(e);
      if (r == 1) {
        exp_line(e, "   Invalue   Outvalue");
      } else {
        exp_line(e, io::Rec().x(4).lit("Invalue   Outvalue:    Limits with 95 % probab."));
        exp_line(e, io::Rec().x(15).lit("Average     Lower limit  Upper limit"));
      }
    }
    real8 mean = 0.0, lower = 0.0, upper = 0.0;
    confidence_limits(r, sum, sum_sq, mean, lower, upper);
    report_experiment_row(e, exp_unit(e), r > 1, invalue, mean, lower, upper);
    xp.alt_invalue[ix(a)] = invalue;
    xp.alt_mean[ix(a)] = static_cast<real4>(mean);
    xp.alt_lower[ix(a)] = static_cast<real4>(lower);
    xp.alt_upper[ix(a)] = static_cast<real4>(upper);
    xp.lowest_limit = std::min(xp.lowest_limit, static_cast<real4>(lower));
    xp.highest_limit = std::max(xp.highest_limit, static_cast<real4>(upper));
    if (mean > xp.best_value) {
      xp.best_value = static_cast<real4>(mean);
      xp.best_invalue = invalue;
    }
  }
  exp_line(e, "");
  exp_line(e, io::Rec().lit(r == 1 ? "  The highest outvalue is " : "  The highest average outvalue is ").f(xp.best_value, 10, 2));
  exp_line(e, io::Rec().lit("  obtained when the invalue is ").f(xp.best_invalue, 7, 2));
  if (r > 1) write_chart(e, alternatives);
  if (r > 1 && xp.comparisons_wanted) write_alternative_comparisons(e, alternatives, r);
  if (e.rep.prog_unit > 0 && e.rep.out_unit == e.rep.prog_unit) e.ch.close(e.rep.prog_unit);
  close_exp_section(e);
}

// ---- statistical analysis

// The histogram file of the results: 9 classes (16 from 200 runs on)
// from the lowest result, bounded by the band the statistics kept.
void write_result_histogram(Engine& e, int n) {
  const ExperimentState& xp = e.xp;
  const RunResults& rr = e.srv.results;
  real4 lowest = xp.result[1], highest = xp.result[1];
  for (int k = 2; k <= n; ++k) {
    lowest = std::min(lowest, xp.result[ix(k)]);
    highest = std::max(highest, xp.result[ix(k)]);
  }
  if (rr.band_upper > rr.band_lower) {
    lowest = std::max(lowest, static_cast<real4>(rr.band_lower));
    highest = std::min(highest, static_cast<real4>(rr.band_upper));
  }
  const int classes = n < 200 ? 9 : 16;
  const real4 divisor = n < 200 ? 8.0f : 15.0f;
  const int width = std::max(1, trunc_i32((highest - lowest) / divisor + 0.5f));
  const int start = nint(lowest);
  std::array<int, 17> count{};
  for (int k = 1; k <= n; ++k) {
    const double c = std::floor((static_cast<double>(xp.result[ix(k)]) - start) / width) + 1.0;
    count[ix(std::clamp(trunc_i32(c), 1, classes))] += 1;
  }
  // The next table number after the model's own names the file.
  const int t = std::min(e.ent.tab.table_count + 1, 10);
  const int unit = e.ctl.unit_base + 2;
  const std::string name = make_qt_file_name(e, t);
  if (!e.ch.open_new(unit, name)) {
    // The graph list line would name a file that is not there.
    e.ch.report_not_written(model_file_name(e, "GRT"), name);
    return;
  }
  e.ch.write(unit, io::Rec().x(1).a("EXPVAR", 6));
  e.ch.write(unit, io::Rec().i(start, 6));
  e.ch.write(unit, io::Rec().i(width, 6));
  e.ch.write(unit, io::Rec().i(classes, 6));
  for (int c = 1; c <= classes; ++c) e.ch.write(unit, io::Rec().i(count[static_cast<std::size_t>(c)], 6));
  e.ch.write(unit, "    -0");
  e.ch.close(unit);
  if (open_graph_list_file(e)) {
    e.ch.write(e.ctl.unit_base + io::offset::graph, io::Rec().lit("QT").ch(static_cast<char>('0' + t - 1)).lit(" T"));
  }
}

// Two alternatives compared through the differences of their paired
// runs: when the 95 % limits of the mean difference lie wholly on one
// side of 0, that alternative has, with 97.5 % probability, the higher
// value. The limits also go to "valut.fil".
void write_difference_comparison(Engine& e, const Definition& d, int runs) {
  const RunResults& rr = e.srv.results;
  const real8 mean = rr.sum[1] / runs;
  e.ch.write(e.ctl.unit_base + k_valut_offset,
             io::Rec().i(2, 3).i(runs, 3).f(mean, 10, 2).f(rr.lower, 10, 2).f(rr.upper, 10, 2));
  exp_line(e, "");
  exp_line(e, " With 97.5 percent probability:");
  if (!(rr.lower > 0.0) && !(rr.upper < 0.0)) return;
  const real4 higher = rr.lower > 0.0 ? d.low : d.high;
  const real4 lower = rr.lower > 0.0 ? d.high : d.low;
  if (is_whole(d.low) && is_whole(d.high)) {
    exp_line(e, io::Rec().i(nint(higher), 4).lit(" has a higher value than").i(nint(lower), 4));
  } else {
    exp_line(e, io::Rec().f(higher, 5, 1).lit(" has a higher value than").f(lower, 7, 1));
  }
}

void run_statistical_analysis(Engine& e, const Definition& d) {
  ExperimentState& xp = e.xp;
  const int alternatives = d.alternatives;
  int n = d.runs;
  if (n <= 0) {
    const int most = k_max_runs / alternatives;
    const std::string text = io::Rec().lit(" Max ").i(most, 3).lit(" runs allowed").str();
    n = ask_count(e, " Number of runs?", most, text);
  }
  if (static_cast<long long>(n) * alternatives > k_max_runs) too_many_runs(e);
  for (int k = 1; k <= n; ++k) {
    e.prog.seed_word = 2 * k - 1;
    real4 result = 0.0f;
    if (alternatives == 1) {
      e.ev.experi_alternative = 1;
      result = make_run(e, k, n, 1, d.low);
    } else {
      e.ev.experi_alternative = 1;
      const real4 first = make_run(e, 2 * k - 1, 2 * n, 2, d.low);
      e.ev.experi_alternative = 2;
      const real4 second = make_run(e, 2 * k, 2 * n, 2, d.high);
      result = first - second;
    }
    check_reached(e);
    if (k == 1) {
      open_exp_section(e);
      exp_line(e, "");
      if (alternatives == 2) {
        io::Rec r;
        r.lit(" Result = Result(");
        if (is_whole(d.low) && is_whole(d.high)) r.i(nint(d.low), 3).lit(") - Result(").i(nint(d.high), 3);
        else r.f(d.low, 5, 1).lit(") - Result(").f(d.high, 5, 1);
        exp_line(e, r.lit(")"));
      }
    }
    xp.result[ix(k)] = result;
    if (!e.ent.experi.last_result_only || k == n) {
      exp_line(e, "   ");
      io::Rec r;
      r.lit(" Result in run ").i(k, 3);
      if (result > 1000000.0f) r.f(result, 14, 0);
      else r.f(result, 10, 2);
      exp_line(e, r);
    }
    if (k > 1 && e.rep.prog_unit > 0 && e.rep.out_unit == e.rep.prog_unit) {
      exp_line(e, io::Rec().lit(" Run").i(k, 4));
    }
    // The statistics of the results so far, on the same channel: of the
    // run's result, or of each value of several VALUT blocks (refused by
    // the statistics with two alternatives).
    RunResults& rr = e.srv.results;
    if (rr.count <= 1) {
      rr.count = 1;
      rr.name[1] = 0;
      rr.value[1] = result;
    }
    const int saved = e.rep.out_unit;
    e.rep.out_unit = exp_unit(e);
    write_run_statistics(e);
    e.rep.out_unit = saved;
  }
  if (alternatives == 2 && n > 1 && xp.comparisons_wanted) write_difference_comparison(e, d, n);
  if (e.rep.prog_unit > 0 && e.rep.out_unit == e.rep.prog_unit) e.ch.close(e.rep.prog_unit);
  if (e.run.matrix_output_wanted) matrix_save_dialog(e);
  if (xp.valut_file_open) {
    e.ch.close(e.ctl.unit_base + k_valut_offset);
    xp.valut_file_open = false;
  }
  close_exp_section(e);
  if (n >= 40) write_result_histogram(e, n);
}

}  // namespace

void run_experiment(Engine& e, bool first) {
  reset_compile_state(e);
  e.xp = ExperimentState{};
  e.srv.results = RunResults{};
  e.ev.input_used_mark = 0;
  e.ev.keep_input = true;
  // The program is listed when the experiment comes from the model's own
  // EXPERI statement; one defined at the console or in "extern.dat" runs
  // unlisted.
  e.ctl.translate_needed = e.ctl.translate_needed && e.ctl.experi_present;
  const Definition d = experiment_definition(e, first);
  // Under the front end a model whose first line sends its results off
  // the terminal is listed in any case.
  bool header = false;
  read_program_header(e, e.ctl.unit_base, header);
  if (header && e.ctl.java_mode && e.ctl.experi_present) e.ctl.translate_needed = true;
  e.ent.experi.experi_alternatives = d.alternatives;
  if (d.alternatives > 2) run_optimisation(e, d);
  else run_statistical_analysis(e, d);
  // After the last run the trace file ends as after a single run.
  close_atf_file(e);
  if (e.xp.valut_file_open) e.ch.close(e.ctl.unit_base + k_valut_offset);
}

void write_series_comparison(Engine& e) {
  // A plain series is one alternative: its line in "valut.fil" and the
  // 97.5 % heading, with no other alternative to name. The heading stays
  // in the EXP section also when "valut.fil" could not be made.
  const RunResults& rr = e.srv.results;
  if (!e.xp.comparisons_wanted || rr.count != 1 || rr.runs < 2) return;
  e.xp.alt_invalue[1] = 0.0f;
  e.xp.alt_mean[1] = static_cast<real4>(rr.sum[1] / rr.runs);
  e.xp.alt_lower[1] = static_cast<real4>(rr.lower);
  e.xp.alt_upper[1] = static_cast<real4>(rr.upper);
  write_alternative_comparisons(e, 1, rr.runs);
}

void put_invalue_into_model(Engine& e, int run, int mode) {
  const auto& x = e.ent.experi;
  const real4 v = e.ev.experi_input_value;
  const int4 whole = trunc_i32(v);
  int i = 0;
  if (x.invalue_name != 0 && find_savevalue_by_name(e, x.invalue_name, i)) {
    e.ent.sv.savevalue_init[ix(i)] = v;
    e.ent.sv.savevalue_value.set(ix(i), v, e.changes);
  }
  // A GOTO whose B operand is the invalue savevalue reads that savevalue
  // at every branch, so it needs nothing more: the probability is the
  // invalue, checked to lie within 0..1 as every savevalue probability.
  if (mode > 1 && x.capacity_flag && x.capacity_slot >= 1 && x.capacity_slot <= k_station_limit) {
    e.ent.st.station_capacity[ix(x.capacity_slot)] = whole;
  }
  const auto generate_of = [&e](int b) {
    return b >= 1 && b <= e.blocks.block_count && e.blocks.block_op[ix(b)] == bc::generate ? e.blocks.block_arg[ix(b)] : 0;
  };
  if (const int g = generate_of(x.generate_c_slot); g >= 1 && g <= k_generate_limit) {
    // A negative first creation time would read as a decimal constant's
    // number: refused as the translator refuses it.
    if (v < 0.0f) {
      write_error_message(e, " C operand may not be negative");
      stop_program(e);
    }
    if (is_whole(v)) {
      e.ent.gen.generate_first_time[ix(g)] = static_cast<real4>(whole);
    } else {
      // A time with decimals: a decimal constant that holds it.
      auto& xs = e.ent.experi;
      if (xs.invalue_decimal == 0) {
        int4 index = 0;
        if (check_decimal_count(e, v, index)) xs.invalue_decimal = index;
      }
      if (xs.invalue_decimal != 0) {
        e.ent.dec.decimal_value[ix(xs.invalue_decimal)] = v;
        e.ent.gen.generate_first_time[ix(g)] = -static_cast<real4>(xs.invalue_decimal);
      }
    }
  }
  if (x.generate_d_slot >= 1 && generate_of(x.generate_d_slot) != 0) {
    e.blocks.generate_limit[ix(x.generate_d_slot)] = std::clamp(whole, 0, k_generate_maximum);
  }
  // A priority keeps its decimals, as a GENERATE E constant does.
  if (x.generate_e_slot >= 1 && x.generate_e_slot <= k_generate_limit) e.ent.gen.generate_priority[ix(x.generate_e_slot)] = v;
  // A START whose count is the invalue savevalue.
  // With START, RESET, START only the START that names it (the warm-up
  // or the measured period) takes it.
  if (e.ent.steps.start_name_flag) {
    auto& t = e.ent.steps.termination_count;
    const int start = e.ent.steps.two_phase_runs ? 2 * run - 2 + std::clamp(e.ent.steps.start_name_number, 1, 2) : run;
    if (start <= k_run_number_capacity) t[ix(start)] = whole;
  }
}

real4 read_outvalue(Engine& e) {
  const auto& x = e.ent.experi;
  int i = 0;
  if (x.result_name != 0 && find_savevalue_by_name(e, x.result_name, i)) {
    e.xp.valut_reached = true;
    return static_cast<real4>(e.ent.sv.savevalue_value[ix(i)]);
  }
  if (e.srv.results.count > 0) return static_cast<real4>(e.srv.results.value[1]);
  return 0.0f;
}

void record_valut_value(Engine& e, const ProgramArgs& args, int k) {
  const auto& sp = e.ent.spec;
  int u = 0;
  for (int j = 1; j <= std::min(k, k_spec_limit); ++j)
    if (sp.spec_program[ix(j)] == prog::valut) ++u;
  if (u < 1 || u > std::min(k_valut_limit, k_run_result_limit)) return;
  RunResults& r = e.srv.results;
  r.count = std::max(r.count, u);
  r.name[ix(u)] = e.flow.valut.valut_savevalue[ix(u)];
  r.value[ix(u)] = args.value(1);
  e.xp.valut_reached = true;
}

}  // namespace kelvo
