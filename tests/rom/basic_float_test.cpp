// Zorva BASIC's numbers, as a user meets them through zorva-run: how they
// print, the literals and VAL, the functions and their errors, DEF FN, the
// power operator, loops over fractions and RND.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/rom/basic_print_format.h"
#include "tests/rom/rom_run.h"

namespace zorva {
namespace {

using testing::BasicText;
using testing::RomRun;
using testing::RunRom;

// Runs `lines` as a program after clearing the screen: the rows it prints,
// before the closing OK.
std::vector<std::string> Output(const std::vector<std::string>& lines, uint64_t after = 2'000'000) {
  std::string typed;
  for (const std::string& line : lines) typed += line + "\n";
  const RomRun r = RunRom({.typed = typed + "CLS:RUN\n", .after = after});
  std::vector<std::string> rows = r.rows;
  EXPECT_GE(rows.size(), 2u);
  if (rows.size() >= 2) rows.resize(rows.size() - 2);  // "OK" and the cursor
  return rows;
}

// One PRINT per case: each row of the table is what that line prints.
struct Printed {
  const char* expression;
  std::string text;
};

void CheckPrinted(const std::vector<Printed>& table) {
  for (size_t from = 0; from < table.size(); from += 20) {
    std::vector<std::string> lines, expected;
    for (size_t i = from; i < table.size() && i < from + 20; ++i) {
      lines.push_back(std::to_string(10 + i - from) + " PRINT " + table[i].expression);
      expected.push_back(table[i].text);
    }
    EXPECT_EQ(Output(lines), expected);
  }
}

TEST(BasicNumbers, PrintAsThePeriodsBasicsDid) {
  CheckPrinted({
      {"1/3", " .333333"},         {"-2.5", "-2.5"},           {"100", " 100"},
      {"0", " 0"},                 {"-0", " 0"},               {"123456", " 123456"},
      {"123456.7", " 123457"},     {"999999", " 999999"},      {"999999.5", " 1E+06"},
      {"1E6", " 1E+06"},           {"1234567", " 1.23457E+06"}, {".01", " .01"},
      {".001", " 1E-03"},          {".0123456789", " .0123457"}, {".00999999", " 9.99999E-03"},
      {"-1.5E-10", "-1.5E-10"},    {"1.70141E38", " 1.70141E+38"}, {"3E-39", " 3E-39"},
      {"2/3", " .666667"},         {"1E5", " 100000"},         {"-32768", "-32768"},
      {".5", " .5"},               {"3.25", " 3.25"},          {"1.5E-3", " 1.5E-03"},
      {"&HC000", "-16384"},        {"7E+2", " 700"},           {"12.5E1", " 125"},
      {"0.1+0.2", " .3"},          {"1E-5*1E5", " 1"},         {"-1E-2", "-.01"},
  });
}

// STR$ is PRINT's text without the trailing space; VAL and INPUT read every
// literal form.
TEST(BasicNumbers, StrValAndInput) {
  EXPECT_EQ(Output({"10 PRINT STR$(1/3);\"|\";STR$(-2.5);\"|\";STR$(1E6);\"|\"",
                    "20 PRINT VAL(\"3.25\");VAL(\" -.5\");VAL(\"1E6\");VAL(\"1.5E-3X\")",
                    "30 PRINT VAL(\"&H10\");VAL(\"E5\");VAL(\"+7.\");VAL(\"2E\")"}),
            (std::vector<std::string>{" .333333|-2.5| 1E+06|", " 3.25 -.5  1E+06  1.5E-03",
                                      " 0  0  7  2"}));
  const RomRun r =
      RunRom({.typed = "10 INPUT A,B,C:PRINT A*2;B;C\nRUN\n1.5,-2E3,.25\n", .after = 1'000'000});
  EXPECT_EQ(r.rows.at(r.rows.size() - 3), " 3 -2000  .25");
}

// Each function's value where it is exact or well known, and its errors.
TEST(BasicNumbers, Functions) {
  CheckPrinted({
      {"INT(-2.5);INT(2.5);INT(-3);INT(.999)", "-3  2 -3  0"},
      {"ABS(-1.5);SGN(-.1);SGN(0);SGN(1E-30)", " 1.5 -1  0  1"},
      {"SQR(16);SQR(2);SQR(0);SQR(1E-6)", " 4  1.41421  0  1E-03"},
      {"SIN(0);COS(0);TAN(0);ATN(1)*4", " 0  1  0  3.14159"},
      {"SIN(3.14159265/2);COS(3.14159265)", " 1 -1"},
      {"LOG(1);LOG(EXP(1));EXP(0);EXP(1)", " 0  1  1  2.71828"},
      {"LOG(100)/LOG(10);EXP(-1)", " 2  .367879"},
      {"INT(SQR(49));INT(SQR(10000));SQR(25)=5", " 7  100 -1"},
  });
  for (const char* bad : {"SQR(-1)", "LOG(0)", "LOG(-2)", "(-8)^(1/3)", "EXP(89)", "0^-1"}) {
    const RomRun r = RunRom({.typed = std::string("?") + bad + "\n"});
    const std::string expected = std::string(bad) == "EXP(89)"  ? "?OV ERROR"
                                 : std::string(bad) == "0^-1" ? "?/0 ERROR"
                                                              : "?FC ERROR";
    EXPECT_EQ(r.rows.at(r.rows.size() - 3), expected) << bad;
  }
}

// ^ binds tighter than a minus in front and works left to right; whole
// exponents are exact.
TEST(BasicNumbers, Power) {
  CheckPrinted({
      {"2^10;10^3;(-2)^3;2^-1;3^0;0^0", " 1024  1000 -8  .5  1  1"},
      {"-2^2;2^3^2;2*3^2;4^.5;2^.5", "-4  64  18  2  1.41421"},
      {"INT(10^5);INT(2^19);1.1^2", " 100000  524288  1.21"},
  });
}

// DEF FN: a function of one number, which leaves the program's own variable
// of the parameter's name alone.
TEST(BasicNumbers, DefFn) {
  EXPECT_EQ(Output({"10 DEF FNA(X)=X*X+1:DEF FNB(Y)=FNA(Y)*2", "20 X=7:PRINT FNA(3);FNB(2);X",
                    "30 DEF FNA(X)=-X:PRINT FNA(3);FN A(FNA(2))", "40 PRINT FNZ(1)"}),
            (std::vector<std::string>{" 10  10  7", "-3  2", "?UF ERROR IN 40"}));
}

// Loops over fractions end as those BASICs end them: once the variable has
// passed the limit, counting up or down.
TEST(BasicNumbers, ForLoopsOverFractions) {
  EXPECT_EQ(Output({"10 FOR X=0 TO 1 STEP .25:PRINT X;:NEXT:PRINT X",
                    "20 FOR X=1 TO 0 STEP -.5:PRINT X;:NEXT:PRINT X",
                    "30 FOR X=1 TO 2.5:PRINT X;:NEXT:PRINT X"}),
            (std::vector<std::string>{" 0  .25  .5  .75  1  1.25", " 1  .5  0 -.5", " 1  2  3"}));
}

// RND: fractions from 0 up to (not including) 1; RND(0) repeats the last; a
// negative argument starts a sequence of its own, the same every time.
TEST(BasicNumbers, Rnd) {
  EXPECT_EQ(
      Output({"10 FOR I=1 TO 300:R=RND(1):IF R<0 OR R>=1 THEN PRINT \"OUT\";R",
              "20 S=S+R:IF R<>RND(0) THEN PRINT \"CHANGED\"",
              "30 NEXT:PRINT S>120;S<180", "40 A=RND(-3):A=RND(1):B=RND(1):C=RND(-3):C=RND(1)",
              "50 D=RND(1):PRINT A=C;B=D;A<>B", "60 E=RND(-4):E=RND(1):PRINT E<>A"},
             20'000'000),
      (std::vector<std::string>{"-1 -1", "-1 -1 -1", "-1"}));
}

// PRINT CHR$(13) starts a new row, CHR$(10) moves down a row, CHR$(7)
// prints nothing.
TEST(BasicNumbers, ControlCharacters) {
  EXPECT_EQ(Output({"10 PRINT \"AB\";CHR$(13);\"C\";CHR$(10);\"D\";CHR$(7);\"E\""}),
            (std::vector<std::string>{"AB", "C", " DE"}));
}

}  // namespace
}  // namespace zorva
