// Files that every stage may have to make: a fresh empty file on a
// channel, and the model's WRN file, where warnings go under the front end.
#pragma once

#include <string>
#include <string_view>

namespace kelvo {

struct Engine;

// The listing and the reports go to the console again and the result file
// is to be opened anew: before each pass over a model.
void reset_output_channels(Engine& e);

// Makes `name` a new empty file on `unit` (an old one is deleted first);
// false after " File cannot be opened" with the name.
bool open_or_delete_file(Engine& e, int unit, std::string_view name);
// " File cannot be opened: " and the file's name.
std::string unopened_file_message(std::string_view name);
// The channel of the model's WRN file (unit_base + 55), opened anew on the
// first call of the process.
int open_wrn_file(Engine& e);
// The channel warnings go to: the WRN file under the front end, else the
// error channel.
int open_warning_unit(Engine& e);

}  // namespace kelvo
