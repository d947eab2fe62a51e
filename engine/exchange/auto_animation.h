// Automatic animation of a model that has no animation statements of its
// own ("zwxyqani"): the check that the model can be animated, its layout
// file, and the animated copy of the model that the run cycle runs.
#pragma once

#include "io/fixed_text.h"

namespace kelvo {

struct Engine;

// Clears the animation bookkeeping before the parse pass.
void reset_anim_state(Engine& e);
// Checks that the model can be animated and computes its layout.
void check_auto_animation(Engine& e);
// Writes the layout file (the model's LAY file).
void write_anim_layout(Engine& e);
// Builds the animated copy of the model and writes it with its work file.
void build_animated_model(Engine& e);
void write_animated_model(Engine& e);
// The name of the animated copy of the model, run in place of the model.
Text125 animated_model_name(const Engine& e);

}  // namespace kelvo
