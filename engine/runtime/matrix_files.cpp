// Saving matrices after the runs.
// Takes the matrices a model stored; writes them to their files. No model
// stores a matrix yet (MATRIX is refused by the translator), so there is
// nothing to save.
#include "runtime/matrix_files.h"

namespace kelvo {

void matrix_save_dialog(Engine&) {}

}  // namespace kelvo
