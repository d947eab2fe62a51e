// Configuration values: flags, numbers, deciphering and INI look-up.
#include <gtest/gtest.h>

#include "core/launcher_config.h"
#include "text/ini_parser.h"

namespace {

using srvlaunch::DecipherConfigValue;
using srvlaunch::EncipherConfigValue;
using srvlaunch::IniLookup;

TEST(ConfigValues, FlagIsFalseOnlyWhenItBeginsWithZero) {
  EXPECT_TRUE(srvlaunch::ParseFlag(""));
  EXPECT_TRUE(srvlaunch::ParseFlag("1"));
  EXPECT_TRUE(srvlaunch::ParseFlag("no"));
  EXPECT_FALSE(srvlaunch::ParseFlag("0"));
  EXPECT_FALSE(srvlaunch::ParseFlag("0yes"));
  EXPECT_TRUE(srvlaunch::ParseFlag(" 0"));
}

TEST(ConfigValues, DecimalTakesLeadingDigits) {
  EXPECT_EQ(srvlaunch::ParseDecimal("2"), 2);
  EXPECT_EQ(srvlaunch::ParseDecimal("12abc"), 12);
  EXPECT_EQ(srvlaunch::ParseDecimal("abc"), 0);
  EXPECT_EQ(srvlaunch::ParseDecimal(""), 0);
  EXPECT_EQ(srvlaunch::ParseDecimal("-1"), -1);
  EXPECT_EQ(srvlaunch::ParseDecimal("99999999999999999999"), INT32_MAX);
  EXPECT_EQ(srvlaunch::ParseDecimal("-99999999999999999999"), INT32_MIN);
}

TEST(ConfigValues, HexReadsTheJniVersion) {
  EXPECT_EQ(srvlaunch::ParseHex("0x00010006"), 0x00010006u);
  EXPECT_EQ(srvlaunch::ParseHex("10002"), 0x10002u);
  EXPECT_EQ(srvlaunch::ParseHex("0xabC"), 0xABCu);
  EXPECT_EQ(srvlaunch::ParseHex(""), 0u);
}

TEST(Decipher, HexDigits) {
  EXPECT_EQ(srvlaunch::HexDigitValue('0'), 0);
  EXPECT_EQ(srvlaunch::HexDigitValue('9'), 9);
  EXPECT_EQ(srvlaunch::HexDigitValue('A'), 10);
  EXPECT_EQ(srvlaunch::HexDigitValue('F'), 15);
  EXPECT_EQ(srvlaunch::HexDigitValue('a'), 0);  // upper case only
  EXPECT_EQ(srvlaunch::HexDigitValue('G'), 0);
}

TEST(Decipher, KnownValue) {
  // 'T' ^ 'Q' = 0x05, 'O' ^ 'b' = 0x2D.
  EXPECT_EQ(DecipherConfigValue("052D"), "TO");
  EXPECT_EQ(DecipherConfigValue("052D653A0E3B1A42370806553A566A5672270745"), "TORNEL.server.Server");
}

TEST(Decipher, RoundTripOverTheKeyLength) {
  const std::string plain = "a.rather.long.package.name.with.more.than.seventeen.Main";
  EXPECT_EQ(DecipherConfigValue(EncipherConfigValue(plain)), plain);
}

TEST(Decipher, SeventeenthByteIsNotChanged) {
  const std::string stored = EncipherConfigValue(std::string(18, 'x'));
  EXPECT_EQ(stored.substr(32, 2), "78");  // 'x' itself at k = 16
}

TEST(Decipher, OddLastDigitIsIgnored) {
  EXPECT_EQ(DecipherConfigValue("052D6"), "TO");
}

TEST(Decipher, ValueEndsAtTheFirstNul) {
  EXPECT_EQ(DecipherConfigValue("052D" "3A" "0E"), std::string("TO") + static_cast<char>(0x3A ^ '7') +
                                                       static_cast<char>(0x0E ^ 't'));
  EXPECT_EQ(DecipherConfigValue(EncipherConfigValue(std::string("ab\0cd", 5))), "ab");
}

TEST(Decipher, LongValueIsBoundedAt255Bytes) {
  const std::string plain(400, 'q');
  const std::string out = DecipherConfigValue(EncipherConfigValue(plain));
  EXPECT_EQ(out, std::string(255, 'q'));
}

TEST(Decipher, NonHexDigitsCountAsZero) {
  // "G5" is read as 0x05, which gives 'T' with the first key byte.
  EXPECT_EQ(DecipherConfigValue("G5"), "T");
}

const char* const kIni =
    "; comment\n"
    "[Other]\n"
    "JvmOptions=wrong\n"
    "[application configuration]\r\n"
    "  jvmoptions  =  -Xmx64m -Da=b  \r\n"
    "JvmOptions=second\n"
    "Quoted=\"  spaced  \"\n"
    "Single='x'\n"
    "Half=\"x\n"
    "Empty=\n"
    "NoEquals\n"
    "[Application Configuration]\n"
    "Late=never read\n";

TEST(IniLookup, SectionAndKeyIgnoreCaseAndTheFirstMatchWins) {
  EXPECT_EQ(IniLookup(kIni, "Application Configuration", "JvmOptions"), "-Xmx64m -Da=b");
  EXPECT_EQ(IniLookup(kIni, "Other", "JVMOPTIONS"), "wrong");
}

TEST(IniLookup, OnePairOfQuotesIsRemoved) {
  EXPECT_EQ(IniLookup(kIni, "Application Configuration", "Quoted"), "  spaced  ");
  EXPECT_EQ(IniLookup(kIni, "Application Configuration", "Single"), "x");
  EXPECT_EQ(IniLookup(kIni, "Application Configuration", "Half"), "\"x");
}

TEST(IniLookup, MissingKeysAndSections) {
  EXPECT_EQ(IniLookup(kIni, "Application Configuration", "Empty"), "");
  EXPECT_EQ(IniLookup(kIni, "Application Configuration", "NoEquals"), std::nullopt);
  EXPECT_EQ(IniLookup(kIni, "Application Configuration", "Late"), std::nullopt);
  EXPECT_EQ(IniLookup(kIni, "Missing", "JvmOptions"), std::nullopt);
}

TEST(IniLookup, ShowConsoleWithTrailingBlankNeedsQuotes) {
  EXPECT_EQ(IniLookup("[s]\nShowConsole=1 \n", "s", "ShowConsole"), "1");
  EXPECT_EQ(IniLookup("[s]\nShowConsole=\"1 \"\n", "s", "ShowConsole"), "1 ");
}

TEST(IniLookup, ValueIsCutAt1023Characters) {
  const std::string text = "[s]\nk=" + std::string(2000, 'v') + "\n";
  EXPECT_EQ(IniLookup(text, "s", "k")->size(), 1023u);
}

}  // namespace
