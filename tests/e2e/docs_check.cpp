// The modeller's guide (docs/) and the examples (examples/) against the
// engine: every operation word the translator accepts has an entry in the
// language reference; every model shown in docs/ runs and every result
// excerpt shown beside it is in the file it names; every example agrees
// with the queueing theory its comment block states.
//
// In docs/*.md a block fenced as ```model NAME [MARKER...] is a model
// file NAME, run under the front end in a folder of its own (each MARKER an
// empty marker file made there first); NAME examples/F quotes that example
// and must equal it. A block fenced as ```result NAME FILE shows lines of
// the file FILE that the run of model NAME wrote: its non-blank lines must
// be found there in the same order (trailing blanks aside).
#include "engine_under_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/block_table.h"
#include "model/program_tables.h"
#include "support/statement_reader.h"

namespace fs = std::filesystem;

namespace {

using e2e::lines_of_file;

std::string rstrip(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
  return s;
}

std::string text_of_file(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Runs the model file `name` (text `model`) under the front end in `dir`;
// false when the engine did not end with status 0.
bool run_model(const fs::path& dir, const std::string& name, const std::string& model,
               const std::vector<std::string>& markers = {}) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / name) << model;
  std::ofstream(dir / "zwxyq.jav") << name << "\n    600\n";
  for (const auto& m : markers) std::ofstream(dir / m).flush();
  const std::string cmd = "cd '" + dir.string() + "' && '" + e2e::engine_binary() + "' </dev/null >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

// ---- The operation words ----

// The words of every heading of level 3 in the reference.
std::set<std::string> heading_words(const fs::path& reference) {
  std::set<std::string> words;
  for (const auto& l : lines_of_file(reference)) {
    if (l.rfind("### ", 0) != 0) continue;
    std::string w;
    for (char c : l.substr(4) + " ") {
      if (std::isupper(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) || c == '+' ||
          c == '-') {
        w += c;
      } else if (!w.empty()) {
        words.insert(w);
        w.clear();
      }
    }
  }
  return words;
}

// A statement word of the tables (at most 6 characters, cut from a longer
// one) is covered by a heading word that begins with it.
bool covered(const std::set<std::string>& words, const std::string& word) {
  for (const auto& w : words) {
    if (w == word || (word.size() == 6 && w.rfind(word, 0) == 0)) return true;
  }
  return false;
}

TEST(Docs, EveryOperationWordHasItsReferenceEntry) {
  const auto words = heading_words(fs::path(DOCS_DIR) / "reference.md");
  std::set<std::string> wanted;
  for (int k = 1; k < kelvo::k_parse_ops; ++k) {
    const std::string w(kelvo::parse_op_display(k));
    if (w != "*" && !w.empty()) wanted.insert(w);
  }
  for (const auto& info : kelvo::k_block_codes) {
    if (info.cls == kelvo::StatementClass::block || info.cls == kelvo::StatementClass::control) wanted.insert(info.word);
  }
  for (int n = 1; n <= kelvo::prog::builtin_count; ++n) wanted.insert(std::string(kelvo::k_program_names[n]));
  ASSERT_GT(wanted.size(), 80u);
  for (const auto& w : wanted) EXPECT_TRUE(covered(words, w)) << w << " has no entry in docs/reference.md";
}

// ---- The models of the guide ----

struct Block {
  std::string doc, kind;
  std::vector<std::string> args;  // words after the kind on the fence line
  std::string text;
  int line = 0;
};

std::vector<Block> fenced_blocks(const fs::path& doc) {
  std::vector<Block> out;
  const auto lines = lines_of_file(doc);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("```", 0) != 0 || lines[i].size() == 3) continue;
    Block b;
    b.doc = doc.filename().string();
    b.line = static_cast<int>(i) + 1;
    std::istringstream head(lines[i].substr(3));
    head >> b.kind;
    for (std::string w; head >> w;) b.args.push_back(w);
    for (++i; i < lines.size() && lines[i] != "```"; ++i) b.text += lines[i] + "\n";
    out.push_back(b);
  }
  return out;
}

// The non-blank lines of `excerpt` are found in `file`, in order.
void expect_excerpt(const std::vector<std::string>& file, const std::string& excerpt, const std::string& where) {
  std::istringstream in(excerpt);
  size_t at = 0;
  for (std::string want; std::getline(in, want);) {
    want = rstrip(want);
    if (want.empty()) continue;
    while (at < file.size() && rstrip(file[at]) != want) ++at;
    ASSERT_LT(at, file.size()) << where << ": line not found (in this order): '" << want << "'";
    ++at;
  }
}

TEST(Docs, EveryModelShownRunsAndWritesTheResultsShown) {
  int models = 0, excerpts = 0;
  for (const auto& entry : fs::directory_iterator(DOCS_DIR)) {
    if (entry.path().extension() != ".md") continue;
    std::map<std::string, fs::path> run_dirs;
    for (const auto& b : fenced_blocks(entry.path())) {
      const std::string where = b.doc + ":" + std::to_string(b.line);
      if (b.kind == "model") {
        ASSERT_FALSE(b.args.empty()) << where;
        const std::string& name = b.args[0];
        if (name.rfind("examples/", 0) == 0) {
          EXPECT_EQ(b.text, text_of_file(fs::path(EXAMPLES_DIR) / name.substr(9))) << where << " differs from " << name;
        }
        const fs::path dir = e2e::scratch_root() / "docs" / (entry.path().stem().string() + "_" + std::to_string(b.line));
        const std::string file = fs::path(name).filename().string();
        ASSERT_TRUE(run_model(dir, file, b.text, {b.args.begin() + 1, b.args.end()})) << where;
        run_dirs[name] = dir;
        ++models;
      } else if (b.kind == "result") {
        ASSERT_EQ(b.args.size(), 2u) << where;
        ASSERT_TRUE(run_dirs.count(b.args[0])) << where << ": no model " << b.args[0] << " above";
        const auto file = lines_of_file(run_dirs[b.args[0]] / b.args[1]);
        ASSERT_FALSE(file.empty()) << where << ": " << b.args[1] << " not written";
        expect_excerpt(file, b.text, where);
        ++excerpts;
      }
    }
  }
  EXPECT_GE(models, 10);
  EXPECT_GE(excerpts, 10);
}

// ---- The examples against theory ----

// Every row of `lines` that begins with the word `name` and has `fields`
// whitespace-separated fields, one per run.
std::vector<std::vector<std::string>> rows(const std::vector<std::string>& lines, const std::string& name,
                                           size_t fields) {
  std::vector<std::vector<std::string>> out;
  for (const auto& l : lines) {
    std::istringstream in(l);
    std::vector<std::string> f;
    for (std::string w; in >> w;) f.push_back(w);
    if (f.size() == fields && f[0] == name) out.push_back(f);
  }
  return out;
}

// The mean over the runs of field `k` of those rows.
double mean_field(const std::vector<std::vector<std::string>>& r, size_t k) {
  double s = 0;
  for (const auto& f : r) s += std::stod(f[k]);
  return r.empty() ? std::nan("") : s / static_cast<double>(r.size());
}

// Erlang's loss formula B(c, a) and the waiting probability C(c, a).
double erlang_b(int c, double a) {
  double b = 1.0;
  for (int k = 1; k <= c; ++k) b = a * b / (k + a * b);
  return b;
}
double erlang_c(int c, double a) {
  const double b = erlang_b(c, a), rho = a / c;
  return b / (1.0 - rho + rho * b);
}

struct ExampleCase {
  const char* model;
  std::function<void(const fs::path& dir, const std::string& base)> check;
};

const ExampleCase k_examples[] = {
    {"tellers.txt",
     [](const fs::path& d, const std::string& b) {
       // Queue row 1: name, maximum, average contents, entries, zeros, % zeros.
       const auto r = rows(lines_of_file(d / (b + ".QUE")), "LINE", 6);
       ASSERT_EQ(r.size(), 10u);
       const double rho = 2.5 / 3.0, lq = erlang_c(3, 2.5) * rho / (1.0 - rho);
       EXPECT_NEAR(lq, 3.51, 0.01);
       EXPECT_NEAR(mean_field(r, 2), lq, 0.12 * lq);
     }},
    {"twostage.txt",
     [](const fs::path& d, const std::string& b) {
       // Facility row: name, utilization %, entries, average time.
       const auto r = rows(lines_of_file(d / (b + ".STA")), "M2", 4);
       ASSERT_EQ(r.size(), 1u);
       EXPECT_EQ(r[0][2], "50000");
       EXPECT_NEAR(std::stod(r[0][1]), 100.0 * 4.0 / 5.0, 1.5);
     }},
    {"repair.txt",
     [](const fs::path& d, const std::string& b) {
       // Queue row 2: name, average time/trans, $average, current.
       const auto que = lines_of_file(d / (b + ".QUE"));
       const auto urgent = rows(que, "URGENT", 4), routine = rows(que, "ROUTIN", 4);
       ASSERT_EQ(urgent.size(), 10u);
       ASSERT_EQ(routine.size(), 10u);
       const double l1 = 0.25, l2 = 0.5, w0 = (l1 + l2) * 2.0 / 2.0;
       EXPECT_NEAR(mean_field(urgent, 1), w0 / (1.0 - l1), 0.05 * 1.0);
       EXPECT_NEAR(mean_field(routine, 1), w0 / ((1.0 - l1) * (1.0 - l1 - l2)), 0.08 * 4.0);
     }},
    {"inventory.txt",
     [](const fs::path& d, const std::string& b) {
       const auto sav = lines_of_file(d / (b + ".SAV"));
       const auto lost = rows(sav, "LOST", 2), sold = rows(sav, "SOLD", 2);
       ASSERT_EQ(lost.size(), 1u);
       ASSERT_EQ(sold.size(), 1u);
       const double nl = std::stod(lost[0][1]), ns = std::stod(sold[0][1]);
       EXPECT_GE(nl + ns, 50000.0);
       EXPECT_NEAR(nl / (nl + ns), erlang_b(5, 3.0), 0.005);
     }},
    {"histogram.txt",
     [](const fs::path& d, const std::string& b) {
       const auto qta = lines_of_file(d / (b + ".QTA"));
       // Table figures: entries, mean, st. dev., total, minimum, maximum.
       const auto fig = rows(qta, "50000", 6);
       ASSERT_EQ(fig.size(), 1u);
       EXPECT_NEAR(std::stod(fig[0][1]), 1.0, 0.1);
       // Class rows: '-', upper limit 0, frequency, per cent ...; then
       // lower limit, '-', upper limit, frequency, per cent ...
       const double rho = 0.5;
       const auto zero = rows(qta, "-", 6);
       ASSERT_EQ(zero.size(), 1u);
       EXPECT_NEAR(std::stod(zero[0][3]), 100.0 * (1.0 - rho), 1.5);
       for (const char* lower : {"0.00", "1.00", "2.00"}) {
         const auto r = rows(qta, lower, 7);
         ASSERT_EQ(r.size(), 1u) << lower;
         const double t = std::stod(lower);
         const double p = rho * (std::exp(-(1.0 - rho) * t) - std::exp(-(1.0 - rho) * (t + 1.0)));
         EXPECT_NEAR(std::stod(r[0][4]), 100.0 * p, 1.5) << "class from " << lower;
       }
     }},
    {"experiment.txt",
     [](const fs::path& d, const std::string& b) {
       // Alternative rows: invalue, average, lower limit, '-', upper limit.
       int seen = 0;
       for (const auto& l : lines_of_file(d / (b + ".EXP"))) {
         std::istringstream in(l);
         double s, avg, lo, hi;
         std::string dash;
         if (!(in >> s >> avg >> lo >> dash >> hi) || dash != "-") continue;
         ++seen;
         EXPECT_NEAR(avg, s * s / (1.0 - s), 1.5 * (hi - lo) / 2.0) << "service time " << s;
       }
       EXPECT_EQ(seen, 3);
     }},
};

TEST(Examples, EachAgreesWithTheTheoryItStates) {
  for (const auto& c : k_examples) {
    SCOPED_TRACE(c.model);
    const fs::path src = fs::path(EXAMPLES_DIR) / c.model;
    const fs::path dir = e2e::scratch_root() / "examples" / fs::path(c.model).stem();
    ASSERT_TRUE(run_model(dir, c.model, text_of_file(src)));
    EXPECT_FALSE(fs::exists(dir / (fs::path(c.model).stem().string() + ".ERR")));
    c.check(dir, fs::path(c.model).stem().string());
  }
}

}  // namespace
