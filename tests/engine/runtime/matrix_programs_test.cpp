// The model's matrix: data lines after END, the MATIN store, the MX fetch
// with its free-form file, the MATRE readers and dialogue, and the saved
// matrix and merged files. Files are written in a scratch folder named
// after the model m.txt; messages go to the console (or the ERR file
// under the front end).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "runtime/builtin_programs.h"
#include "runtime/matrix_files.h"
#include "runtime_test_support.h"
#include "translator/matrix_graph_statements.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

class Matrix : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    e->ctl.program_file_name.assign("m.txt");
    // Errors at run time name block 3.
    e->act.cur_txn[tw::next_block] = 3;
    console_input("\n");
  }
  static void write(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }
  static Lines file(const std::string& name) {
    Lines lines = lines_of(read_file(name));
    for (auto& l : lines) l.erase(l.find_last_not_of(' ') + 1);
    return lines;
  }
  static ProgramArgs args(real4 a, real4 b, real4 c = 0.0f) {
    ProgramArgs p;
    p.set_value(1, a);
    p.set_value(2, b);
    p.set_value(3, c);
    return p;
  }
  real4 at(int r, int c) const { return e->mat.matrix_data[c][r]; }
  void fill(int rows, int cols) {
    for (int r = 1; r <= rows; ++r)
      for (int c = 1; c <= cols; ++c) e->mat.matrix_data[c][r] = static_cast<real4>(10 * r + c);
    e->mat.matrix_rows = rows;
    e->mat.matrix_cols = cols;
  }
  real4 fetch(real4 r, real4 c) {
    ProgramArgs p = args(r, c);
    check_mx_row_column(*e, p);
    return p.value(3);
  }
  // The lines written before the stop (trailing blanks cut) up to the
  // block line, when the call stopped the engine.
  template <class F>
  Lines stop_lines(F&& f) {
    if (!stops(f)) return {"(no stop)"};
    Lines lines;
    for (auto line : lines_of(out.str())) {
      line.erase(line.find_last_not_of(' ') + 1);
      lines.push_back(line);
      if (line.rfind(" Error found at block", 0) == 0) break;
    }
    return lines;
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
  EXPECT_EQ(e->mat.matrix_rows, 2);
  EXPECT_EQ(e->mat.matrix_cols, 3);
  EXPECT_EQ(file("m.MNU"), (Lines{"1 2 3", "4 5 6"}));
  e->run.matrix_output_wanted = true;
  matrix_save_dialog(*e);
  e->ch.close_all();
  EXPECT_EQ(file("m.FRM"), (Lines{"       1.00       2.00       3.00", "       4.00       5.00       6.00"}));
  EXPECT_EQ(file("m.CSV"), (Lines{"1 2 3\",       1.00,      2.00,      3.00,", "4 5 6\",       4.00,      5.00,      6.00,"}));
}

TEST_F(Matrix, DataNumbersTakeFourDecimalsAndAHashLineEndsTheData) {
  data_after_end("  12.34567  .5\t7.", "3\n# end\n9\n");
  EXPECT_EQ(e->mat.matrix_rows, 2);
  EXPECT_FLOAT_EQ(at(1, 1), 12.3456f);
  EXPECT_FLOAT_EQ(at(1, 2), 0.5f);
  EXPECT_FLOAT_EQ(at(1, 3), 7.0f);
  EXPECT_FLOAT_EQ(at(2, 1), 3.0f);
}

struct DataErrorCase {
  std::string name;
  std::string first;
  std::string rest;
  std::string message;
  std::string statement;  // the data line the report shows
};

class DataError : public Matrix, public ::testing::WithParamInterface<DataErrorCase> {};

TEST_P(DataError, IsAStatementErrorOfTheDataLine) {
  const auto& c = GetParam();
  data_after_end(c.first, c.rest);
  EXPECT_TRUE(e->ctl.error_found);
  const Lines lines = lines_of(out.str());
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(0, lines[0].find_last_not_of(' ') + 1), c.message);
  EXPECT_EQ(lines[1].substr(0, 40), " Error found at the following statement:");
  EXPECT_EQ(lines[3].substr(0, lines[3].find_last_not_of(' ') + 1), "   " + c.statement);
  EXPECT_LE(e->mat.matrix_cols, k_matrix_cols);
  EXPECT_LE(e->mat.matrix_rows, k_matrix_rows);
}

std::string rows_of_one(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "1\n";
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DataError,
    ::testing::Values(
        DataErrorCase{"ThirteenColumns", "1 2", "1 2 3 4 5 6 7 8 9 10 11 12 13\n", " Column number of matrix exceeds  12",
                      "1 2 3 4 5 6 7 8 9 10 11 12 13"},
        DataErrorCase{"Letter", "1 2 X", "", " Illegal characters after END", "1 2 X"},
        DataErrorCase{"MinusSign", "1", "-2\n", " Illegal characters after END", "-2"},
        DataErrorCase{"Row251", "1", rows_of_one(250), " Number of rows of matrix exceeds  250", "1"}),
    [](const auto& info) { return info.param.name; });

// ---- MATIN: one store.

struct StoreCase {
  std::string name;
  real4 row, column;
  int rows, columns;     // matrix_rows and matrix_cols after the store
  bool stored;           // 7.5 stands at (row, column)
  std::string message;   // the run error, "" for none
};

class Store : public Matrix, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(Store, SetsTheValueOrEndsTheRun) {
  const auto& c = GetParam();
  ProgramArgs p = args(c.row, c.column, 7.5f);
  if (c.message.empty()) {
    check_matrix_dimensions(*e, p);
  } else {
    EXPECT_EQ(stop_lines([&] { check_matrix_dimensions(*e, p); }), (Lines{c.message, " Error found at block    3"}));
  }
  EXPECT_TRUE(e->run.matrix_output_wanted);
  EXPECT_EQ(e->mat.matrix_rows, c.rows);
  EXPECT_EQ(e->mat.matrix_cols, c.columns);
  if (c.stored) {
    EXPECT_EQ(at(static_cast<int>(c.row), static_cast<int>(c.column)), 7.5f);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Args, Store,
    ::testing::Values(StoreCase{"Inside", 2.9f, 3.0f, 2, 3, true, ""},
                      StoreCase{"RowZeroStoresNothing", 0.0f, 3.0f, 0, 3, false, ""},
                      StoreCase{"ColumnZeroStoresNothing", 2.0f, 0.0f, 0, 0, false, ""},
                      StoreCase{"Column13", 1.0f, 13.0f, 0, 0, false, " Column number of matrix exceeds  12"},
                      StoreCase{"Row251", 251.0f, 1.0f, 0, 0, false, " Number of rows of matrix exceeds  250"}),
    [](const auto& info) { return info.param.name; });

// ---- MX: one fetch.

TEST_F(Matrix, FetchGivesTheValueAndZeroBelowRowOrColumnOne) {
  fill(2, 3);
  EXPECT_EQ(fetch(2.0f, 3.7f), 23.0f);
  EXPECT_EQ(fetch(0.0f, 1.0f), 0.0f);
  EXPECT_EQ(fetch(1.0f, -1.0f), 0.0f);
  EXPECT_EQ(stop_lines([&] { fetch(1.0f, 4.0f); }), (Lines{" Illegal value on column in MX matrix", " Error found at block    3"}));
}

TEST_F(Matrix, FetchAboveTheRowCapacityEndsTheRun) {
  fill(2, 3);
  EXPECT_EQ(stop_lines([&] { fetch(251.0f, 1.0f); }), (Lines{" Illegal value on row in MX matrix", " Error found at block    3"}));
}

TEST_F(Matrix, FirstFetchFromAnEmptyMatrixReadsTheMatrixFileInFreeForm) {
  write("m.FRM", "Results of the run.\n-----------------\n Pump A,  1, 2.5, 3\n\n Pump B:  4   5  6\n");
  EXPECT_EQ(fetch(2.0f, 2.0f), 5.0f);
  EXPECT_EQ(e->mat.matrix_rows, 2);
  EXPECT_EQ(e->mat.matrix_cols, 3);
  EXPECT_EQ(at(1, 2), 2.5f);
}

struct FreeFormCase {
  std::string name;
  std::string file;  // "" for none
  int run_count;
  Lines lines;       // written before the stop; empty when the fetch gives 0
};

class FreeForm : public Matrix, public ::testing::WithParamInterface<FreeFormCase> {};

TEST_P(FreeForm, ReportsWhatCannotBeRead) {
  const auto& c = GetParam();
  if (!c.file.empty()) write("m.FRM", c.file);
  e->run.run_count = c.run_count;
  if (c.lines.empty()) EXPECT_EQ(fetch(1.0f, 1.0f), 0.0f);
  else EXPECT_EQ(stop_lines([&] { fetch(1.0f, 1.0f); }), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FreeForm,
    ::testing::Values(
        FreeFormCase{"Missing", "", 0, {" The following file is missing: m.FRM", " Error found at block    3"}},
        FreeFormCase{"MissingInASeriesReadsZero", "", 2, {}},
        FreeFormCase{"LinesDiffer", "1 2\n3\n", 0, {" Error in read-in file", " Different amount of numbers on lines", " Error found at block    3"}},
        FreeFormCase{"ThirteenNumbers", "1 2 3 4 5 6 7 8 9 10 11 12 13\n", 0,
                     {" Number of columns exceeds maximum of  12", " Error found at block    3"}},
        FreeFormCase{"TwoPoints", "1.2.3\n", 0, {" Error in read-in file", " Error found at block    3"}}),
    [](const auto& info) { return info.param.name; });

// ---- MATRE and STLRE.

TEST_F(Matrix, MatreReadsTheModelsMatrixFileRowByRow) {
  write("m.FRM", "1 2\n3\n4 99\n");
  ProgramArgs p = args(2.0f, 2.0f, 0.0f);
  matrix_read_dialog(*e, p, false);
  EXPECT_EQ(e->mat.matrix_rows, 2);
  EXPECT_EQ(at(1, 1), 1.0f);
  EXPECT_EQ(at(1, 2), 2.0f);
  EXPECT_EQ(at(2, 1), 3.0f);
  EXPECT_EQ(at(2, 2), 4.0f);
}

TEST_F(Matrix, StlreSkipsTheTitleAndAConsoleFileStartsAtItsRow) {
  write("in.dat", "TITLE 9 9\n5 6\n");
  console_input("in.dat\nN\n");
  ProgramArgs p = args(1.0f, 2.0f, 4.0f);
  matrix_read_dialog(*e, p, true);
  EXPECT_EQ(e->mat.matrix_rows, 4);
  EXPECT_EQ(at(4, 1), 5.0f);
  EXPECT_EQ(at(4, 2), 6.0f);
  EXPECT_EQ(lines_of(out.str()), (Lines{" Give name of file to be read by MATRE", " Do you want to read another file? (Y/N)"}));
}

TEST_F(Matrix, MatreDialogueAsksAgainUntilTheAnswersFit) {
  write("a.dat", "1\n");
  write("b.dat", "7 8\n");
  console_input("a.dat\nmaybe\ny\nb.dat\n1\n13\n2\n251\n3\nN\n");
  ProgramArgs p = args(1.0f, 1.0f, 1.0f);
  matrix_read_dialog(*e, p, false);
  EXPECT_EQ(at(1, 1), 1.0f);
  EXPECT_EQ(at(3, 1), 7.0f);
  EXPECT_EQ(at(3, 2), 8.0f);
  EXPECT_EQ(e->mat.matrix_rows, 3);
  EXPECT_EQ(e->mat.matrix_cols, 2);
  const std::string console = out.str();
  EXPECT_NE(console.find(" Column number above maximum of  12"), std::string::npos);
  EXPECT_NE(console.find(" Row number outside of permitted range"), std::string::npos);
}

TEST_F(Matrix, MatreEndsAtTheEndOfConsoleInput) {
  write("a.dat", "1\n");
  console_input("a.dat\n");
  ProgramArgs p = args(1.0f, 1.0f, 1.0f);
  EXPECT_TRUE(stops([&] { matrix_read_dialog(*e, p, false); }));
}

struct MatreErrorCase {
  std::string name;
  real4 rows, columns;
  std::string file;
  std::string message;
};

class MatreError : public Matrix, public ::testing::WithParamInterface<MatreErrorCase> {};

TEST_P(MatreError, StopsAndKeepsTheCounts) {
  const auto& c = GetParam();
  fill(2, 2);
  if (!c.file.empty()) write("m.FRM", c.file);
  ProgramArgs p = args(c.rows, c.columns, 0.0f);
  const Lines lines = stop_lines([&] { matrix_read_dialog(*e, p, false); });
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], c.message);
  if (c.file.empty()) {
    EXPECT_EQ(e->mat.matrix_cols, 2);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, MatreError,
    ::testing::Values(MatreErrorCase{"Rows", 251.0f, 2.0f, "", " Illegal row value in B operand"},
                      MatreErrorCase{"Columns", 2.0f, 13.0f, "", " Illegal column value in B operand"},
                      MatreErrorCase{"FileTooShort", 3.0f, 2.0f, "1 2\n3 4\n", " File is too short"}),
    [](const auto& info) { return info.param.name; });

// ---- Saving.

TEST_F(Matrix, IntegerFirstRowRoundsHalvesAwayFromZero) {
  e->mat.integer_first_row = true;
  e->mat.matrix_data[1][1] = -2.5f;
  e->mat.matrix_data[2][1] = 2.5f;
  e->mat.matrix_data[1][2] = -2.5f;
  e->mat.matrix_data[2][2] = 1e12f;
  e->ch.open_new(40, "rows.txt");
  write_matrix_rows(*e, 40, 1, 2, 2);
  e->ch.close(40);
  EXPECT_EQ(file("rows.txt"), (Lines{"      -3          3", "      -2.50***********"}));
}

TEST_F(Matrix, ConsoleSaveAsksForFilesAndRows) {
  fill(3, 2);
  console_input("all.frm\nY\npart.frm\n0\n3\n2\n");
  matrix_save_dialog(*e);
  e->ch.close_all();
  EXPECT_EQ(file("all.frm").size(), 3u);
  EXPECT_NE(out.str().find(" Start row higher than end row"), std::string::npos);
  EXPECT_NE(out.str().find(" Row number outside permitted range"), std::string::npos);
  EXPECT_FALSE(std::ifstream("part.frm").good());
}

TEST_F(Matrix, ASaveWithNoRowsEndsAtOnce) {
  e->ctl.java_mode = true;
  matrix_save_dialog(*e);
  e->ch.close_all();
  EXPECT_EQ(file("m.ERR"), (Lines{" Start row higher than end row"}));
}

TEST_F(Matrix, AMenuFileShorterThanTheMatrixStopsTheEngine) {
  fill(2, 1);
  write("m.MNU", "only one\n");
  console_input("out.frm\n");
  EXPECT_TRUE(stops([&] { matrix_save_dialog(*e); }));
  EXPECT_NE(out.str().find(" File.MNU shorter than file.FRM"), std::string::npos);
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
