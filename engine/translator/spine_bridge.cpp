// Stand-ins for the spine routines the translator calls (diagnostics and
// the stop, packed names, the statement reader), written to the spine's
// contracts so the translator can be built and tested before the spine is
// merged. They take the model tables of the translator; they are replaced
// by the spine's own routines when it lands.
#include "translator/spine_bridge.h"

#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "translator/translator.h"

namespace kelvo {

SpineStandIn& spine(Engine& e) { return e.spine_standin; }

void stop_with_no_text(Engine&) { throw EngineStop{}; }

void stop_program(Engine& e) {
  auto& s = spine(e);
  if (!s.java_mode && s.edit_and_pause_flag) {
    e.ch.write(io::k_console_out, " \n Press ENTER to stop");
    std::string line;
    (void)e.ch.read_line(io::k_console_in, line);
  }
  throw EngineStop{};
}

std::string get_program_base_name(Engine& e, int& pos) {
  auto& s = spine(e);
  std::string buf(s.program_file_name.view());
  buf.append(4, ' ');
  int first = 0;
  while (first < 125 && buf[first] == ' ') ++first;
  int end = first;
  int dot = -1;
  while (end < 125 && buf[end] != ' ') {
    if (buf[end] == '.') dot = end;
    ++end;
  }
  if (dot < 0) {
    buf[end] = '.';
    pos = end + 1;
    s.txt_flag = false;
    return buf.substr(0, end + 1);
  }
  std::string ext;
  for (int i = dot + 1; i <= dot + 3; ++i) ext += upcase_char(buf[i]);
  if (ext == "TXT") {
    s.txt_flag = true;
    pos = dot + 1;
    return buf.substr(0, dot + 1);
  }
  s.txt_flag = false;
  std::string name = buf.substr(first, dot - first) + buf.substr(dot + 1, end - dot - 1) + ".";
  std::string out = buf.substr(0, first) + name;
  pos = static_cast<int>(out.size());
  return out;
}

static std::string model_file_with(Engine& e, const char* ext) {
  int pos = 0;
  std::string base = get_program_base_name(e, pos);
  return std::string(trim_blanks(base)) + ext;
}

int open_error_unit(Engine& e) {
  auto& s = spine(e);
  if (s.java_mode) {
    const int unit = s.unit_base + 24;
    if (!e.ch.is_open(unit)) e.ch.open_new(unit, model_file_with(e, "ERR"));
    return unit;
  }
  return s.out_unit_save;
}

int open_wrn_file(Engine& e) {
  auto& s = spine(e);
  const int unit = s.unit_base + 55;
  if (!e.ch.is_open(unit)) e.ch.open_new(unit, model_file_with(e, "WRN"));
  s.wrn_open = true;
  return unit;
}

bool open_or_delete_file(Engine& e, int unit, std::string_view name) {
  const std::string path(trim_blanks(name));
  if (io::Channels::exists(path)) io::Channels::remove_file(path);
  if (!e.ch.open_new(unit, path)) {
    parse_error(e, " File cannot be opened");
    return false;
  }
  return true;
}

void write_error_line(Engine& e, std::string_view line) { e.ch.write(open_error_unit(e), line); }

void write_error_message(Engine& e, std::string_view msg) {
  e.ch.write(open_error_unit(e), io::Rec().lit(Text50(msg).view()));
}

void report_statement_error(Engine& e, std::string_view msg) {
  auto& s = spine(e);
  s.error_seen = true;
  if (s.error_reported) return;
  const int unit = open_error_unit(e);
  e.ch.write(unit, io::Rec().lit(Text50(msg).view()));
  if (s.stop_after_error) stop_program(e);
  if (e.cs.pass.hint_flag && !s.auto_animation_flag) write_address_hint(e);
  e.ch.write(unit, io::Rec().lit(Text50(" Error found at the following statement:").view()).br().lit("  ").br().x(3).lit(
                       s.current_statement.view()));
  s.error_reported = true;
}

void flag_statement_error(Engine& e, std::string_view msg) {
  spine(e).error_found = true;
  report_statement_error(e, msg);
}

void parse_error(Engine& e, std::string_view msg) {
  e.cs.pass.hint_flag = false;
  flag_statement_error(e, msg);
}

void write_statement_error(Engine& e, std::string_view msg) {
  auto& s = spine(e);
  if (!e.cs.pass.hint_flag) {
    flag_statement_error(e, msg);
    return;
  }
  if (e.cs.stmt.stmt_fields.first_word_len == 0) {
    s.saved_hint.assign(msg);
    return;
  }
  const int unit = open_error_unit(e);
  e.ch.write(unit, io::Rec().lit(Text50(msg).view()).br().lit(" Error in next statement").br().lit("  "));
  write_address_hint(e);
  if (!s.error_seen) s.error_found = true;
}

namespace {
int char_code(char c, bool& ok) {
  ok = true;
  if (c == ' ' || c == '\0' || c == '#') return 0;
  if (c >= '0' && c <= '9') return c - '0' + 1;
  if (c == '.') return 11;
  if (c == '$') return 12;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 13;
  if (c >= 'a' && c <= 'z') return c - 'a' + 13;
  ok = false;
  return 0;
}
}  // namespace

int4 pack_symbol_name(Engine& e, std::string_view field6) {
  char f[6];
  for (int i = 0; i < 6; ++i) f[i] = i < static_cast<int>(field6.size()) ? field6[i] : ' ';
  std::uint32_t w[2] = {0, 0};
  static const std::uint32_t weight[3] = {1600, 40, 1};
  for (int i = 0; i < 6; ++i) {
    const char c = f[i];
    if (c == '\n' || c == '\x04' || c == '=') break;
    bool ok = false;
    const int code = char_code(c, ok);
    if (!ok) {
      flag_statement_error(e, " Illegal character in this context");
      stop_with_no_text(e);
    }
    w[i / 3] += static_cast<std::uint32_t>(code) * weight[i % 3];
  }
  return static_cast<int4>(w[0] * 65536u + w[1]);
}

int4 numeric_name_key(int n) {
  if (n < 0) n = 0;
  if (n <= 9) return n + 1;
  if (n <= 99) return (n / 10 + 1) * 40 + (n % 10 + 1);
  return (n / 100 % 10 + 1) * 1600 + (n / 10 % 10 + 1) * 40 + (n % 10 + 1);
}

static void decode_codes(int4 code, int out[6]) {
  const std::uint32_t u = static_cast<std::uint32_t>(code);
  const std::uint32_t hi = u >> 16, lo = u & 0xffffu;
  out[0] = static_cast<int>(hi / 1600);
  out[1] = static_cast<int>(hi % 1600 / 40);
  out[2] = static_cast<int>(hi % 40);
  out[3] = static_cast<int>(lo / 1600);
  out[4] = static_cast<int>(lo % 1600 / 40);
  out[5] = static_cast<int>(lo % 40);
}

Text6 unpack_name_chars(Engine&, int4 code) {
  static const char* alphabet = " 0123456789.$ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  int c[6];
  decode_codes(code, c);
  Text6 t;
  for (int i = 0; i < 6; ++i) t.set(i + 1, c[i] <= 38 ? alphabet[c[i]] : '?');
  return t;
}

bool unpack_name_number(Engine&, int4 code, int4& value) {
  int c[6];
  decode_codes(code, c);
  value = 0;
  for (int i = 0; i < 6; ++i) {
    if (c[i] > 10) return false;
    if (c[i] == 0) continue;
    value = value * 10 + (c[i] - 1);
  }
  return true;
}

void find_entity_number(Engine& e, int cls, int4 name, int& mode, int4& number) {
  auto& s = spine(e);
  if (cls < 2 || cls > 9) {
    int4 v = 0;
    if (unpack_name_number(e, name, v)) {
      number = v;
    } else {
      write_error_message(e, " Integer expected in operand");
      s.error_found = true;
      number = -999;
    }
    return;
  }
  const int4* table = nullptr;
  int count = 0;
  const char* text = "";
  const char* prefix = "";
  switch (cls) {
    case 2: table = e.ent.q.queue_name.data(); count = e.ent.q.queue_count; text = "    Queue "; prefix = " Q"; break;
    case 3: case 9:
      table = e.blocks.block_label.data(); count = e.blocks.block_count; text = "   Address";
      prefix = cls == 3 ? " N" : " W"; break;
    case 4: case 5:
      table = e.ent.st.station_name.data(); count = e.ent.st.station_name_count; text = "   Storage"; prefix = " S"; break;
    case 6: table = e.ent.fn.function_name.data(); count = e.ent.fn.function_count; text = "  Function"; prefix = "FN"; break;
    case 7: table = e.expr.defn_name.data(); count = e.expr.defn_count; text = "Definition"; prefix = " V"; break;
    default: table = e.ent.sv.savevalue_name.data(); count = e.ent.sv.savevalue_count; text = " Savevalue"; prefix = " X"; break;
  }
  for (int i = 1; i <= count; ++i) {
    if (table[i] == name) {
      number = i;
      return;
    }
  }
  if (cls == 8 && mode == 4) {
    mode = 5;
    return;
  }
  if (mode == 7) {
    number = -1;
    return;
  }
  const std::string nm(unpack_name_chars(e, name).view());
  write_error_line(e, std::string(" ") + text + " of " + prefix + "$" + nm + " missing");
  if (std::string_view(prefix) == " S") write_error_line(e, "   or station " + nm + " missing");
  s.error_found = true;
}

char upcase_char(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
bool is_digit_char(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool open_program_file_prompt(Engine& e, int unit, bool) {
  auto& s = spine(e);
  const std::string path(trim_blanks(s.program_file_name.view()));
  if (!path.empty() && io::Channels::exists(path) && e.ch.open_read(unit, path)) return true;
  e.ch.write(io::k_console_out, " File does not exist");
  stop_with_no_text(e);
}

void read_program_lines(Engine& e, int count, bool& ok, Line80& line) {
  auto& s = spine(e);
  if (count > s.max_statements) {
    parse_error(e, " Program has too many statements");
    stop_program(e);
  }
  std::string text;
  const io::ReadStatus st = e.ch.read_line(s.unit_base, text);
  if (st == io::ReadStatus::ok) {
    line.assign(text);
    bool tail = false, bang = false;
    for (int c = 75; c <= 80; ++c) tail = tail || line.at(c) != ' ';
    for (int c = 1; c <= 72; ++c) bang = bang || line.at(c) == '!';
    if (tail && bang) {
      parse_error(e, " Comment extends beyond col. 74");
      write_error_line(e, " or the statement after");
      write_error_line(e, " ");
      return;
    }
    for (int c = 1; c <= 65; ++c) {
      if (line.at(c) == '\t') line.set(c, ' ');
    }
    ok = true;
    return;
  }
  if (st == io::ReadStatus::end_of_file && e.ch.is_open(s.unit_base)) {
    e.ch.close(s.unit_base);
    line.clear();
    return;
  }
  ok = false;
  const int unit = open_error_unit(e);
  if (s.newparse_mode) return;
  if (count == 0) {
    e.ch.write(unit, io::Rec().lit(Text50(" Program does not exist").view()));
    e.ch.close(s.unit_base);
    line.clear();
    return;
  }
  e.ch.write(unit, io::Rec().lit(Text50(" END statement missing or erroneous").view()));
  e.ch.close(s.unit_base);
  stop_program(e);
}

void check_marker_card(Engine&, const Line80& line, bool& marker, bool& simulate_card) {
  std::string c;
  for (int i = 1; i <= 5; ++i) c += upcase_char(line.at(i));
  marker = false;
  if (c[0] == '*' && c[1] == ' ') {
    const std::string w = c.substr(2, 3);
    marker = w == "PRO" || w == "EXE" || w == "DOM" || w == "DEB" || w == "VSC";
  }
  simulate_card = c.substr(0, 4) == "SIMU" && line.at(9) == ' ' && is_digit_char(line.at(10));
}

void write_program_line(Engine& e, int unit, int number) {
  e.ch.write(unit, io::Rec().x(6).lit(e.cs.stmt.stmt_line.cols(1, 68)).i(number, 3));
}

void strip_name_suffixes(Engine& e) {
  Line80& l = e.cs.stmt.stmt_line;
  if (l.cols(1, 72).find_first_not_of(' ') == std::string_view::npos) return;
  for (;;) {
    int u = 0;
    for (int c = 1; c <= 72; ++c) {
      if (l.at(c) == '\'') break;
      if (l.at(c) == '_') {
        u = c;
        break;
      }
    }
    if (u == 0) return;
    int d = u + 1;
    while (d <= 72) {
      const char ch = l.at(d);
      if (ch == ',' || ch == '=' || ch == '+' || ch == '-' || ch == '*' || ch == '/' || ch == ' ') break;
      ++d;
    }
    const int removed = d - u;
    for (int c = u; c <= 72; ++c) l.set(c, c + removed <= 72 ? l.at(c + removed) : ' ');
  }
}

}  // namespace kelvo
