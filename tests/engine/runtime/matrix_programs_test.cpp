// The model's matrix: data lines after END, the MATIN store, the MX fetch
// with its free-form file, the MATRE readers and dialogue, and the saved
// matrix and merged files. Files are written in a scratch folder named
// after the model m.txt; messages go to the console.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "runtime/builtin_programs.h"
#include "runtime/matrix_files.h"
#include "runtime_test_support.h"
#include "translator/matrix_graph_statements.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

const std::string k_block3 = " Error found at block    3";

Lines trimmed(Lines lines) {
  for (auto& l : lines) l.erase(l.find_last_not_of(' ') + 1);
  return lines;
}

ProgramArgs args(real4 a, real4 b, real4 c = 0.0f) {
  ProgramArgs p;
  p.set_value(1, a);
  p.set_value(2, b);
  p.set_value(3, c);
  return p;
}

real4 fetch(Engine& e, real4 r, real4 c) {
  ProgramArgs p = args(r, c);
  check_mx_row_column(e, p);
  return p.value(3);
}

class Matrix : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    e->ctl.program_file_name.assign("m.txt");
    e->act.cur_txn[tw::next_block] = 3;  // errors at run time name block 3
    console_input("\n");
  }
  static void write(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }
  static Lines file(const std::string& name) { return trimmed(lines_of(read_file(name))); }
  real4 at(int r, int c) const { return e->mat.matrix_data[c][r]; }
  void fill(int rows, int cols) {
    for (int r = 1; r <= rows; ++r)
      for (int c = 1; c <= cols; ++c) e->mat.matrix_data[c][r] = static_cast<real4>(10 * r + c);
    e->mat.matrix_rows = rows;
    e->mat.matrix_cols = cols;
  }
  // The data lines after END: `first` read already, `rest` still in the model file.
  void data_after_end(const std::string& first, const std::string& rest) {
    write("after.txt", rest);
    e->ch.open_read(e->ctl.unit_base, "after.txt");
    read_data_after_end(*e, first, 0);
    e->ch.close_all();
  }
  ScratchDir dir_{"matrix"};
};

// ---- Data after END and the files saved for the front end.

TEST_F(Matrix, DataAfterEndGivesTheMatrixFileMenuFileAndMergedFile) {
  e->ctl.java_mode = true;
  data_after_end("1 2 3", "4 5 6\n\n7 8 9\n");
  EXPECT_FALSE(e->ctl.error_found);
  EXPECT_EQ(file("m.MNU"), (Lines{"1 2 3", "4 5 6"}));
  matrix_save_dialog(*e);
  e->ch.close_all();
  EXPECT_EQ(file("m.FRM"), (Lines{"       1.00       2.00       3.00", "       4.00       5.00       6.00"}));
  EXPECT_EQ(file("m.CSV"), (Lines{"1 2 3\",       1.00,      2.00,      3.00,", "4 5 6\",       4.00,      5.00,      6.00,"}));
}

TEST_F(Matrix, FewerMatrixTextsThanMergedRowsAreReported) {
  e->ctl.java_mode = true;
  e->flow.frame.frame_count = 1;
  e->flow.frame.frame_longest = 3;
  data_after_end("1 2", "3 4\n");
  matrix_save_dialog(*e);
  e->ch.close_all();
  EXPECT_EQ(file("m.ERR"), (Lines{" Not enough MATIN statements with text"}));
  EXPECT_EQ(file("m.CSV"), (Lines{"1 2\",       1.00,      2.00,", "3 4\",       3.00,      4.00,"}));
}

TEST_F(Matrix, DataNumbersTakeFourDecimalsAndAHashLineEndsTheData) {
  data_after_end("  12.34567  .5\t7.", "3\n# end\n9\n");
  EXPECT_EQ(e->mat.matrix_rows, 2);
  EXPECT_EQ(e->mat.matrix_cols, 3);
  EXPECT_FLOAT_EQ(at(1, 1), 12.3456f);
  EXPECT_FLOAT_EQ(at(1, 2), 0.5f);
  EXPECT_FLOAT_EQ(at(1, 3), 7.0f);
  EXPECT_FLOAT_EQ(at(2, 1), 3.0f);
}

TEST_F(Matrix, DataNumberTakesAtMostEightCharacters) {
  data_after_end("123456789 1.2345678", "");
  EXPECT_EQ(e->mat.matrix_cols, 4);
  EXPECT_FLOAT_EQ(at(1, 1), 12345678.0f);
  EXPECT_FLOAT_EQ(at(1, 2), 9.0f);
  EXPECT_FLOAT_EQ(at(1, 3), 1.2345f);
  EXPECT_FLOAT_EQ(at(1, 4), 8.0f);
}

struct DataErrorCase {
  std::string name, first, rest;
  std::string message, statement;  // the message and the data line the report shows
};

class DataError : public Matrix, public ::testing::WithParamInterface<DataErrorCase> {};

TEST_P(DataError, IsAStatementErrorOfTheDataLine) {
  const auto& c = GetParam();
  data_after_end(c.first, c.rest);
  EXPECT_TRUE(e->ctl.error_found);
  const Lines lines = trimmed(lines_of(out.str()));
  EXPECT_EQ(lines, (Lines{c.message, " Error found at the following statement:", "", "   " + c.statement}));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DataError,
    ::testing::Values(
        DataErrorCase{"ThirteenColumns", "1 2", "1 2 3 4 5 6 7 8 9 10 11 12 13\n", " Column number of matrix exceeds  12",
                      "1 2 3 4 5 6 7 8 9 10 11 12 13"},
        DataErrorCase{"Letter", "1 2 X", "", " Illegal characters after END", "1 2 X"},
        DataErrorCase{"MinusSign", "1", "-2\n", " Illegal characters after END", "-2"},
        DataErrorCase{"Row251", "1", [] { std::string s; for (int i = 0; i < 250; ++i) s += "1\n"; return s; }(),
                      " Number of rows of matrix exceeds  250", "1"}),
    [](const auto& info) { return info.param.name; });

// ---- MATIN and MX.

TEST_F(Matrix, StoreRaisesTheCountsAndSkipsRowOrColumnBelowOne) {
  ProgramArgs inside = args(2.9f, 3.0f, 7.5f), row0 = args(0.0f, 5.0f, 1.0f), col0 = args(9.0f, 0.0f, 1.0f);
  check_matrix_dimensions(*e, inside);
  check_matrix_dimensions(*e, row0);
  check_matrix_dimensions(*e, col0);
  EXPECT_TRUE(e->run.matrix_output_wanted);
  EXPECT_EQ(at(2, 3), 7.5f);
  EXPECT_EQ(e->mat.matrix_rows, 2);
  EXPECT_EQ(e->mat.matrix_cols, 5);
  EXPECT_EQ(fetch(*e, 2.0f, 3.7f), 7.5f);
  EXPECT_EQ(fetch(*e, 0.0f, 1.0f), 0.0f);
  EXPECT_EQ(fetch(*e, 1.0f, -1.0f), 0.0f);
}

TEST_F(Matrix, FirstFetchFromAnEmptyMatrixReadsTheMatrixFileInFreeForm) {
  write("m.FRM", "Results of the run.\n-----------------\n Pump A,  1, 2.5, 3\n\n Pump B:  4   5  6\n");
  EXPECT_EQ(fetch(*e, 2.0f, 2.0f), 5.0f);
  EXPECT_EQ(e->mat.matrix_rows, 2);
  EXPECT_EQ(e->mat.matrix_cols, 3);
  EXPECT_EQ(at(1, 2), 2.5f);
}

// ---- What ends the run (or, in a series, reads as 0).

struct StopCase {
  std::string name;
  bool filled;       // a 2 x 3 matrix, else an empty one
  std::string file;  // the model's FRM file ("" none)
  int run_count;
  std::function<void(Engine&)> call;
  Lines lines;       // written before the stop; none: no stop
};

class Stop : public Matrix, public ::testing::WithParamInterface<StopCase> {};

TEST_P(Stop, WritesItsMessageAndTheBlock) {
  const auto& c = GetParam();
  if (c.filled) fill(2, 3);
  if (!c.file.empty()) write("m.FRM", c.file);
  e->run.run_count = c.run_count;
  ASSERT_EQ(stops([&] { c.call(*e); }), !c.lines.empty());
  Lines lines = trimmed(lines_of(out.str()));
  lines.resize(std::min(lines.size(), c.lines.size()));
  EXPECT_EQ(lines, c.lines);
  EXPECT_LE(e->mat.matrix_cols, k_matrix_cols);
  EXPECT_LE(e->mat.matrix_rows, k_matrix_rows);
}

auto store(real4 r, real4 c) {
  return [=](Engine& e) {
    ProgramArgs p = args(r, c, 1.0f);
    check_matrix_dimensions(e, p);
  };
}
auto mx(real4 r, real4 c) {
  return [=](Engine& e) { fetch(e, r, c); };
}
auto matre(real4 rows, real4 columns) {
  return [=](Engine& e) {
    ProgramArgs p = args(rows, columns, 0.0f);
    matrix_read_dialog(e, p, false);
  };
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Stop,
    ::testing::Values(
        StopCase{"StoreColumn13", false, "", 0, store(1, 13), {" Column number of matrix exceeds  12", k_block3}},
        StopCase{"StoreRow251", false, "", 0, store(251, 1), {" Number of rows of matrix exceeds  250", k_block3}},
        StopCase{"FetchColumnBeyond", true, "", 0, mx(1, 4), {" Illegal value on column in MX matrix", k_block3}},
        StopCase{"FetchRowBeyondCapacity", true, "", 0, mx(251, 1), {" Illegal value on row in MX matrix", k_block3}},
        StopCase{"FetchFileMissing", false, "", 0, mx(1, 1), {" The following file is missing: m.FRM", k_block3}},
        StopCase{"FetchFileMissingInASeries", false, "", 2, mx(1, 1), {}},
        StopCase{"FetchLinesDiffer", false, "1 2\n3\n", 0, mx(1, 1),
                 {" Error in read-in file", " Different amount of numbers on lines", k_block3}},
        StopCase{"FetchThirteenNumbers", false, "1 2 3 4 5 6 7 8 9 10 11 12 13\n", 0, mx(1, 1),
                 {" Number of columns exceeds maximum of  12", k_block3}},
        StopCase{"FetchTwoPoints", false, "1.2.3\n", 0, mx(1, 1), {" Error in read-in file", k_block3}},
        StopCase{"MatreRows", true, "", 0, matre(251, 2), {" Illegal row value in B operand", k_block3}},
        StopCase{"MatreColumns", true, "", 0, matre(2, 13), {" Illegal column value in B operand", k_block3}},
        StopCase{"MatreFileTooShort", false, "1 2\n3 4\n", 0, matre(3, 2), {" File is too short"}}),
    [](const auto& info) { return info.param.name; });

// ---- MATRE and STLRE.

TEST_F(Matrix, MatreReadsTheModelsMatrixFileRowByRow) {
  write("m.FRM", "1 2\n3\n4 99\n");
  matre(2, 2)(*e);
  EXPECT_EQ(e->mat.matrix_rows, 2);
  EXPECT_EQ((std::array{at(1, 1), at(1, 2), at(2, 1), at(2, 2)}), (std::array{1.0f, 2.0f, 3.0f, 4.0f}));
}

TEST_F(Matrix, StlreSkipsTheTitleAndAConsoleFileStartsAtItsRow) {
  write("in.dat", "TITLE 9 9\n5 6\n");
  console_input("in.dat\nN\n");
  ProgramArgs p = args(1.0f, 2.0f, 4.0f);
  matrix_read_dialog(*e, p, true);
  EXPECT_EQ(e->mat.matrix_rows, 4);
  EXPECT_EQ(at(4, 2), 6.0f);
  EXPECT_EQ(lines_of(out.str()), (Lines{" Give name of file to be read by MATRE", " Do you want to read another file? (Y/N)"}));
}

TEST_F(Matrix, MatreDialogueAsksAgainUntilTheAnswersFit) {
  write("a.dat", "1\n");
  write("b.dat", "7 8\n");
  console_input("a.dat\nmaybe\ny\nb.dat\n1\n13\n2\n251\n3\nN\n");
  ProgramArgs p = args(1.0f, 1.0f, 1.0f);
  matrix_read_dialog(*e, p, false);
  EXPECT_EQ((std::array{at(1, 1), at(3, 1), at(3, 2)}), (std::array{1.0f, 7.0f, 8.0f}));
  EXPECT_EQ(e->mat.matrix_rows, 3);
  EXPECT_EQ(e->mat.matrix_cols, 2);
  EXPECT_NE(out.str().find(" Column number above maximum of  12"), std::string::npos);
  EXPECT_NE(out.str().find(" Row number outside of permitted range"), std::string::npos);
}

// ---- Saving.

TEST_F(Matrix, IntegerFirstRowRoundsHalvesAwayFromZero) {
  e->mat.integer_first_row = true;
  e->mat.matrix_data[1][1] = e->mat.matrix_data[1][2] = -2.5f;
  e->mat.matrix_data[2][1] = 2.5f;
  e->mat.matrix_data[2][2] = e->mat.matrix_data[3][1] = 1e12f;  // saturates in row 1
  e->ch.open_new(40, "rows.txt");
  write_matrix_rows(*e, 40, 1, 2, 3);
  e->ch.close(40);
  EXPECT_EQ(file("rows.txt"), (Lines{"      -3          3 2147483647", "      -2.50***********       0.00"}));
}

TEST_F(Matrix, ConsoleSaveAsksForFilesAndRows) {
  fill(3, 2);
  console_input("all.frm\nY\npart.frm\n0\n3\n2\n");
  matrix_save_dialog(*e);
  e->ch.close_all();
  EXPECT_EQ(file("all.frm").size(), 3u);
  EXPECT_NE(out.str().find(" Row number outside permitted range"), std::string::npos);
  EXPECT_NE(out.str().find(" Start row higher than end row"), std::string::npos);
  EXPECT_FALSE(std::ifstream("part.frm").good());
}

TEST_F(Matrix, AMenuFileShorterThanTheMatrixStopsTheEngine) {
  fill(2, 1);
  write("m.MNU", "only one\n");
  console_input("out.frm\n");
  EXPECT_TRUE(stops([&] { matrix_save_dialog(*e); }));
  EXPECT_NE(out.str().find(" File.MNU shorter than file.FRM"), std::string::npos);
}

// The merged file is made from the matrix file: when that is lost, the
// merged file is not written and is named as lost too.
TEST_F(Matrix, TheMergedFileIsNamedLostWithItsMatrixFile) {
  std::ostringstream err;
  e->ch.attach_error_stream(&err);
  e->ctl.java_mode = true;
  fill(2, 2);
  write("m.MNU", "Pump\nTank\n");
  std::filesystem::create_directories("m.FRM/in_the_way");
  matrix_save_dialog(*e);
  e->ch.close_all();
  EXPECT_EQ(err.str(), " Output lost: m.FRM: Is a directory\n Output lost: m.CSV: not written, as m.FRM was lost\n");
  EXPECT_FALSE(std::filesystem::exists("m.CSV"));
  EXPECT_TRUE(e->ch.output_lost());
}

TEST_F(Matrix, RuleTextsFillTheValueColumns) {
  e->ctl.java_mode = true;
  fill(2, 2);
  write("m.MNU", "Pump\n-----\n");
  matrix_save_dialog(*e);
  e->ch.close_all();
  EXPECT_EQ(file("m.CSV"), (Lines{"Pump \",      11.00,     12.00,", "-----\", ----------,----------"}));
}

}  // namespace
}  // namespace kelvo::test
