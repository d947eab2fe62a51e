// Animation trace file records.
// Takes the clock and the animation statements' names; writes the model's
// ATF file. No statement opens the file yet (ANIM statements are refused
// by the translator), so there is no record to write.
#include "exchange/atf_writer.h"

namespace kelvo {

void write_atf_time(Engine&) {}

}  // namespace kelvo
