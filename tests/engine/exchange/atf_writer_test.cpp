// The animation trace file: the records of the animation programs, the
// TIME record, the end of the file, the ANIM rewrite and the file's name.
#include <string>
#include <utility>
#include <vector>

#include "../engine_fixture.h"
#include "../runtime/runtime_test_support.h"
#include "exchange/atf_writer.h"
#include "io/channels.h"

namespace kelvo {
namespace {

class AtfTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    e().ch.open_new(io::k_atf_unit, "T.ATF");
    e().run.atf_open = true;
    e().prog.current_special = 1;
  }
  void name(const std::string& text) {
    auto& row = e().ent.spec.atf_name[1];
    row.fill('\0');
    for (std::size_t i = 0; i < text.size() && i < 6; ++i) row[i] = text[i];
  }
  // The file's lines as written, trailing blanks kept.
  std::vector<std::string> lines() {
    e().ch.close(io::k_atf_unit);
    return test::lines_of(read_file("T.ATF"));
  }
};

// One argument: a value, or a name's packed code.
struct Arg {
  Arg() = default;
  Arg(double value) : v(value) {}  // NOLINT: a plain number reads best in the tables
  Arg(double value, std::string name) : v(value), code(std::move(name)) {}
  double v = 0;
  std::string code;
};

struct RecordCase {
  std::string test;
  void (*writer)(Engine&, const ProgramArgs&);
  std::string name;       // the statement's recorded name
  std::vector<Arg> args;  // A, B, ... (G last when given)
  std::string record;     // exactly as written
};

ProgramArgs make_args(const std::vector<Arg>& given) {
  ProgramArgs args;
  for (std::size_t i = 0; i < given.size(); ++i) {
    const int k = static_cast<int>(i) + 1;
    if (given[i].code.empty()) args.set_value(k, static_cast<real4>(given[i].v));
    else args.set_name(k, test::pack6(given[i].code));
  }
  return args;
}

// Argument G = 1 says operand B is a number.
const Arg g0{0}, g1{1};

std::vector<RecordCase> record_cases() {
  return {
      {"Create", write_atf_create, "FIG1", {{1}}, " CREATE FIG1        1"},
      {"CreateObjectNumberTooWide", write_atf_create, "FIG1", {{1234567}}, " CREATE FIG1   ******"},
      {"CreateNameAsObjectNumber", write_atf_create, "FIG1", {{0, "ABC"}}, " CREATE FIG1   ******"},
      {"Destroy", write_atf_destroy, "", {{12}}, " DESTROY     12"},
      {"ChangeFoldsToUpperCase", write_atf_set_class, "fig2", {{3}}, " SET      3 CLASS FIG2  "},
      {"ColorNumber", write_atf_set_color, "", {{3}, {7}, {}, {}, {}, {}, g1}, " SET      3 COLOR  7"},
      {"ColorNameAsRecorded", write_atf_set_color, "red", {{3}, {0, "RED"}, {}, {}, {}, {}, g0}, " SET      3 COLOR red   "},
      {"ColorNumberTooWide", write_atf_set_color, "", {{3}, {123}, {}, {}, {}, {}, g1}, " SET      3 COLOR **"},
      {"Speed", write_atf_set_speed, "", {{3}, {2.5}}, " SET      3 SPEED    2.50"},
      {"MoveWithoutTravelTimeIsPlace", write_anim_move_place, "", {{1}, {3}, {4}, {0}}, " PLACE      1 at    3   4"},
      {"MoveWithTravelTime", write_anim_move_place, "", {{1}, {3}, {4}, {2.5}}, " MOVE      1   2.50   3   4"},
      {"PlaceAtCoordinates", write_anim_place, "", {{1}, {10}, {20}, {}, {}, {}, g1}, " PLACE      1 AT    10   20"},
      {"PlaceOnName", write_anim_place, "got1", {{1}, {0, "GOT1"}, {0}, {}, {}, {}, g0}, " PLACE      1 ON GOT1  "},
      {"PlaceOnNumberedName", write_anim_place, "BLO", {{1}, {0, "BLO"}, {7}, {}, {}, {}, g0}, " PLACE      1 ON BLO7     "},
      {"PlaceOnLongNumberedName", write_anim_place, "GOTOAB", {{1}, {0, "GOTOAB"}, {12}, {}, {}, {}, g0},
       " PLACE      1 ON GOTOAB12 "},
      {"PlaceNumberKeepsThreeCharacters", write_anim_place, "B", {{1}, {0, "B"}, {123}, {}, {}, {}, g0},
       " PLACE      1 ON B  123   "},
      {"PlaceNumberAbove999", write_anim_place, "BLO", {{1}, {0, "BLO"}, {1000}, {}, {}, {}, g0}, " PLACE      1 ON BLO***   "},
      {"PlaceNumberNegative", write_anim_place, "BLO", {{1}, {0, "BLO"}, {-2}, {}, {}, {}, g0}, " PLACE      1 ON BLO***   "},
      {"TravelOfNamedPath", write_anim_travel, "path1", {{0, "PATH1"}, {10}}, " SET PATH  PATH1  TRAVEL       10.00"},
      {"TravelOfNumberedPath", write_anim_travel, "5", {{5}, {10}}, " SET    5 TRAVEL       10.00"},
      {"WriteIdNumber", write_atf_write_command, "IDNR", {{0, "IDNR"}, {5}, {0}, {}, {}, {}, g1}, " WRITE ID(   5)      5"},
      {"WriteIdLetterAndSecondValue", write_atf_write_command, "IDNRA", {{0, "IDNRA"}, {5}, {9}, {}, {}, {}, g1},
       " WRITE IDA(   5)      9"},
      // 4 leaves 0.7 when divided by 1.1: shown with decimals.
      {"WriteWholeValueWithRemainder", write_atf_write_command, "Cnt", {{0, "CNT"}, {4}, {}, {}, {}, {}, g1}, " WRITE Cnt        4.00"},
      {"WriteFraction", write_atf_write_command, "CNT", {{0, "CNT"}, {2.5}, {}, {}, {}, {}, g1}, " WRITE CNT        2.50"},
      // The remainder is taken by 1.1: 2.2 leaves none and shows as 2.
      {"WriteRemainderByOnePointOne", write_atf_write_command, "CNT", {{0, "CNT"}, {2.2}, {}, {}, {}, {}, g1},
       " WRITE CNT        2"},
      // A negative value leaves a negative remainder: truncated.
      {"WriteNegativeTruncated", write_atf_write_command, "CNT", {{0, "CNT"}, {-2.5}, {}, {}, {}, {}, g1}, " WRITE CNT       -2"},
      {"WriteValueTooWide", write_atf_write_command, "CNT", {{0, "CNT"}, {-1234567}, {}, {}, {}, {}, g1}, " WRITE CNT   ******"},
      {"WriteName", write_atf_write_command, "CNT", {{0, "CNT"}, {0, "NAME"}, {}, {}, {}, {}, g0}, " WRITE CNT     NAME  "},
      {"SetBar", write_atf_set_bar, "Bar1", {{0, "BAR1"}, {0, "QQ"}, {4}}, " SET BAR Bar1   QQ         4"},
  };
}

class AtfRecord : public AtfTest, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(AtfRecord, IsWrittenExactly) {
  const RecordCase& c = GetParam();
  name(c.name);
  c.writer(e(), make_args(c.args));
  EXPECT_EQ(lines(), (std::vector<std::string>{c.record}));
}

INSTANTIATE_TEST_SUITE_P(Writers, AtfRecord, ::testing::ValuesIn(record_cases()),
                         [](const auto& info) { return info.param.test; });

TEST_F(AtfTest, TimeRecordOnlyWhenTheClockMovedOnMoreThanOneHundredth) {
  name("FIG1");
  const ProgramArgs one = make_args({{1}});
  // Clock 0: no TIME record.
  write_atf_destroy(e(), one);
  // 5.004 writes TIME 5.00; 5.012 lies within 0.01 of it; 5.02 does not.
  for (real4 t : {5.004f, 5.012f, 5.02f}) {
    e().run.clock = t;
    write_atf_destroy(e(), one);
  }
  EXPECT_EQ(lines(), (std::vector<std::string>{" DESTROY      1", " TIME       5.00", " DESTROY      1", " DESTROY      1",
                                               " TIME       5.02", " DESTROY      1"}));
}

TEST_F(AtfTest, EndWritesTimeOfTheLastRunEndAndClosesTheFile) {
  e().run.clock = 1.0f;
  e().run.saved_clock = 7.5f;
  close_atf_file(e());
  EXPECT_FALSE(e().run.atf_open);
  EXPECT_FALSE(e().ch.is_open(io::k_atf_unit));
  // A later command finds the file closed: nothing is written anywhere.
  write_atf_destroy(e(), make_args({{1}}));
  EXPECT_EQ(test::lines_of(read_file("T.ATF")), (std::vector<std::string>{" TIME       7.50", " END"}));
}

TEST_F(AtfTest, AtfFileIsNamedAfterTheModelTheUserGave) {
  e().ctl.program_file_name.assign("SHOP.TXT");
  EXPECT_EQ(std::string(make_atf_file_name(e()).trimmed()), "SHOP.ATF");
  // The animated copy runs under its own name; the file keeps the user's.
  e().ctl.auto_animation_flag = true;
  e().ctl.saved_program_name.assign("SHOP.TXT");
  e().ctl.program_file_name.assign("SHOP.ANI");
  EXPECT_EQ(std::string(make_atf_file_name(e()).trimmed()), "SHOP.ATF");
  EXPECT_EQ(std::string(make_layout_file_name(e()).trimmed()), "SHOPANI.LAY");
}

// ---- The ANIM rewrite

struct RewriteCase {
  std::string test;
  std::string line;
  bool rewritten;
};

class AnimRewrite : public testing::EngineTest, public ::testing::WithParamInterface<RewriteCase> {};

TEST_P(AnimRewrite, MakesAProgramCall) {
  const RewriteCase& c = GetParam();
  e().cs.stmt.stmt_line.assign(c.line);
  EXPECT_EQ(scan_anim_keyword(e(), 1), c.rewritten);
  std::string expected = c.line;
  if (c.rewritten) expected.replace(expected.find(c.line.find("ANIM") != std::string::npos ? "ANIM" : "anim"), 4, "HELP");
  EXPECT_EQ(std::string(e().cs.stmt.stmt_line.trimmed_right()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AnimRewrite,
    ::testing::ValuesIn(std::vector<RewriteCase>{
        {"Plain", "       ANIM      CREATE,P$SEG1,FIG1", true},
        {"LowerCase", "       anim      create,p$seg1,fig1", true},
        {"AfterLabel", "LOOP   ANIM      PLACE,P$SEG1,GOT1", true},
        {"LowerCaseAfterLabel", "lab1   anim      place,P$SEG1,GOT1", true},
        {"AtfWithoutComma", "       ANIM      ATF", true},
        {"AniBeforeComma", "       ANIM      ANIX,1", false},
        {"CommentBeforeComma", "       ANIM      X ! A,B", false},
        {"NoCommaAtAll", "       ANIM      1", false},
        {"LongerWord", "       ANIMX     A,B", false},
        {"InsideQuotedText", "       PRINT     'ANIM A,B'", false},
    }),
    [](const auto& info) { return info.param.test; });

}  // namespace
}  // namespace kelvo
