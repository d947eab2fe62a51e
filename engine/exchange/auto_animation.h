// Automatic animation of a model that has no animation statements of its
// own ("zwxyqani"): the parse pass's bookkeeping of the model's statements
// and blocks, the check that the model can be animated, its layout file
// (the model's LAY file) and the animated copy of the model (the model's
// ANI file), which the run cycle runs in the model's place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "io/fixed_text.h"

namespace kelvo {

struct Engine;
struct ParsedStatement;

// Fixed channels of the animated-model writer.
inline constexpr int k_animani_unit = 27;   // work file "animani"
inline constexpr int k_ani_model_unit = 28; // the animated model (ANI file)

// Blocks a model may have to be animated: the place names BLO and the
// listing lines carry one or two digits.
inline constexpr int k_anim_block_limit = 99;
// Segments (GENERATE blocks) that get an object class: the class and
// parameter names carry one digit.
inline constexpr int k_anim_segment_limit = 9;

// ---- Bookkeeping of the parse pass ----
// Clears the bookkeeping at the start of the parse pass and sets
// debug_mode from the marker file "zwxyqdeb".
void reset_anim_state(Engine& e);
// Notes one statement (or data line) of the parse pass: `statement` is the
// line's text before any '!' comment, `p` its split fields. Does nothing
// outside automatic-animation mode.
void anim_note_statement(Engine& e, const Line80& line, std::string_view statement, const ParsedStatement& p);
// A GENERATE opens a new segment: row 1, next column.
void anim_mark_depth(Engine& e, int block);
// Any other block goes one row down its predecessor's column, or where
// its "(Loc:" comment puts it.
void anim_enter_block(Engine& e, int block, std::string_view comment);
// In an animated copy, points the blocks that lead to a return point at
// the block that the return point leads on to.
void resolve_copy_return_points(Engine& e);
// The items of an operand field, cut at commas outside apostrophes.
std::vector<std::string> operand_items(std::string_view operands);
// The 9-character statement word of an operation code.
std::string operation_word(int code);

// ---- Model check and layout file ----
// Stops the engine (message in the ATF file) for a WAITIF with a C
// operand, an address function or too many blocks; otherwise computes the
// layout lines.
void check_auto_animation(Engine& e);
// Writes the layout file and closes it.
void write_anim_layout(Engine& e);
// The "TEXT" line of a block and the two "MESSAGE BLO" lines of
// a block (C and T), built from its block text line.
std::string build_layout_text_line(const std::string& block_line, const Text6& label);
std::string build_layout_message_line(const std::string& block_line, int block, char kind, const Text6& label);

// ---- Animated model ----
// Writes the work file "animani" once per process.
void prepare_auto_animation(Engine& e);
// Writes the animated model (the model's ANI file); sets auto_animation_flag.
// A model that is an animated copy already is left as it is.
void rewrite_model_for_animation(Engine& e);
// True when the model file name has the extension ANI (an animated copy).
bool is_animated_copy_name(const Text125& name);
// The name of the animated model, run in place of the model: the model
// itself when it is an animated copy.
Text125 animated_model_name(Engine& e);

// Writes the message on the error channel of automatic animation (the
// model's ATF file, replaced) and stops the engine.
[[noreturn]] void stop_animation(Engine& e, std::string_view message);

}  // namespace kelvo
