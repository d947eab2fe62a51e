// Small adapters of the run-time over engine control: the model-derived
// file names and the text of packed names as plain strings.
#include "model/engine.h"
#include "runtime/spine_calls.h"

namespace kelvo {

std::string model_file_name(Engine& e, const char* extension) {
  return std::string(model_name_with_extension(e, extension).trimmed());
}

std::string packed_name_text(Engine& e, int4 code) { return std::string(unpack_name_chars(e, code).view()); }

}  // namespace kelvo
