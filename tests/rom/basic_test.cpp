// Zorva BASIC, in the system ROM, as a user meets it: lines typed through
// zorva-run at its default pacing and the screen read back. Most cases are
// sessions: the lines typed and the rows each leaves below it, so that the
// expected screen reads like the real one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/rom/rom_run.h"

namespace zorva {
namespace {

using testing::kCursor;
using testing::RomRun;
using testing::RunRom;

using testing::Symbol;

// The program starts on the page after BASIC's code and may run up to BFFF.
const std::string kFree = std::to_string(0xBFFF - Symbol("program")) + " BYTES FREE";
// A number as PRINT writes it, without the trailing space.
std::string Printed(long n) {
  std::string text(1, ' ');  // built up: GCC 12 warns wrongly of " " + std::string(...)
  text += std::to_string(n);
  return text;
}
const std::vector<std::string> kBanner = {"ZORVA BASIC 2.0", kFree, "OK"};
constexpr char kBreak = '\x03';  // Ctrl+C, as zorva-run types it

// A typed line as the screen shows it: 40 characters a row (Ctrl+C shows nothing).
std::vector<std::string> Echo(const std::string& typed) {
  std::string line;
  for (const char c : typed)
    if (c != kBreak) line += c;
  std::vector<std::string> rows;
  for (size_t at = 0; at == 0 || at < line.size(); at += 40) rows.push_back(line.substr(at, 40));
  while (!rows.back().empty() && rows.back().back() == ' ') rows.back().pop_back();
  return rows;
}

// What a session types (each line ended by Enter) and the screen it leaves
// below the banner, without the cursor's row.
struct Session {
  const char* name;
  std::vector<std::string> typed;
  std::vector<std::string> rows;
  uint64_t after = 300'000;  // instructions run after the last key
};

// A session whose last line runs a while.
Session Long(Session s) {
  s.after = 5'000'000;
  return s;
}

// One typed line and the rows it prints after its own.
struct Step {
  std::string typed;
  std::vector<std::string> rows;
};

Session Steps(const char* name, const std::vector<Step>& steps) {
  Session s{name, {}, {}};
  for (const Step& step : steps) {
    s.typed.push_back(step.typed);
    for (const std::string& r : Echo(step.typed)) s.rows.push_back(r);
    s.rows.insert(s.rows.end(), step.rows.begin(), step.rows.end());
  }
  return s;
}

// Numbered lines, then RUN, the rows it prints, and OK.
Session Program(const char* name, const std::vector<std::string>& lines,
                std::vector<std::string> output) {
  std::vector<Step> steps;
  for (const std::string& line : lines) steps.push_back({line, {}});
  output.push_back("OK");
  steps.push_back({"RUN", output});
  return Steps(name, steps);
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string typed;
  for (const std::string& line : lines) typed += line + "\n";
  return typed;
}

// Types the session and expects the banner, its rows and the cursor (shown
// as '.', the block glyph being outside 20-7E).
void Check(const Session& s) {
  SCOPED_TRACE(s.name);
  std::vector<std::string> rows = kBanner;
  rows.insert(rows.end(), s.rows.begin(), s.rows.end());
  rows.push_back(kCursor);
  EXPECT_EQ(RunRom({.typed = Joined(s.typed), .after = s.after}).rows, rows);
}

void CheckAll(const std::vector<Session>& sessions) {
  for (const Session& s : sessions) Check(s);
}

TEST(Basic, Arithmetic) {
  CheckAll({
      Steps("precedence_and_brackets", {{"PRINT 2+3*4-1;(2+3)*4;20-4-3;2*3/4;-2*3;--5;2*-3;+4",
                                         {" 13  20  13  1.5 -6  5 -6  4", "OK"}}}),
      Steps("division_is_exact",
            {{"?7/2;-7/2;7/-2;-32768/2;0/5;1/3", {" 3.5 -3.5 -3.5 -16384  0  .333333", "OK"}}}),
      Steps(
          "past_16_bits",
          {{"?32767;-32768;-32767-1;&H7FFF;&hc000;&HFFFF;&h0",
            // 41 characters: the last space wraps, and the line ends on the next row
            {" 32767 -32768 -32768  32767 -16384 -1  0", "", "OK"}},
           {"?181*181;32767+1;-256*-128;200*200", {" 32761  32768  32768  40000", "OK"}},
           {"?-(-32768);-&H8000;99999;123456*1000", {" 32768  32768  99999  1.23456E+08", "OK"}}}),
      Steps("overflow_is_an_error", {{"?1E38*10", {"?OV ERROR", "OK"}},
                                     {"?-1E38-1E38", {"?OV ERROR", "OK"}},
                                     {"?1E30/1E-30", {"?OV ERROR", "OK"}},
                                     {"?&H10000", {"?OV ERROR", "OK"}},
                                     {"?1E39", {"?OV ERROR", "OK"}},
                                     {"?1/0", {"?/0 ERROR", "OK"}},
                                     {"?1E-30*1E-30;1E-40", {" 0  0", "OK"}}}),
  });
}

TEST(Basic, RelationsAndLogic) {
  CheckAll({
      Steps("numbers",
            {{"?1=1;1=2;1<>2;2<>2;1<2;2<1;2<=2;3<=2;2>1;1>2;2>=2;1>=2",
              {"-1  0 -1  0 -1  0 -1  0 -1  0 -1  0", "OK"}},
             {"?-1<1;-32768<32767;32767>-32768;1=<2;2=>3;3><3", {"-1 -1 -1 -1  0  0", "OK"}}}),
      Steps("strings",
            {{"A$=\"ABC\":B$=\"ABD\":?A$<B$;A$=A$;A$<>B$;B$>A$;A$>=B$;A$<=A$",
              {"-1 -1 -1 -1  0 -1", "OK"}},
             {"?\"AB\"<\"ABC\";\"B\">\"ABC\";\"\"<\"A\";\"\"=\"\";\"a\">\"Z\";\"A\"=\"a\"",
              {"-1 -1 -1 -1 -1  0", "OK"}}}),
      Steps("bitwise_on_16_bits", {{"?12 AND 10;12 OR 3;NOT 0;NOT -1;-1 AND &H7FFF;NOT 5 AND 7",
                                    {" 8  15 -1  0  32767  2", "OK"}},
                                   {"?1<2 AND 3<2;1<2 OR 3<2;NOT 1=2", {" 0 -1 -1", "OK"}}}),
      Steps("types_must_match", {{"?\"A\"=1", {"?TM ERROR", "OK"}},
                                 {"?\"A\"*2", {"?TM ERROR", "OK"}},
                                 {"?-\"A\"", {"?TM ERROR", "OK"}},
                                 {"A$=1", {"?TM ERROR", "OK"}}}),
  });
}

TEST(Basic, Statements) {
  CheckAll({
      Steps("print_separators_and_zones",
            {{"PRINT 1;2;-3;\"A\";\"B\" 4", {" 1  2 -3 AB 4", "OK"}},
             {"PRINT 1,2,\"X\",-4", {" 1             2            X", "-4", "OK"}},
             {"PRINT \"A\";:PRINT \"B\",:PRINT \"C\"", {"AB            C", "OK"}},
             {"?:?\"\"", {"", "", "OK"}},
             // TAB(52) from column 11 prints 41 spaces, onto the next row.
             {"?TAB(5);\"X\";TAB(2);\"Y\";SPC(3);\"Z\";TAB(52)\"W\"",
              {"     XY   Z", "            W", "OK"}}}),
      Steps("let_and_names",
            {{"LET A=5:B=A*2:AB=3:ABC=4:a1=7:PRINT A;B;AB;a1;ab", {" 5  10  4  7  4", "OK"}},
             {"N$=\"HI\":n$=N$+\"!\":PRINT N$;Z;Z$;\"|\"", {"HI! 0 |", "OK"}}}),
      Program("if_then_line_or_statements",
              {"10 IF 1 THEN PRINT \"A\";:PRINT \"B\";", "20 IF 0 THEN PRINT \"C\":PRINT \"D\"",
               "30 IF 2>1 THEN 50", "40 PRINT \"E\"", "50 IF 1 GOTO 70", "60 PRINT \"F\"",
               "70 IF 0 GOTO 40", "80 IF \"A\"<\"B\" THEN PRINT \"G\""},
              {"ABG"}),
      Program("goto_gosub_on",
              {"10 GOSUB 100:PRINT \"B\";:ON 2 GOSUB 100,200,300",
               "20 ON 0 GOTO 100:ON 4 GOTO 100,200:ON -1 GOTO 100", "30 ON 3 GOTO 100,200,40",
               "40 GOSUB 200:END", "100 PRINT \"X\";:RETURN", "200 PRINT \"Y\";:GOSUB 100:RETURN"},
              {"XBYXYX"}),
      Program("for_next",
              {"10 FOR I=1 TO 3:FOR J=1 TO 2:PRINT I*10+J;:NEXT J,I",
               "20 FOR K=10 TO 1 STEP -4:PRINT K;:NEXT", "30 FOR M=5 TO 1:PRINT M;:NEXT M:PRINT M",
               "40 FOR N=32766 TO 32767:NEXT:PRINT N",
               "50 FOR I=1 TO 2:FOR I=7 TO 8:NEXT I:PRINT I;:NEXT I"},
              {" 11  12  21  22  31  32  10  6  2  5  6", "", " 32768", " 9", "?NF ERROR IN 50"}),
      // The answers are typed after RUN and echo on the prompt's row.
      {"input_prompt_more_and_redo",
       {"10 INPUT \"NAME\";N$:INPUT A,B:PRINT N$;A+B", "20 INPUT X$,Y$:PRINT X$;\"|\";Y$;\"|\"",
        "30 INPUT C:PRINT C", "RUN", "Zorva", "3", "4", "  one , \"two, 2\"", "X", "-5"},
       {"10 INPUT \"NAME\";N$:INPUT A,B:PRINT N$;A+", "B", "20 INPUT X$,Y$:PRINT X$;\"|\";Y$;\"|\"",
        "30 INPUT C:PRINT C", "RUN", "NAME? Zorva", "? 3", "?? 4", "Zorva 7",
        "?   one , \"two, 2\"", "one|two, 2|", "? X", "?REDO", "? -5", "-5", "OK"}},
      Program("read_data_restore",
              {"10 READ A,B$,C:PRINT A;B$;C", "20 READ D$,E,F:PRINT D$;E;F",
               "30 RESTORE:READ G:PRINT G:READ F$,F,F$,G,H,I", "40 DATA 1, hello world ,-3",
               "50 DATA \"A,B\",,7"},
              {" 1 hello world-3", "A,B 0  7", " 1", "?OD ERROR IN 30"}),
      Program("dim_and_arrays",
              {"10 DIM A(5),B$(2,3):A(5)=7:B$(2,3)=\"X\":PRINT A(5);B$(2,3);A(0);B$(0,0)",
               "20 C(10)=3:D(2,10)=4:PRINT C(10)+D(2,10)", "30 DIM E(2):E(3)=1"},
              {" 7 X 0", " 7", "?BS ERROR IN 30"}),
      Steps("rem_end_run_clear_new", {{"10 A=1:REM a remark:A=2", {}},
                                      {"20 PRINT A:END:PRINT 3", {}},
                                      {"RUN", {" 1", "OK"}},
                                      {"RUN 20", {" 0", "OK"}},
                                      {"B=5:CLEAR 500:PRINT B;A", {" 0  0", "OK"}},
                                      {"NEW", {"OK"}},
                                      {"LIST", {"OK"}},
                                      {"RUN", {"OK"}}}),
      Steps("poke_peek",
            {{"POKE -16384,65:POKE &HC001,66:?PEEK(&HC000);PEEK(-16383)", {" 65  66", "OK"}},
             {"POKE 0,256", {"?FC ERROR", "OK"}}}),
      Steps("stop_cont", {{"10 PRINT 1:STOP:PRINT 2", {}},
                          {"RUN", {" 1", "BREAK IN 10", "OK"}},
                          {"CONT", {" 2", "OK"}},
                          {"CONT", {"?CN ERROR", "OK"}}}),
      {"ctrl_c_in_input_and_cont_asks_again",
       {"10 INPUT A:PRINT A*2", "RUN", std::string(1, kBreak) + "CONT", "21"},
       {"10 INPUT A:PRINT A*2", "RUN", "?", "BREAK IN 10", "OK", "CONT", "? 21", " 42", "OK"}},
      Steps("ctrl_c_breaks_and_cont_goes_on",
            {{"10 I=I+1:GOTO 10", {}},
             {"RUN", {"BREAK IN 10", "OK"}},
             {std::string(1, kBreak) + "J=I:CONT", {"BREAK IN 10", "OK"}},
             {std::string(1, kBreak) + "?I>J", {"-1", "OK"}}}),
  });
}

TEST(Basic, Functions) {
  CheckAll({
      Steps(
          "numeric",
          {{"?ABS(-5);ABS(5);SGN(-9);SGN(0);SGN(9);INT(7);INT(-7)", {" 5  5 -1  0  1  7 -7", "OK"}},
           {"?ABS(-32768);INT(2.5);INT(-2.5);INT(-.5);INT(1E9+.5)",
            {" 32768  2 -3 -1  1E+09", "OK"}},
           {"?FRE(0);FRE(\"\")",
            {Printed(0xBFFF - Symbol("program")) + " " + Printed(0xBFFF - Symbol("program")),
             "OK"}},
           // 4 bytes an element, 7 for the array; 6 for B$ and 6 for its characters.
           {"DIM A(5000):?FRE(0):B$=\"XY\"+\"Z\":?FRE(\"\")",
            {Printed(0xBFFF - Symbol("program") - 20011),
             Printed(0xBFFF - Symbol("program") - 20023), "OK"}}}),
      Steps("string_functions",
            {{"?LEN(\"\");LEN(\"ABC\");ASC(\"A\");CHR$(66);STR$(-12);STR$(5);\"|\"",
              {" 0  3  65 B-12 5|", "OK"}},
             {"?VAL(\"12\");VAL(\" -7X\");VAL(\"X\");VAL(\"\");VAL(\"+3\")",
              {" 12 -7  0  0  3", "OK"}},
             {"C$=\"ABCDEF\"", {"OK"}},
             {"?LEFT$(C$,2);\"/\";RIGHT$(C$,2);\"/\";MID$(C$,2,3);\"/\";MID$(C$,4)",
              {"AB/EF/BCD/DEF", "OK"}},
             {"?MID$(C$,9);\"/\";LEFT$(C$,0);\"/\";RIGHT$(C$,9);\"/\";MID$(C$,6,9)",
              {"//ABCDEF/F", "OK"}},
             {"?INKEY$;LEN(INKEY$)", {" 0", "OK"}}}),
      Steps("string_function_errors", {{"?MID$(\"A\",0)", {"?FC ERROR", "OK"}},
                                       {"?LEFT$(\"A\",-1)", {"?FC ERROR", "OK"}},
                                       {"?CHR$(256)", {"?FC ERROR", "OK"}},
                                       {"?ASC(\"\")", {"?FC ERROR", "OK"}},
                                       {"?LEN(5)", {"?TM ERROR", "OK"}},
                                       {"?STR$(\"5\")", {"?TM ERROR", "OK"}}}),
      // Every value from 1 to 6 comes up in 200 throws, and none outside.
      Long(Program("rnd",
                   {"10 FOR I=1 TO 200:R=INT(RND(1)*6)+1:IF R<1 OR R>6 THEN PRINT \"BAD\";R",
                    "20 C(R)=C(R)+1:NEXT:FOR I=1 TO 6:IF C(I)=0 THEN PRINT \"NONE\";I",
                    "30 NEXT:PRINT \"DONE\""},
                   {"DONE"})),
  });
}

// INKEY$ takes a key typed while the program runs, and CHR$(11) or CLS
// clear the screen.
TEST(Basic, KeysAndTheScreen) {
  RomRun r = RunRom({.typed = "10 FOR I=1 TO 500:NEXT:A$=INKEY$:PRINT A$;LEN(A$)\nRUN\nQ"});
  EXPECT_EQ(std::vector(r.rows.end() - 3, r.rows.end()),
            (std::vector<std::string>{"Q 1", "OK", kCursor}));
  for (const char* clear : {"PRINT 1;CHR$(11);2", "PRINT 1:CLS:PRINT 2"}) {
    r = RunRom({.typed = "?\"X\"\n" + std::string(clear) + "\n"});
    EXPECT_EQ(r.rows, (std::vector<std::string>{" 2", "OK", kCursor})) << clear;
  }
}

// Every error code, with the line it happened in; the program stays.
TEST(Basic, Errors) {
  const struct {
    const char* code;
    const char* line;
  } errors[] = {
      {"SN", "10 PRINT 1+"},
      {"UL", "10 GOTO 50"},
      {"OV", "10 A=1E30*1E30"},
      {"/0", "10 A=1/0"},
      {"OM", "10 GOSUB 10"},
      {"NF", "10 NEXT"},
      {"RG", "10 RETURN"},
      {"OD", "10 READ A"},
      {"BS", "10 DIM A(3):A(4)=1"},
      {"DD", "10 DIM A(3):DIM A(3)"},
      {"TM", "10 A=\"X\""},
      {"FC", "10 A$=CHR$(300)"},
      {"LS", "10 A$=\"XX\":FOR I=1 TO 7:A$=A$+A$:NEXT"},
      {"CN", "10 CONT"},
      {"UF", "10 A=FNX(1)"},
  };
  std::vector<Session> sessions;
  for (const auto& e : errors) {
    std::string message = "?";  // built up: GCC 12 warns wrongly of "?" + std::string(...)
    message += e.code;
    message += " ERROR IN 10";
    sessions.push_back(
        Steps(e.code, {{e.line, {}}, {"RUN", {message, "OK"}}, {"LIST", {e.line, "OK"}}}));
  }
  sessions.push_back(Steps("direct", {{"?1:X", {" 1", "?SN ERROR", "OK"}}}));
  sessions.push_back(Steps("def_direct", {{"DEF FNA(X)=X", {"?ID ERROR", "OK"}}}));
  CheckAll(sessions);
}

TEST(Basic, Editing) {
  const std::string longLine = "10 REM" + std::string(154, '*');  // 160: the most taken
  CheckAll({
      Steps("replace_and_delete", {{"20 PRINT 3", {}},
                                   {"10 print 1:print 2", {}},
                                   {"30 print \"Mixed\":rem Case", {}},
                                   {"10 PRINT 9", {}},
                                   {"15 ?5", {}},
                                   {"25 PRINT 4", {}},
                                   {"LIST",
                                    {"10 PRINT 9", "15 PRINT5", "20 PRINT 3", "25 PRINT 4",
                                     "30 PRINT \"Mixed\":REM Case", "OK"}},
                                   {"20", {}},
                                   {" 25  ", {}},
                                   {"RUN", {" 9", " 5", "Mixed", "OK"}}}),
      Steps("list_ranges", {{"10 A=1", {}},
                            {"20 A=2", {}},
                            {"30 A=3", {}},
                            {"LIST 20-", {"20 A=2", "30 A=3", "OK"}},
                            {"LIST -20", {"10 A=1", "20 A=2", "OK"}},
                            {"LIST 11-29", {"20 A=2", "OK"}},
                            {"LIST 30", {"30 A=3", "OK"}},
                            {"LIST 25", {"OK"}},
                            {"LIST 31-", {"OK"}}}),
      Steps("keywords_in_any_case_and_without_spaces",
            {{"10 fOr i=1to3:pRiNt i;:NeXt", {}},
             {"20 IFI>3THENPRINT\"END\"", {}},
             {"LIST", {"10 FOR i=1TO3:PRINT i;:NEXT", "20 IFI>3THENPRINT\"END\"", "OK"}},
             {"RUN", {" 1  2  3 END", "OK"}}}),
      {"a_line_wraps_over_four_rows",
       {longLine, "LIST"},
       {longLine.substr(0, 40), longLine.substr(40, 40), longLine.substr(80, 40),
        longLine.substr(120, 40), "LIST", longLine.substr(0, 40), longLine.substr(40, 40),
        longLine.substr(80, 40), longLine.substr(120, 40), "", "OK"}},
      // One character more is refused whole, and nothing of it is stored.
      {"a_longer_line_is_refused",
       {"10 PRINT 1", longLine + "X", "LIST"},
       {"10 PRINT 1", longLine.substr(0, 40), longLine.substr(40, 40), longLine.substr(80, 40),
        longLine.substr(120, 40), "X", "?LS ERROR", "OK", "LIST", "10 PRINT 1", "OK"}},
      {"backspace",
       {"PRINX\bT 5\b6", "?1\b\b\bX"},
       {"PRINT 6", " 6", "OK", "X", "?SN ERROR", "OK"}},
  });
}

TEST(Basic, StringsUpTo255Characters) {
  Check(Long(Program("255",
                     {"10 FOR I=1 TO 255:A$=A$+CHR$(48+I-INT(I/10)*10):NEXT",
                      "20 PRINT LEN(A$);LEFT$(A$,3);RIGHT$(A$,12)",
                      "30 B$=A$:C$=MID$(B$,250):PRINT C$;B$=A$;LEN(MID$(A$,1))", "40 A$=A$+\"X\""},
                     {" 255 123456789012345", "012345-1  255", "?LS ERROR IN 40"})));
}

// Packing the string space, again and again, keeps every string in use.
TEST(Basic, StringSpacePacksWithoutLosingStrings) {
  Check(Long(Program("packing",
                     {"10 DIM A$(20):FOR I=0 TO 20:A$(I)=STR$(I*I):NEXT:X$=\"kept\"",
                      "20 FOR J=1 TO 1000:B$=RIGHT$(B$+STR$(J),200):NEXT",
                      "30 FOR I=0 TO 20:IF A$(I)<>STR$(I*I) THEN PRINT \"LOST\";I",
                      "40 NEXT:PRINT RIGHT$(B$,9);X$"},
                     {" 999 1000kept"})));
}

// Deep GOSUB and FOR nesting ends in ?OM ERROR, and nothing else is hurt:
// the program lists as it was and the variables hold what they held.
TEST(Basic, DeepNestingEndsInOutOfMemory) {
  std::vector<std::string> fors;
  for (int i = 1; i <= 45; ++i) {
    fors.push_back(std::to_string(i) + " FOR " + static_cast<char>('A' + i / 10) +
                   static_cast<char>('0' + i % 10) + "=1 TO 2");
  }
  const Session sessions[] = {
      Steps("gosub", {{"10 N=N+1:GOSUB 10", {}},
                      {"RUN", {"?OM ERROR IN 10", "OK"}},
                      {"PRINT N:LIST", {" 74", "10 N=N+1:GOSUB 10", "OK"}}}),
      Steps("for_and_gosub",
            {{"10 N=N+1:FOR I=1 TO 2:GOSUB 10", {}},
             {"RUN", {"?OM ERROR IN 10", "OK"}},
             {"PRINT N;I:LIST", {" 22  1", "10 N=N+1:FOR I=1 TO 2:GOSUB 10", "OK"}}}),
  };
  for (const Session& s : sessions) Check(s);
  // 30 loops fit; the 31st does not.
  const RomRun r = RunRom({.typed = Joined(fors) + "RUN\nLIST 31\n"});
  EXPECT_EQ(std::vector(r.rows.end() - 6, r.rows.end()),
            (std::vector<std::string>{"?OM ERROR IN 31", "OK", "LIST 31", "31 FOR D1=1 TO 2", "OK",
                                      kCursor}));
}

// A 100-line listing typed at zorva-run's default pacing, then RUN, then the
// answers to its INPUT typed while the program still runs: nothing is lost.
TEST(Basic, TypeaheadKeepsEveryKey) {
  std::vector<std::string> lines;
  for (int k = 1; k <= 97; ++k) {
    lines.push_back(std::to_string(10 * k) + " s=s+" + std::to_string(k) +
                    ":t=t+len(\"abcdefghijklmnopqrstuvwxyz\")");
  }
  lines.insert(lines.end(), {"980 for i=1 to 3000:next", "990 input \"Name\";n$,a:print n$;s+a;t",
                             "1000 print \"done\"", "RUN", "Zorva,47", "list 500-520"});
  const RomRun r = RunRom({.typed = Joined(lines), .after = 5'000'000});
  std::vector<std::string> tail = {"RUN", "Name? Zorva,47", "Zorva 4800  2522", "done",
                                   "OK",  "list 500-520"};
  for (int k = 50; k <= 52; ++k) {
    for (const std::string& row : Echo(std::to_string(10 * k) + " s=s+" + std::to_string(k) +
                                       ":t=t+LEN(\"abcdefghijklmnopqrstuvwxyz\")"))
      tail.push_back(row);
  }
  tail.insert(tail.end(), {"OK", kCursor});
  ASSERT_GE(r.rows.size(), tail.size());
  EXPECT_EQ(std::vector(r.rows.end() - static_cast<long>(tail.size()), r.rows.end()), tail);
}

// MON enters the monitor as it always was; its B comes back to BASIC with the
// program and the variables as they were.
TEST(Basic, MonitorAndBack) {
  EXPECT_EQ(RunRom({.typed = "10 A=5\nMON\n"}).rows,
            (std::vector<std::string>{" ZORVA MONITOR 1.0", "Type H for help.", "> " + kCursor}));
  EXPECT_EQ(RunRom({.typed = "10 A=5\nA=7:B$=\"kept\"\nMON\nB 1\nB\nPRINT A;B$\nLIST\n"}).rows,
            (std::vector<std::string>{"OK", "PRINT A;B$", " 7 kept", "OK", "LIST", "10 A=5", "OK",
                                      kCursor}));
  // A monitor reached without BASIC ever starting (here a cartridge jumps
  // into it) sends B to a fresh BASIC.
  std::vector<uint8_t> cart(16384);
  const uint8_t start[] = {'Z', 'O', 'R', 'V', 'A', 0x07, 0xC0, 0xFF};  // entry C007: RST 38h
  std::copy(std::begin(start), std::end(start), cart.begin());
  const RomRun r = RunRom({.typed = "B\n", .cart = cart});
  EXPECT_EQ(std::vector(r.rows.end() - 4, r.rows.end()),
            (std::vector<std::string>{"ZORVA BASIC 2.0", kFree, "OK", kCursor}));
}

// Every printable character has a key, in BASIC and in the monitor, and
// zorva-run types each the way the ROM reads it: two lines in BASIC (each
// answered by ?SN ERROR), three in the monitor (each answered by ?SYNTAX).
TEST(Keyboard, EveryPrintableCharacterTypesAndReadsBack) {
  const struct {
    const char* name;
    std::string before;
    int lineLength, firstRow, firstColumn, rowsPerLine;
  } places[] = {{"BASIC", "", 64, 3, 0, 4}, {"monitor", "mon\n", 32, 2, 2, 2}};
  for (const auto& p : places) {
    SCOPED_TRACE(p.name);
    std::string typed = p.before;
    for (int c = 0x20; c < 0x7F; ++c) {
      typed += static_cast<char>(c);
      if ((c - 0x20) % p.lineLength == p.lineLength - 1 || c == 0x7E) typed += '\n';
    }
    const RomRun r = RunRom({.typed = typed});
    for (int c = 0x20; c < 0x7F; ++c) {
      const int line = (c - 0x20) / p.lineLength, at = p.firstColumn + (c - 0x20) % p.lineLength;
      EXPECT_EQ(r.Char(p.firstRow + p.rowsPerLine * line + at / 40, at % 40), c)
          << static_cast<char>(c);
    }
  }
}

// Ctrl+C stops a LIST part way.
TEST(Basic, BreakStopsAList) {
  std::vector<std::string> lines;
  for (int k = 1; k <= 100; ++k)
    lines.push_back(std::to_string(k * 10) + " rem a line long enough to take a while");
  lines.push_back("LIST");
  const RomRun r = RunRom({.typed = Joined(lines) + kBreak});
  ASSERT_GE(r.rows.size(), 4u);
  EXPECT_EQ(std::vector(r.rows.end() - 3, r.rows.end()),
            (std::vector<std::string>{"BREAK", "OK", kCursor}));
  int listed = 0;
  for (const std::string& row : r.rows) {
    listed += row.find(" REM a line") != std::string::npos;
    EXPECT_EQ(row.find("1000 "), std::string::npos) << "listed to the end";
  }
  EXPECT_GT(listed, 5);
}

// No line, however malformed, hurts the program or stops BASIC answering.
TEST(Basic, MalformedLinesLeaveTheProgramAlone) {
  const std::string bad =
      R"(?((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((1
GOTO
GOTO 99999
GOSUB 5
FOR
FOR A$=1 TO 2
NEXT X
RETURN
?"
)
&H
?&HG
A(
A(1,2,3)=1
DIM B(99999)
DIM C(200,200)
LIST 99999999
99999 PRINT
IF
ON
ON 1 GOTO
INPUT
READ
POKE
?LEFT$(
?MID$("A",1,
X=1+
CONT
RUN 5
?FRE(
?"A"+1
DIM A(0,0,0)
=
:::
ELSE
LET
?1;;,,
"
?CHR$(-1)
NEW 5
RUN 10 20
STOP
)";
  const RomRun r = RunRom({.typed = "10 PRINT \"A\";:GOTO 20\n20 END\n" + bad + "LIST\nRUN\n"});
  EXPECT_EQ(std::vector(r.rows.end() - 8, r.rows.end()),
            (std::vector<std::string>{"LIST", "10 PRINT \"A\";:GOTO 20", "20 END", "OK", "RUN", "A",
                                      "OK", kCursor}));
}

}  // namespace
}  // namespace zorva
