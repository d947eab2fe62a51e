// Odd and hostile input: forms decided where the rules leave them open,
// statements not translated, and a batch of generated garbage lines that
// must end in a message or a clean stop, never a crash or a hang.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "translate_fixture.h"
#include "driver/engine_entry.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/statement_reader.h"
#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/translator.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

TEST_F(TranslateTest, ResetZeroIsAPlainReset) {
  std::string model = base_model();
  model = model.substr(0, model.rfind("       END")) + "       RESET     0\n       START     5\n       END\n";
  ASSERT_TRUE(translate_fe(model));
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(dump_entities(*e_).back(), "steps 2 4 5");
}

TEST_F(TranslateTest, ResetWithATranslatedTwiceGivesNoFalseError) {
  const std::string model = base_insert(10, "       RESET     2");
  ASSERT_TRUE(translate_fe(model));
  EXPECT_FALSE(e_->ctl.error_found);
  reset_compile_state(*e_);
  e_->ctl.name_from_cycle = true;
  ASSERT_TRUE(translate_fe(model));
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_TRUE(err_lines().empty());
}

TEST_F(TranslateTest, ExpressionOperandReadsAsItsExpression) {
  ASSERT_TRUE(translate_fe(base_with(6, "       ADVANCE   5+3")));
  EXPECT_FALSE(e_->ctl.error_found);
  ASSERT_EQ(e_->expr.defn_count, 1);
  // ADVANCE number 1 reads expression 1 (the operand A of line 6).
  EXPECT_EQ(e_->expr.defn_name[1], 6 * 10 + 1);
  EXPECT_EQ(e_->ent.gen.advance_time_table[1][3], static_cast<float>(tkind::variable));
  EXPECT_EQ(e_->ent.gen.advance_time_table[1][1], 1.0f);
}

TEST_F(TranslateTest, LetInputUnderTheFrontEndStops) {
  translate_fe("       LET       X$ABC=INPUT\n" + base_model());
  EXPECT_TRUE(stopped_);
  EXPECT_EQ(err_lines(), (Lines{" LET x$name=INPUT not allowed in Orvane GUI system",
                                " Use KELVO.EXE in stand-alone mode for interactive input"}));
}

TEST_F(TranslateTest, IllegalCharacterInNameStops) {
  translate_fe(base_with(4, "       SEIZE     MA#CH@"));
  EXPECT_TRUE(stopped_);
  EXPECT_EQ(err_lines().at(0), " Illegal character in this context");
}

TEST_F(TranslateTest, EmptyModelFileStopsCleanly) {
  translate_fe("");
  EXPECT_TRUE(stopped_);
}

TEST_F(TranslateTest, SecondTranslationStartsWithoutTheEndCheckStop) {
  ASSERT_TRUE(translate_fe(base_model()));
  EXPECT_TRUE(e_->cs.flags.stop_after_error);
  reset_compile_state(*e_);
  // An error in the next translation is reported, and the pass returns.
  EXPECT_TRUE(translate_fe(base_with(6, "       ADVANCE   10, 5")));
  EXPECT_TRUE(e_->ctl.error_found);
  EXPECT_FALSE(e_->cs.flags.compiling);
}

// Each generated model ends in one of two ways, both orderly: the pass
// returns with a translated block table and no report, or the error is
// reported in the model's ERR file (and the pass returns, flags the error
// or ends through the engine's stop). Any other exception, a crash or a
// hang fails the test.
TEST_F(TranslateTest, GeneratedGarbageNeverCrashes) {
  std::mt19937 rng(12345);
  const std::string alphabet = " ,=$*'\"!+-./0123456789ABCDEFGLMNPQRSTVXYZabcp^()#_&?";
  const Lines words = {"GENERATE", "ADVANCE", "SEIZE", "RELEASE", "ENTER", "LEAVE", "ARRIVE", "DEPART",
                       "TERMINATE", "START", "RESET", "LET", "CAPACITY", "SEEDS", "SIMULATE", "SELECT",
                       "QUEUE", "PREEMPT", "RETURN", "IF", "WAITIF", "PRINT", "LET+"};
  int translated = 0;
  int reported = 0;
  for (int round = 0; round < 150; ++round) {
    std::string line;
    const int shape = static_cast<int>(rng() % 3);
    if (shape == 0) line = "LAB" + std::to_string(round % 7) + "   ";
    else if (shape == 1) line = "       ";
    line += words[rng() % words.size()];
    line += std::string(1 + rng() % 4, ' ');
    // One line in five has a plain number as its operand, so that some models translate.
    const bool number = round % 5 == 0;
    const int len = number ? 1 + static_cast<int>(rng() % 3) : static_cast<int>(rng() % 70);
    for (int i = 0; i < len; ++i) line += number ? "0123456789"[rng() % 10] : alphabet[rng() % alphabet.size()];
    const std::string model = base_insert(3 + static_cast<int>(rng() % 7), line.substr(0, 80));
    e_ = std::make_unique<Engine>();
    install_engine_hooks(*e_);
    e_->ch.attach_console(&in_, &out_);
    reset_compile_state(*e_);
    e_->ctl.name_from_cycle = true;
    e_->ctl.translate_needed = true;
    write_model("", "m.ERR");  // an empty ERR file: what is read afterwards is this model's
    const bool returned = translate_fe(model);
    const Lines report = err_lines();
    if (!returned || e_->ctl.error_found) {
      EXPECT_FALSE(report.empty()) << "ended without a report: " << line;
    } else if (report.empty()) {
      EXPECT_FALSE(dump_blocks(*e_).empty()) << "translated without blocks: " << line;
    }
    ++(report.empty() ? translated : reported);
  }
  // The batch reaches both ends.
  EXPECT_GT(translated, 0);
  EXPECT_GT(reported, 0);
}

}  // namespace
}  // namespace kelvo::test
