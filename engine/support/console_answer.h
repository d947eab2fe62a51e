// Console answers: whole lines of up to 125 characters. End of console
// input ends the engine through the normal stop, so no question is ever
// asked for ever.
#pragma once

#include <string>

namespace kelvo {

struct Engine;

// One console line cut to 125 characters; stops the engine at end of input.
std::string read_console_line(Engine& e);

// What ask_yes_no takes a line for that is neither Y nor N (the numbers
// are the mode words of the dialogue's questions).
enum class AnswerMode : int {
  // Only Y or N answers; any other line is asked again.
  yes_no = 7,
  // Any other non-blank line is a new model file name.
  name_or_yes_no = 13,
};

// A yes/no answer: exactly Y or y is true, N or n false; a blank or any
// other line asks again after " Answer Y or N". In name_or_yes_no mode
// any other non-blank line is a new model file name: it replaces
// program_file_name, the result is true and the mode becomes yes_no.
bool ask_yes_no(Engine& e, AnswerMode& mode);

// One number typed on the console (a line that is not a number is asked
// again after " Incorrect format for number"); echoed to the report
// channel when the model's first line asks for it.
double read_input_number(Engine& e);

}  // namespace kelvo
