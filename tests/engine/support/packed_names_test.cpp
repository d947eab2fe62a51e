#include "support/packed_names.h"

#include "../engine_fixture.h"

namespace kelvo {
namespace {

using PackedNames = testing::EngineTest;
using EntityLookup = testing::EngineTest;

// --- Packing a name ---------------------------------------------------------

TEST(NumericNameKey, NumbersAreRightAlignedDigitCodes) {
  const struct {
    int number;
    int key;
  } cases[] = {{0, 1}, {7, 8}, {42, 203}, {999, 16410}, {100, 2 * 1600 + 1 * 40 + 1}};
  for (const auto& c : cases) EXPECT_EQ(numeric_name_key(c.number), c.key) << c.number;
}

TEST_F(PackedNames, SpellingsThatPackAlike) {
  const struct {
    const char* name;
    const char* same_as;
  } cases[] = {
      {"abc", "ABC"},          // case is folded
      {"AB", "AB    "},        // names are padded with blanks
      {"A#B", "A B"},          // '#' packs as a blank
      {"GENERATE", "GENERA"},  // only the first six characters count
      {"AB=CD", "AB"},         // a terminator ends the name
      {"AB\nCD", "AB"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pack_symbol_name(e(), c.name), pack_symbol_name(e(), c.same_as)) << c.name;
  }
  EXPECT_EQ(pack_symbol_name(e(), "   42"), numeric_name_key(42) * 40);
  EXPECT_EQ(pack_symbol_name(e(), "    42"), numeric_name_key(42));
  EXPECT_FALSE(e().ctl.preem_name_seen);
}

TEST_F(PackedNames, PreemLabelPacksAsZeroAndIsNoted) {
  EXPECT_FALSE(e().ctl.preem_name_seen);
  EXPECT_EQ(pack_symbol_name(e(), "preem:"), 0);
  EXPECT_TRUE(e().ctl.preem_name_seen);
}

TEST_F(PackedNames, IllegalCharacterReportsAndStops) {
  e().ctl.current_statement.assign("       QUEUE     A-B");
  EXPECT_TRUE(stops([&] { pack_symbol_name(e(), "A-B"); }));
  EXPECT_TRUE(e().ctl.error_found);
  EXPECT_NE(console_output().find(" Illegal character in this context"), std::string::npos);
}

// --- Reading a packed name back ---------------------------------------------

TEST_F(PackedNames, LateLettersPackWithoutOverflowAndReadBack) {
  const int4 z = pack_symbol_name(e(), "ZZZZZZ");
  EXPECT_EQ(name_high_word(z), 38 * 1641);
  EXPECT_EQ(name_low_word(z), 38 * 1641);
  EXPECT_EQ(unpack_name_chars(e(), z), "ZZZZZZ");
  EXPECT_EQ(unpack_name_chars(e(), pack_symbol_name(e(), "x.$9")), "X.$9");
}

TEST_F(PackedNames, NamesReadAsNumbersSkipBlanksAndStopAtLetters) {
  int value = -1;
  bool digits = false;
  unpack_name_number(e(), pack_symbol_name(e(), " 1 2"), value, digits);
  EXPECT_EQ(value, 12);
  EXPECT_TRUE(digits);
  unpack_name_number(e(), pack_symbol_name(e(), "12A"), value, digits);
  EXPECT_EQ(value, 12);
  EXPECT_FALSE(digits);
}

TEST_F(PackedNames, CodesOutsideTheAlphabetAreRejected) {
  const int4 bad = 39 * 1600;  // code 39 in the fourth position: not a character
  e().ctl.compiling = true;
  std::array<int, 6> codes{};
  EXPECT_FALSE(decode_packed_name(e(), bad, codes));
  EXPECT_TRUE(e().ctl.error_found);
  e().ctl.compiling = false;
  EXPECT_TRUE(stops([&] { decode_packed_name(e(), bad, codes); }));
  EXPECT_NE(console_output().find(" Incorrect number"), std::string::npos);
}

// --- Finding an entity by its packed name -----------------------------------

TEST_F(EntityLookup, NamesAreFoundByClassFromEntryOne) {
  e().ent.q.queue_count = 2;
  e().ent.q.queue_name[1] = pack_symbol_name(e(), "LINE");
  e().ent.q.queue_name[2] = pack_symbol_name(e(), "BUF");
  int mode = 0;
  int number = 0;
  find_entity_number(e(), k_class_queue, pack_symbol_name(e(), "BUF"), mode, number);
  EXPECT_EQ(number, 2);
  find_entity_number(e(), k_class_number, pack_symbol_name(e(), "  17"), mode, number);
  EXPECT_EQ(number, 17);
  EXPECT_FALSE(e().ctl.error_found);
}

TEST_F(EntityLookup, MissingNamesGiveTheClassMessage) {
  int mode = 0;
  int number = 5;
  find_entity_number(e(), k_class_queue, pack_symbol_name(e(), "QQQ"), mode, number);
  EXPECT_EQ(number, 5);  // left as the caller set it
  find_entity_number(e(), k_class_storage, pack_symbol_name(e(), "ST1"), mode, number);
  find_entity_number(e(), k_class_number, pack_symbol_name(e(), "X1"), mode, number);
  EXPECT_EQ(number, -999);
  EXPECT_TRUE(e().ctl.error_found);
  EXPECT_EQ(console_output(),
            "     Queue  of  Q$QQQ    missing\n"
            "    Storage of  S$ST1    missing\n"
            "   or station ST1    missing\n"
            " Integer expected in operand" + std::string(22, ' ') + "\n");
}

TEST_F(EntityLookup, ModesThatAllowAMissingName) {
  int mode = k_mode_missing_allowed;
  int number = 0;
  find_entity_number(e(), k_class_savevalue, pack_symbol_name(e(), "NONE"), mode, number);
  EXPECT_EQ(number, -1);
  mode = k_mode_maybe_savevalue;
  find_entity_number(e(), k_class_savevalue, pack_symbol_name(e(), "NONE"), mode, number);
  EXPECT_EQ(mode, k_mode_not_savevalue);
  mode = k_mode_function_definition;
  find_entity_number(e(), k_class_function, pack_symbol_name(e(), "F"), mode, number);
  EXPECT_TRUE(e().ctl.error_found);
  EXPECT_EQ(console_output(), " Function definition cannot have other function as A operand\n");
}

}  // namespace
}  // namespace kelvo
