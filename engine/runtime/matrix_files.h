// The model's matrix saved after the runs: the matrix file (FRM), and the
// same rows merged with the texts of the model's menu file (MNU) into a
// file of comma-separated values (CSV).
#pragma once

#include <string_view>

namespace kelvo {

struct Engine;

// Saves the matrix after the last run: under the front end to the
// model's FRM file; on the console to files named on the console.
void matrix_save_dialog(Engine& e);
// Writes rows first to last, columns 1 to `columns`, on the channel:
// 12F11.2 per row, row 1 as whole numbers (I8,11I11) when the model asked
// for that.
void write_matrix_rows(Engine& e, int unit, int first, int last, int columns);
// The highest column from 2 on with a value in rows first to last; 1 when
// none has one.
int last_used_column(const Engine& e, int first, int last);
// Merges the menu texts with the rows of the matrix file just written
// (the first of them row `first_row`, `columns` values each) into the CSV
// file of the same name.
void matrix_form_merge(Engine& e, std::string_view matrix_file, int first_row, int columns);

// Answers of the matrix dialogues on the console (end of input stops the
// engine): a whole number typed after the question, and Y (true) or N
// (false) in the first column, folded to upper case; any other line asks
// again.
int ask_whole_number(Engine& e, std::string_view question);
bool ask_y_or_n(Engine& e, std::string_view question);

}  // namespace kelvo
