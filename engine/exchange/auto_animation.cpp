// Automatic animation: model check, layout file and animated copy.
// Takes the parse pass's bookkeeping of the model; produces the layout
// file and the animated model. Until the animation writers exist, the
// model is run as it stands: the check passes, no layout or copy is
// written, and the animated model is the model itself.
#include "exchange/auto_animation.h"

#include "model/engine.h"

namespace kelvo {

void reset_anim_state(Engine&) {}
void check_auto_animation(Engine&) {}
void write_anim_layout(Engine&) {}
void build_animated_model(Engine&) {}
void write_animated_model(Engine&) {}
Text125 animated_model_name(const Engine& e) { return e.ctl.program_file_name; }

}  // namespace kelvo
