// Saving matrices after the runs.
// Takes the matrices a model stored; writes them to their files. The
// translator refuses MATRIX, so no model stores a matrix and there is
// nothing to save.
#include "runtime/matrix_files.h"

namespace kelvo {

void matrix_save_dialog(Engine&) {}

}  // namespace kelvo
