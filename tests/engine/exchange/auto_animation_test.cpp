// Automatic animation: the parse pass's bookkeeping, the model check, the
// layout file and the animated model, each driven through the parse pass
// of a model file in a scratch directory.
#include "exchange/auto_animation.h"

#include <sstream>
#include <vector>

#include "../engine_fixture.h"
#include "driver/run_cycle.h"
#include "io/fixed_format.h"

namespace kelvo {
namespace {

class AutoAnimation : public testing::EngineTest {
 protected:
  // Writes the model M.TXT and the front end's command, then runs the
  // parse pass in automatic-animation mode.
  void parse(const std::string& model) {
    write_file("M.TXT", model);
    write_file("zwxyq.jav", "M.TXT\n     60\n");
    e().ctl.animation_mode = true;
    parse_pass(e());
  }
  // The steps of the main program after the parse pass; true when the
  // engine stopped on the way.
  bool animate(const std::string& model) {
    parse(model);
    const bool stopped = stops([&] {
      check_auto_animation(e());
      write_anim_layout(e());
      prepare_auto_animation(e());
      rewrite_model_for_animation(e());
    });
    e().ch.close_all();  // as the engine's stop does
    return stopped;
  }
  std::vector<std::string> file(const std::string& name) { return testing::stripped_lines(read_file(name)); }
  static bool holds(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
};

const std::string k_simple =
    "       SIMULATE\n       GENERATE  10\n       ADVANCE   5\n       TERMINATE 1\n       START     5\n       END\n";

TEST_F(AutoAnimation, LayoutOfOneGenerate) {
  ASSERT_FALSE(animate(k_simple));
  const auto lay = file("M.LAY");
  ASSERT_FALSE(lay.empty());
  EXPECT_EQ(lay.front(), "Define View \"(Home)\" center -10 -28 Width 120 Grid  Size 1 10 Ortho Aspect 1 0.5 Speed 9");
  EXPECT_EQ(lay[1], "Define View \"(Class)\" center 0 0 Width 7.0445 Grid  Size 0.1 1 Ortho");
  EXPECT_TRUE(holds(lay, " Define color F1 0 0 0.6667"));
  EXPECT_TRUE(holds(lay, "*[new] Define color F32 0.898 0.898 0.898"));
  EXPECT_TRUE(holds(lay, "*[new] Define color L32 0.8471 0.8 0.6"));
  const auto cls = std::find(lay.begin(), lay.end(), "Define Class FIG1 Directional Clearance 0.4 0.4");
  ASSERT_NE(cls, lay.end());
  EXPECT_EQ(*(cls - 1), "Color F1");
  EXPECT_EQ(*(cls + 6), "End");
  EXPECT_EQ(*(cls + 7), "Color F25");
  EXPECT_FALSE(holds(lay, "Define Class FIG2 Directional Clearance 0.4 0.4"));
  // Block 2 (ADVANCE) is row 2 of column 1: x from 0 to -10 at y -30.
  EXPECT_EQ(*(cls + 9), " Line #2  - 30    0 - 30 - 10");
  EXPECT_EQ(lay.back(), "End");
}

TEST_F(AutoAnimation, TextLineTakesTheBlockLinesColumns) {
  // Columns 7-17 of the block line stand in 14-24: an empty sign becomes
  // "-", the empty digits of columns 12, 16 and 17 become 8, 5 and 2; the
  // block's name follows from column 25.
  EXPECT_EQ(build_layout_text_line(io::read_a("Line #12    0 - 10    0 - 20", 40), Text6("LOOP")),
            "TEXT 1 1.4 LJ12 - 80 -51LOOP  ");
}

TEST_F(AutoAnimation, AnimatedModelOfOneSegment) {
  ASSERT_FALSE(animate(k_simple));
  EXPECT_EQ(file("M.ANI"), (std::vector<std::string>{
                               "SIMULATE 1",
                               "    LET X$DUM=5",
                               "           GENERATE  10",
                               "FIG1  LET P$SEG1=N$FIG1",
                               "      ANIM CREATE,P$SEG1,FIG1",
                               "     ANIM PLACE,P$SEG1,BLO2",
                               "           ADVANCE   5",
                               "       ANIM PLACE,P$SEG1,BLO3",
                               "     ADVANCE X$DUM",
                               "     ANIM DESTROY,P$SEG1",
                               "           TERMINATE 1",
                               "           START     5,NP",
                               "   END",
                           }));
  EXPECT_EQ(file("animani")[1], "       GENERATE  10");
  EXPECT_TRUE(e().ctl.auto_animation_flag);
  EXPECT_EQ(animated_model_name(e()).trimmed(), "M.ANI");
}

TEST_F(AutoAnimation, ModelThatSetsTheDummyDelayKeepsItsOwn) {
  ASSERT_FALSE(animate("       SIMULATE\n       LET       X$DUM=3\n       GENERATE  10\n       TERMINATE 1\n"
                       "       START     5\n       END\n"));
  const auto ani = file("M.ANI");
  EXPECT_FALSE(holds(ani, "    LET X$DUM=5"));
  EXPECT_EQ(ani[1], "           LET       X$DUM=3");
  // The layout's paths take the model's delay as their travel time.
  EXPECT_NE(read_file("M.LAY").find("Time 3 "), std::string::npos);
}

TEST_F(AutoAnimation, LongOperandsAreCopiedWhole) {
  const std::string expr = "X$A=1+2+3+4+5+6+7+8+9+10+11+12+13+14+15+16+17+18+19+20+21+22+23+245";
  ASSERT_EQ(expr.size(), 67u);
  ASSERT_FALSE(animate("       SIMULATE\n       LET       X$A=0\n       GENERATE  10\nLET " + expr +
                       "\n       TERMINATE 1\n       START     5\n       END\n"));
  const auto ani = file("M.ANI");
  EXPECT_TRUE(holds(ani, "LET " + expr));
  EXPECT_TRUE(holds(ani, "      ANIM PLACE,P$SEG1,BLO2"));
  for (const auto& l : ani) EXPECT_LE(l.size(), 71u) << l;
}

TEST_F(AutoAnimation, BranchesGoOverReturnPoints) {
  e().ctl.debug_mode = true;
  write_file("zwxyqdeb", "");
  ASSERT_FALSE(animate("       SIMULATE\n       GENERATE  10\nLOOP   IF        Q$WQ>5,OUT\n"
                       "       SPLIT     1,OUT\n       GOTO      LOOP\nOUT    TERMINATE 1\n"
                       "       START     5\n       END\n"));
  const auto ani = file("M.ANI");
  const std::vector<std::string> expected{
      "SIMULATE 1",
      "    LET X$DUM=5",
      "           GENERATE  10",
      "FIG1  LET P$SEG1=N$FIG1",
      "      ANIM CREATE,P$SEG1,FIG1",
      "LOOP   ANIM PLACE,P$SEG1,BLO2",
      "     ADVANCE X$DUM",
      " BLOT2  PRINT 'WRITE BLO2T',N$BLOT2,0",
      "           IF        Q$WQ>5,GOT1",
      "      ANIM PLACE,P$SEG1,BLO3",
      "     ADVANCE X$DUM",
      " BLOT3  PRINT 'WRITE BLO3T',N$BLOT3,0",
      "           SPLIT     1,GOT10",
      " BLOT4  PRINT 'WRITE BLO4T',N$BLOT4,0",
      "     ANIM PLACE,P$SEG1,BLO4",
      "     ADVANCE X$DUM",
      "     ANIM PLACE,P$SEG1,GOT11",
      "     ADVANCE X$DUM",
      "     GOTO LOOP",
      "OUT    ANIM PLACE,P$SEG1,BLO5",
      "     ADVANCE X$DUM",
      " BLOT5  PRINT 'WRITE BLO5T',N$BLOT5,0",
      "     ANIM DESTROY,P$SEG1",
      "           TERMINATE 1",
      "  GOT1 ANIM PLACE,P$SEG1,GOT1",
      "     ADVANCE X$DUM",
      "     GOTO OUT",
      "GOT10 LET+ P$SEG1,10000",
      "ANIM CREATE,P$SEG1,FIG1",
      "ANIM COLOR,P$SEG1,7",
      " ANIM PLACE,P$SEG1,GOT10",
      "     ADVANCE X$DUM",
      "     GOTO OUT",
      "  GOT11 ANIM PLACE,P$SEG1,GOT11",
      "     ADVANCE X$DUM",
      "     GOTO LOOP",
      "           START     5,NP",
      "   END",
  };
  EXPECT_EQ(ani, expected);
  // The layout draws the three connections and a path per return point.
  const auto lay = file("M.LAY");
  EXPECT_TRUE(holds(lay, "Define Path GOT1"));
  EXPECT_TRUE(holds(lay, "Define Path GOT10"));
  EXPECT_TRUE(holds(lay, "Define Path GOT11"));
}

// The model check and the rewriter stop with their message in the ATF
// file; neither a layout nor an animated model is left behind.
struct Refusal {
  const char* name;
  std::string blocks;
  const char* message;
};

class RefusedModels : public AutoAnimation, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedModels, StopWithTheMessageInTheAtfFile) {
  const Refusal& r = GetParam();
  EXPECT_TRUE(animate("       SIMULATE\n       GENERATE  10\n" + r.blocks + "       TERMINATE 1\n       START     5\n       END\n"));
  EXPECT_EQ(file("M.ATF"), (std::vector<std::string>{"Due to error, no ATF file produced", "", r.message}));
  EXPECT_FALSE(std::filesystem::exists("M.ANI"));
}

std::string many_blocks(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "       ADVANCE   1\n";
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    AutoAnimation, RefusedModels,
    ::testing::Values(Refusal{"WaitifWithC", "       WAITIF    Q$WQ<5,1\n", " WAITIF with C in model stops animation"},
                      Refusal{"TooManyBlocks", many_blocks(98), " Program has too many statements"},
                      Refusal{"Input", "       INPUT     X$A\n", " INPUT not allowed at automatic animation"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AutoAnimation, NinetyNineBlocksAreAccepted) {
  e().ctl.debug_mode = true;
  write_file("zwxyqdeb", "");
  EXPECT_FALSE(animate("       SIMULATE\n       GENERATE  10\n" + many_blocks(97) +
                       "       TERMINATE 1\n       START     5\n       END\n"));
  const auto ani = file("M.ANI");
  EXPECT_TRUE(holds(ani, "       ANIM PLACE,P$SEG1,BLO99"));
  // The two-digit listing line has one blank less before PRINT.
  EXPECT_TRUE(holds(ani, " BLOT99 PRINT 'WRITE BLO99T',N$BLOT99,0"));
}

TEST_F(AutoAnimation, EachSegmentsFirstReturnPointBearsItsDigit) {
  ASSERT_FALSE(animate("       SIMULATE\n       GENERATE  10\n       TERMINATE 1\n       GENERATE  10\n"
                       "       IF        Q$WQ>5,OUT\nOUT    TERMINATE 1\n       START     5,1\n       END\n"));
  const auto ani = file("M.ANI");
  EXPECT_TRUE(holds(ani, "FIG2  LET P$SEG2=N$FIG2*2-(N$FIG2-1)%1000+999"));
  EXPECT_TRUE(holds(ani, "           IF        Q$WQ>5,GOT2"));
  EXPECT_TRUE(holds(ani, "  GOT2 ANIM PLACE,P$SEG2,GOT2"));
  // START keeps its operands; ",NP" follows the last of them.
  EXPECT_EQ(ani.at(ani.size() - 2), "           START     5,1,NP");
  EXPECT_TRUE(holds(file("M.LAY"), "Define Path GOT2"));
}

TEST_F(AutoAnimation, AddressFunctionStopsAnimation) {
  parse("       SIMULATE\nWHERE  FUNCTION  RN1,D2\n0.5,BLOA/1,BLOB\n       GENERATE  10\n"
        "       TERMINATE 1\n       START     5\n       END\n");
  EXPECT_TRUE(e().anim.address_function) << console_output();
  EXPECT_TRUE(stops([&] { check_auto_animation(e()); }));
  e().ch.close_all();
  const auto atf = file("M.ATF");
  ASSERT_EQ(atf.size(), 3u);
  EXPECT_EQ(atf[2], " Address function in model stops animation");
}

TEST_F(AutoAnimation, IfWithoutAddressIsAStatementError) {
  EXPECT_TRUE(animate("       SIMULATE\n       GENERATE  10\n       IF        Q$WQ>5\n"
                      "       TERMINATE 1\n       START     5\n       END\n"));
  const auto atf = file("M.ATF");
  ASSERT_GE(atf.size(), 6u);
  EXPECT_EQ(atf[2], " C operand compulsory in IF block");
  EXPECT_EQ(atf[5], "          IF        Q$WQ>5");
  EXPECT_FALSE(std::filesystem::exists("M.ANI"));
}

TEST_F(AutoAnimation, ClassesAndSegmentNamesStopAtNine) {
  std::string model = "       SIMULATE\n";
  for (int i = 0; i < 10; ++i) model += "       GENERATE  10\n       TERMINATE 1\n";
  EXPECT_TRUE(animate(model + "       START     5\n       END\n"));
  const auto lay = file("M.LAY");
  EXPECT_TRUE(holds(lay, "Define Class FIG9 Directional Clearance 0.4 0.4"));
  EXPECT_EQ(std::count_if(lay.begin(), lay.end(), [](const std::string& l) { return l.rfind("Define Class", 0) == 0; }), 9);
  EXPECT_EQ(file("M.ATF")[2], " Too many GENERATE blocks for automatic animation");
}

// "(Loc:" comments: row and column offsets read by position; a non-digit
// and a position beyond the comment count as 0.
struct Location {
  const char* comment;
  int row;      // row of the located block (its predecessor is row 2)
  int segment;  // segment of the located block (its predecessor's is 1)
};

class LocationComments : public AutoAnimation, public ::testing::WithParamInterface<Location> {};

TEST_P(LocationComments, PlaceTheBlockRelativeToItsPredecessor) {
  parse("       SIMULATE\n       GENERATE  10\n       ADVANCE   1\n       ADVANCE   2 !" +
        std::string(GetParam().comment) + "\n       TERMINATE 1\n       START     5\n       END\n");
  const AnimBlock& b = e().anim.blocks.at(3);
  EXPECT_EQ(b.row, GetParam().row);
  EXPECT_EQ(b.segment, GetParam().segment);
  EXPECT_EQ(e().anim.blocks.at(4).row, GetParam().row + 1);
}

INSTANTIATE_TEST_SUITE_P(AutoAnimation, LocationComments,
                         ::testing::Values(Location{"(Loc: +1,+2)", 3, 3}, Location{"(Loc: +1,-1)", 3, 0},
                                           Location{"(Loc: -1,1)", 1, 2}, Location{"(Loc: +12,-1)", 14, 0},
                                           Location{"(Loc: +x,+y)", 2, 1}, Location{"(Loc:", 2, 1},
                                           Location{"(Lo: +3,+3)", 3, 1}, Location{"no tag", 3, 1},
                                           // the tag must follow the "!" at once
                                           Location{" (Loc: +1,+2)", 3, 1}, Location{"see (Loc: +1,+2)", 3, 1}));

TEST_F(AutoAnimation, LocatedBlocksGetCommentLabelsUpToNine) {
  std::string blocks;
  for (int i = 0; i < 11; ++i) blocks += "       ADVANCE   1 !(Loc: +1,+0)\n";
  parse("       SIMULATE\n       GENERATE  10\n" + blocks + "       TERMINATE 1\n       START     5\n       END\n");
  const auto& b = e().anim.blocks;
  EXPECT_EQ(b.at(2).label.trimmed(), "COM1");
  EXPECT_EQ(b.at(1).target.trimmed(), "COM1");
  EXPECT_EQ(b.at(10).label.trimmed(), "COM9");
  EXPECT_TRUE(b.at(11).label.is_blank());
  EXPECT_TRUE(b.at(12).label.is_blank());
}


TEST_F(AutoAnimation, DataAfterEndFollowsTheAnimatedModel) {
  ASSERT_FALSE(animate("       SIMULATE\n       GENERATE  10\n       TERMINATE 1\n       START     5\n"
                       "       END\n1 2\n#\n"));
  const auto ani = file("M.ANI");
  ASSERT_GE(ani.size(), 3u);
  EXPECT_EQ(ani[ani.size() - 3], "   END");
  EXPECT_EQ(ani[ani.size() - 2], "1 2");
  EXPECT_EQ(ani.back(), "#");
}

TEST_F(AutoAnimation, ErrorsOfTheAnimatedRunGoToTheUsersTraceFile) {
  e().ctl.auto_animation_flag = true;
  e().ctl.saved_program_name.assign("M.TXT");
  e().ctl.program_file_name.assign("M.ANI");
  EXPECT_TRUE(stops([&] { stop_animation(e(), " Some error"); }));
  e().ch.close_all();
  EXPECT_EQ(file("M.ATF").back(), " Some error");
  EXPECT_FALSE(std::filesystem::exists("MANI.ATF"));
}


TEST_F(AutoAnimation, AConnectionToTheRowBelowRunsUpOneRowInsteadOfNoLength) {
  // The GOTO (row 2: 0 to -10) sends to the next block (row 3: -10 to -20)
  // of its column: a step aside, a run of one row up, and back.
  ASSERT_FALSE(animate("       SIMULATE\n       GENERATE  10\n       GOTO      NXT\nNXT    TERMINATE 1\n"
                       "       START     5\n       END\n"));
  const auto lay = file("M.LAY");
  const std::string lines[] = {" Line #4  - 30 - 10 - 20 - 10", " Line #5  - 20 - 10 - 20    0", " Line #6  - 20    0 - 30    0"};
  auto at = std::find(lay.begin(), lay.end(), lines[0]);
  ASSERT_NE(at, lay.end());
  EXPECT_EQ(*(at + 1), lines[1]);
  EXPECT_EQ(*(at + 2), lines[2]);
}

TEST_F(AutoAnimation, TwoLineConnectionsStandAheadOfTheLayoutAndAgainAmongItsLines) {
  // The IF (row 2 of column 1) sends to T (row 4 of column 2).
  ASSERT_FALSE(animate("       SIMULATE\n       LET       X$A=0\n       GENERATE  10\n       IF        X$A>1,T\n"
                       "       TERMINATE 1\n       GENERATE  10\n       ADVANCE   1\n       ADVANCE   1\n"
                       "T      TERMINATE 1\n       START     5\n       END\n"));
  const auto lay = file("M.LAY");
  const std::string first = " Line #8  - 30 - 10 - 10 - 20";
  const std::string second = " Line #9  - 10 - 20 - 10 - 30";
  ASSERT_GE(lay.size(), 3u);
  EXPECT_EQ(lay[0], first);
  EXPECT_EQ(lay[1], second);
  EXPECT_EQ(lay[2].rfind("Define View \"(Home)\"", 0), 0u);
  const auto again = std::find(lay.begin() + 2, lay.end(), first);
  ASSERT_NE(again, lay.end());
  EXPECT_EQ(*(again + 1), second);
  EXPECT_TRUE(holds(lay, "Define Path GOT1"));
}

}  // namespace
}  // namespace kelvo
