// The EXPERI statement: whether the model file holds one in its first 30
// lines. Reads the model file by itself (read-only, on the model channel),
// independent of the translation pass. The operands of the statement are
// read by the experiment run, which this version does not have.
#include <string>

#include "model/engine.h"
#include "support/text_routines.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

constexpr int k_experi_lines = 30;

std::string upper_word_at(const Line80& line, int& col) {
  while (col <= 71 && line.at(col) == ' ') ++col;
  std::string word;
  for (int k = col; k <= 80 && line.at(k) != ' '; ++k) {
    char ch = line.at(k);
    upcase_char(ch);
    word += ch;
  }
  return word;
}

}  // namespace

// True when one of lines 2-30 (comment lines skipped) begins with the word
// EXPERI, or with HELP followed by EXPERI. A missing model holds none.
bool parse_experi(Engine& e) {
  if (e.ctl.auto_animation_flag) return false;
  const int unit = e.ctl.unit_base;
  if (!e.ch.open_read(unit, e.ctl.program_file_name.trimmed())) return false;
  bool found = false;
  std::string text;
  for (int n = 1; n <= k_experi_lines && !found; ++n) {
    if (e.ch.read_line(unit, text) != io::ReadStatus::ok) break;
    const Line80 line(text);
    if (n == 1 || line.at(1) == '*' || line.at(1) == '!') continue;
    int col = 1;
    std::string word = upper_word_at(line, col);
    if (col > 71) continue;
    if (word == "HELP") {
      col += 4;
      word = upper_word_at(line, col);
      found = col < 61 && word == "EXPERI";
    } else {
      found = word == "EXPERI";
    }
  }
  e.ch.close(unit);
  return found;
}

}  // namespace kelvo
