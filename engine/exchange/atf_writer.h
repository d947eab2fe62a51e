// The animation trace file (the model's ATF file): the time record written
// before each animation command whenever the clock has moved on.
#pragma once

namespace kelvo {

struct Engine;

// The time record of the animation trace file.
void write_atf_time(Engine& e);

}  // namespace kelvo
