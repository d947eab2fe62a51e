// Model check and layout file of automatic animation.
// Takes the parse pass's bookkeeping (blocks with their rows, columns,
// labels and connection targets); refuses models that cannot be animated
// and writes the layout file (the model's LAY file) that tells the
// animation viewer how to draw the model: views, colours, one object class
// per segment, a line per block and the connection lines between blocks,
// their texts and their paths.
#include <string>

#include "exchange/auto_animation.h"
#include "io/channels.h"
#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/stop.h"

namespace kelvo {

namespace {

// A coordinate of a text line: the sign ("-" or blank) in the first of
// its four columns, the digits of its magnitude right-aligned in the other
// three ("0" alone for 0).
std::string coordinate(int v) { return (v < 0 ? "-" : " ") + io::format_i(v < 0 ? -v : v, 3); }

int read_coordinate(std::string_view field) {
  int v = 0;
  for (char c : field.substr(1)) {
    if (c >= '0' && c <= '9') v = 10 * v + (c - '0');
  }
  return field.front() == '-' ? -v : v;
}

// A text line of the layout: "Line #" and its number, then the start
// point (horizontal in columns 10-13, height in 15-18) and the end point
// (20-23, 25-28), 40 characters.
std::string layout_line(int number, int h1, int v1, int h2, int v2) {
  std::string s = io::read_a("Line #" + std::to_string(number), 9);
  s += coordinate(h1) + " " + coordinate(v1) + " " + coordinate(h2) + " " + coordinate(v2);
  return io::read_a(s, 40);
}

// The points of a text line, read back from its columns.
struct Points {
  int h1 = 0, v1 = 0, h2 = 0, v2 = 0;
};

Points points_of(const std::string& line) {
  const std::string_view l = line;
  return {read_coordinate(l.substr(9, 4)), read_coordinate(l.substr(14, 4)), read_coordinate(l.substr(19, 4)),
          read_coordinate(l.substr(24, 4))};
}

// Writes text at 1-based column col of a line (the line is long enough).
void put(std::string& line, int col, std::string_view text) {
  line.replace(static_cast<std::size_t>(col - 1), text.size(), text);
}

// Horizontal position of a segment and heights of a row.
int column_h(int segment) { return 20 * segment - 50; }
int row_top(int row) { return 20 - 10 * row; }
int row_bottom(int row) { return 10 - 10 * row; }

// The travel time of the model's animation: the dummy delay X$DUM.
float travel_time(const AnimState& a) {
  double v[1] = {0.0};
  if (io::read_list_reals(a.dum_value, v, 1) != 1) return 5.0f;
  return static_cast<float>(v[0]);
}

std::string travel_text(float t) {
  if (t >= 1.0f) {
    const int whole = trunc_i32(t + 0.001f);  // saturates: any huge time shows 99
    if (whole > 99) return "99";
    return whole > 9 ? std::to_string(whole) : std::to_string(whole) + " ";
  }
  const int tenth = trunc_i32(10.0f * t + 0.001f);
  return "." + std::string(1, static_cast<char>('0' + std::max(0, std::min(9, tenth))));
}

// "Define Path BLOn" or "GOTn"; a block's path accumulates transactions.
std::string path_header(std::string_view kind, int number, bool accumulating, const std::string& line, float t) {
  std::string h(61, ' ');
  put(h, 1, "Define Path " + std::string(kind) + std::to_string(number));
  if (accumulating) {
    const Points p = points_of(line);
    put(h, 19, "Accumulating");
    put(h, 32, "LEAPOK");
    put(h, 39, "Label");
    put(h, 45, io::format_i(p.h2, 3));
    put(h, 49, io::format_i(p.v2, 4));
    put(h, 55, "Time");
    put(h, 60, travel_text(t));
  }
  return h;
}

// "Segment", the line's points (its columns 6-31) and "10".
std::string path_segment(const std::string& line) {
  std::string s(61, ' ');
  put(s, 1, "Segment");
  put(s, 9, std::string_view(line).substr(5, 26));
  put(s, 33, "10");
  return s;
}

// The connection lines from block `from` to block `to`: one line to the
// target when it is the next row one or two columns to the right, two
// when it is two rows down there, otherwise three: a step to the side, a
// run to the target's row and a run to the target's column.
void connection_lines(Engine& e, const AnimBlock& from, const AnimBlock& to, std::vector<std::string>& out) {
  AnimState& a = e.anim;
  const int ha = column_h(from.segment);
  const int hb = column_h(to.segment);
  const int va = row_bottom(from.row);
  const int vb = row_top(to.row);
  int ds = to.segment - from.segment;
  const int dr = to.row - from.row;
  auto next_number = [&] { return static_cast<int>(a.text_lines.size()) + 1 + static_cast<int>(out.size()); };
  const bool one_line = ((ds == 1 || ds == 2) && dr == 1) || (ds == 0 && dr == 0);
  if (one_line) {
    out.push_back(layout_line(next_number(), ha, va, hb, vb));
    return;
  }
  if ((ds == 1 || ds == 2) && dr == 2) {
    // Written at once as well as among the text lines: the viewer reads
    // these two-line connections ahead of the file's sections.
    const int layout_unit = e.ctl.unit_base + io::offset::layout;
    out.push_back(layout_line(next_number(), ha, va, hb, vb));
    e.ch.write(layout_unit, io::Rec().x(1).lit(out.back()));
    out.push_back(layout_line(next_number(), hb, vb, hb, vb - 10));
    e.ch.write(layout_unit, io::Rec().x(1).lit(out.back()));
    return;
  }
  if (ds <= 0) ds = 1;
  const int lane = ha + 10 * ds;
  out.push_back(layout_line(next_number(), ha, va, lane, va));
  // The run to the target's row. For a target one row below, where the
  // run would have no length, it goes one row up instead, so that every
  // line of the layout has a length (setting only the end's tens digit to
  // 1 would leave no length at the heights -10 and -110 and lift the
  // others by 10 to 90 units).
  int end_v = vb;
  if (end_v == va) end_v = va + 10;
  out.push_back(layout_line(next_number(), lane, va, lane, end_v));
  out.push_back(layout_line(next_number(), lane, end_v, hb, end_v));
}

void compute_layout(Engine& e) {
  AnimState& a = e.anim;
  const int block_count = static_cast<int>(a.blocks.size()) - 1;
  const float t = travel_time(a);
  // Connections: the first block that bears a target's label.
  a.connections.clear();
  for (int i = 1; i <= block_count; ++i) {
    const AnimBlock& b = a.blocks[static_cast<std::size_t>(i)];
    if (b.target.is_blank()) continue;
    for (int j = 1; j <= block_count; ++j) {
      if (a.blocks[static_cast<std::size_t>(j)].label == b.target) {
        a.connections.push_back({i, j});
        break;
      }
    }
  }
  a.text_lines.clear();
  a.block_paths.clear();
  a.return_paths.clear();
  a.message_lines.clear();
  a.label_lines.clear();
  for (int i = 1; i <= block_count; ++i) {
    const AnimBlock& b = a.blocks[static_cast<std::size_t>(i)];
    const int h = column_h(b.segment);
    a.text_lines.push_back(layout_line(i, h, row_top(b.row), h, row_bottom(b.row)));
    const std::string& line = a.text_lines.back();
    a.label_lines.push_back(build_layout_text_line(line, b.label));
    a.message_lines.push_back(build_layout_message_line(line, i, 'C', b.label));
    a.message_lines.push_back(build_layout_message_line(line, i, 'T', b.label));
    a.block_paths.push_back(path_header("BLO", i, true, line, t));
    a.block_paths.push_back(path_segment(line));
    a.block_paths.push_back("END");
  }
  for (const AnimConnection& c : a.connections) {
    std::vector<std::string> lines;
    const AnimBlock& from = a.blocks[static_cast<std::size_t>(c.from)];
    connection_lines(e, from, a.blocks[static_cast<std::size_t>(c.to)], lines);
    if (from.return_point > 0) {
      a.return_paths.push_back(path_header("GOT", from.return_point, false, lines.front(), t));
      for (const std::string& l : lines) a.return_paths.push_back(path_segment(l));
      a.return_paths.push_back("END");
    }
    a.text_lines.insert(a.text_lines.end(), lines.begin(), lines.end());
  }
}

void write_colours(Engine& e, int unit) {
  static constexpr const char* k_f[] = {
      "0 0 0.6667",        "1 0 0",           "1 1 1",          "1 1 0",
      "1 0 0.6667",        "1 0.6667 0",      "0 1 0",          "0.898 0.2471 0.2471",
      "0 0 1",             "0.749 0.2471 0.2471", "0.6 0.949 1", "0.498 0.349 0",
      "0.749 0.4 0.6667",  "0.6 0.498 0.498", "0 0.6 0.2",      "0.6667 0 1",
      "0 0.6667 0.6667",   "0.6667 0.3294 0", "0.4 0.498 0.698", "0 0.3294 0.3294",
      "0.898 0.6667 0.498", "0.498 0.2471 0.498", "0.749 0.6 0", "0.498 0 0.6667"};
  static constexpr const char* k_grey[] = {"0.2", "0.298", "0.4", "0.498", "0.6", "0.698", "0.8", "0.898"};
  static constexpr const char* k_l[] = {"0.498 0.498 0.498", "0.6667 0.949 1", "1 1 1", "1 0 0",
                                        "0.898 0.6667 0.498", "0.4 0.498 0.698", "0 0 0.6667"};
  e.ch.write(unit, std::string("Define View \"(Home)\" center -10 -28 Width 120 Grid ") +
                       " Size 1 10 Ortho Aspect 1 0.5 Speed 9");
  e.ch.write(unit, std::string("Define View \"(Class)\" center 0 0 Width 7.0445 Grid ") + " Size 0.1 1 Ortho");
  e.ch.write(unit, " Define color Backdrop  0.8 0.749 0.549");
  for (int k = 1; k <= 24; ++k) e.ch.write(unit, " Define color F" + std::to_string(k) + " " + k_f[k - 1]);
  for (int k = 25; k <= 32; ++k) {
    const std::string g = k_grey[k - 25];
    e.ch.write(unit, "*[new] Define color F" + std::to_string(k) + " " + g + " " + g + " " + g);
  }
  for (int k = 1; k <= 7; ++k) e.ch.write(unit, " Define color L" + std::to_string(k) + " " + k_l[k - 1]);
  for (int k = 8; k <= 31; ++k) e.ch.write(unit, "*[new] Define color L" + std::to_string(k) + " 0 0 0");
  e.ch.write(unit, "*[new] Define color L32 0.8471 0.8 0.6");
}

void write_classes(Engine& e, int unit) {
  const int classes = std::min(e.anim.segment_count, k_anim_segment_limit);
  for (int c = 1; c <= classes; ++c) {
    const char d = static_cast<char>('0' + c);
    e.ch.write(unit, std::string("Color F") + d);
    e.ch.write(unit, std::string("Define Class FIG") + d + " Directional Clearance 0.4 0.4");
    e.ch.write(unit, "Line 0 2 2 2");
    e.ch.write(unit, "Line 2 2 2 0");
    e.ch.write(unit, "Line 2 0 0 0");
    e.ch.write(unit, "Line 0 0 0 2");
    e.ch.write(unit, "Fill 0.9068 0.8611");
    e.ch.write(unit, "End");
  }
  e.ch.write(unit, "Color F25");
}

}  // namespace

std::string build_layout_text_line(const std::string& block_line, const Text6& label) {
  // Columns 7-17 of the block's line (its number, the horizontal position
  // and the sign and first two digits of its height) stand in columns
  // 14-24; an empty sign becomes "-", and the empty digits of columns 12,
  // 16 and 17 become 8, 5 and 2.
  std::string s = "TEXT 1 1.4 LJ" + block_line.substr(6, 11) + std::string(label.view());
  auto fix = [&](int col, char c) {
    char& at = s[static_cast<std::size_t>(col + 6)];
    if (at == ' ') at = c;
  };
  fix(10, '-');
  fix(15, '-');
  fix(12, '8');
  fix(16, '5');
  fix(17, '2');
  return s;
}

std::string build_layout_message_line(const std::string& block_line, int block, char kind, const Text6& label) {
  const Points p = points_of(block_line);
  std::string s(50, ' ');
  put(s, 1, "MESSAGE BLO" + std::to_string(block) + kind);
  put(s, 16, "1 1.3 LJ");
  put(s, 25, io::format_i(p.h1 - 10, 3));
  put(s, 29, io::format_i(p.v1 - 8, 3));
  put(s, 33, "BG Backdrop");
  put(s, 45, label.view());
  return s;
}

void stop_animation(Engine& e, std::string_view message) {
  // The error channel of automatic animation is the model's ATF file.
  e.ctl.auto_animation_flag = true;
  write_error_message(e, message);
  stop_program(e);
}

void check_auto_animation(Engine& e) {
  AnimState& a = e.anim;
  if (a.blocks.empty()) a.blocks.emplace_back();
  if (a.waitif_with_c) stop_animation(e, " WAITIF with C in model stops animation");
  if (a.address_function) stop_animation(e, " Address function in model stops animation");
  if (static_cast<int>(a.blocks.size()) - 1 > k_anim_block_limit) stop_animation(e, " Program has too many statements");
  resolve_copy_return_points(e);
  compute_layout(e);
}

void write_anim_layout(Engine& e) {
  const AnimState& a = e.anim;
  const int unit = e.ctl.unit_base + io::offset::layout;
  if (!e.ctl.auto_animation_flag) {
    write_colours(e, unit);
    write_classes(e, unit);
  }
  for (const std::string& l : a.text_lines) e.ch.write(unit, io::Rec().x(1).lit(l));
  for (const std::string& l : a.label_lines) e.ch.write(unit, l);
  for (const std::string& l : a.message_lines) e.ch.write(unit, l);
  for (const std::string& l : a.block_paths) e.ch.write(unit, l);
  for (const std::string& l : a.return_paths) e.ch.write(unit, l);
  e.ch.write(unit, "End");
  e.ch.close(unit);
}

}  // namespace kelvo
