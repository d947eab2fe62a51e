// Matrices of a model: the files they are saved to after the runs.
#pragma once

namespace kelvo {

struct Engine;

// Saves the model's matrices after its last run.
void matrix_save_dialog(Engine& e);

}  // namespace kelvo
