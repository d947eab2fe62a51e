#include "support/text_routines.h"

#include "../engine_fixture.h"

namespace kelvo {
namespace {

using BaseName = testing::EngineTest;

std::string base_of(Engine& e, const char* name, int& dot) {
  e.ctl.program_file_name.assign(name);
  return std::string(get_program_base_name(e, dot).trimmed());
}

TEST_F(BaseName, ExtensionTxtIsDroppedOthersJoinTheBaseOfTheLastPathComponent) {
  const struct {
    const char* name;
    const char* base;  // the final '.' is at its last column
  } cases[] = {
      {"A.TXT", "A."},
      {"A.RES", "ARES."},
      {"A", "A."},
      {"MODEL.ABC", "MODELABC."},
      {"model.txt trailing words", "model."},
      {"../m", "../m."},
      {"d.v/m", "d.v/m."},
      {"d.v/m.abc", "d.v/mabc."},
  };
  for (const auto& c : cases) {
    int dot = 0;
    EXPECT_EQ(base_of(e(), c.name, dot), c.base) << c.name;
    EXPECT_EQ(dot, static_cast<int>(std::string(c.base).size())) << c.name;
  }
}

TEST_F(BaseName, ExtensionSetsTheTxtAndListingFlags) {
  int dot = 0;
  base_of(e(), "A.TXT", dot);
  EXPECT_TRUE(e().ctl.txt_extension_flag);
  base_of(e(), "A.RES", dot);
  EXPECT_TRUE(e().ctl.listing_file_flag);
  EXPECT_FALSE(e().ctl.txt_extension_flag);
}

TEST_F(BaseName, DerivedFileNamesAppendTheirExtension) {
  e().ctl.program_file_name.assign("MODEL.TXT");
  EXPECT_EQ(model_name_with_extension(e(), "DEC").trimmed(), "MODEL.DEC");
  e().ctl.program_file_name.assign("MODEL.ABC");
  EXPECT_EQ(model_name_with_extension(e(), "DEC").trimmed(), "MODELABC.DEC");
  // A name of 125 characters still has room for ".EXT".
  e().ctl.program_file_name.assign(std::string(125, 'm'));
  EXPECT_EQ(model_name_with_extension(e(), "DEC").trimmed(), std::string(125, 'm') + ".DEC");
}

// Names from work files: the result files are named after them, so a
// plain file name has something in it, no control character, no path and
// no Windows device name (whose files would be the device).
TEST(WorkFileNames, PlainFileNamesHaveNoControlCharacterAndNoPath) {
  const struct {
    std::string name;
    bool usable, plain;
  } cases[] = {
      {"M.TXT", true, true},          {"  ", false, false},         {std::string("M\0.TXT", 6), false, false},
      {"M\t.TXT", false, false},      {"../X.TXT", true, false},    {"sub/M.TXT", true, false},
      {"sub\\M.TXT", true, false},    {"A..B", true, false},        {"C:M.TXT", true, false},
      {"NUL.TXT", true, false},       {"nul", true, false},         {"Con.TXT.ABC", true, false},
      {"AUX  ", true, false},         {"pRn.x", true, false},       {"com1.dat", true, false},
      {"LPT9", true, false},          {"NUL .TXT", true, false},    {"COM10.TXT", true, true},
      {"LPT0", true, false},          {"com0.txt", true, false},    {"CONIN$", true, false},
      {"conout$.txt", true, false},   {"NULL.TXT", true, true},     {"CONS.TXT", true, true},
      {"CONIN.TXT", true, true},      {"MY.NUL", true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(usable_model_name(c.name), c.usable) << c.name;
    EXPECT_EQ(plain_file_name(c.name), c.plain) << c.name;
  }
}

}  // namespace
}  // namespace kelvo
