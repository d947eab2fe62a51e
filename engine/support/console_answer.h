// Console answers: whole lines of up to 125 characters. End of console
// input ends the engine through the normal stop, so no question is ever
// asked for ever.
#pragma once

#include <string>

namespace kelvo {

struct Engine;

// One console line cut to 125 characters; stops the engine at end of input.
std::string read_console_line(Engine& e);

// A yes/no answer: exactly Y or y is true, N or n false; a blank or any
// other line asks again after " Answer Y or N". With mode 13 or more any
// other non-blank line is a new model file name: it replaces
// program_file_name, the result is true for mode 13 and false above, and
// the mode becomes 7.
bool ask_yes_no(Engine& e, int& mode);

// One number typed on the console (a line that is not a number is asked
// again after " Incorrect format for number"); echoed to the report
// channel when the model's first line asks for it.
double read_input_number(Engine& e);

}  // namespace kelvo
