// Type-in programs in the style of the period's books and magazines, our own,
// typed into Zorva BASIC through zorva-run with their answers typed ahead:
// each must leave exactly the screen its listing computes. Together they use
// fractions, RND(1), DEF FN, TAB(, ^, INPUT, READ/DATA, arrays and the string
// functions the way those listings did.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/rom/rom_run.h"

namespace zorva {
namespace {

using testing::RomRun;
using testing::RunRom;

struct TypeIn {
  const char* name;
  std::vector<std::string> listing;
  std::string answers;              // typed straight after RUN, "\n" ends each
  std::vector<std::string> screen;  // the rows after CLS, up to the closing OK
};

std::vector<std::string> Played(const TypeIn& t) {
  std::string typed;
  for (const std::string& line : t.listing) typed += line + "\n";
  const RomRun r = RunRom({.typed = typed + "CLS:RUN\n" + t.answers, .after = 12'000'000});
  std::vector<std::string> rows = r.rows;
  if (rows.size() >= 2) rows.resize(rows.size() - 2);  // "OK" and the cursor
  return rows;
}

TEST(BasicTypeIns, PlayAsTheirListingsCompute) {
  const TypeIn programs[] = {
      {"temperatures",
       {"10 PRINT \"F\";TAB(8);\"C\"", "20 FOR F=0 TO 100 STEP 25", "30 C=(F-32)*5/9",
        "40 PRINT F;TAB(8);INT(C*10+.5)/10", "50 NEXT F"},
       "",
       {"F       C", " 0      -17.8", " 25     -3.9", " 50      10", " 75      23.9",
        " 100     37.8"}},
      {"interest",
       {"10 INPUT \"PRINCIPAL\";P", "20 INPUT \"RATE %\";R", "30 FOR Y=1 TO 5",
        "40 A=P*(1+R/100)^Y", "50 PRINT Y;TAB(6);INT(A*100+.5)/100", "60 NEXT"},
       "1000\n6\n",
       {"PRINCIPAL? 1000", "RATE %? 6", " 1     1060", " 2     1123.6", " 3     1191.02",
        " 4     1262.48", " 5     1338.23"}},
      {"quadratic",
       {"10 PRINT \"A,B,C\";", "20 INPUT A,B,C", "30 IF A=0 THEN END", "40 D=B*B-4*A*C",
        "50 IF D<0 THEN PRINT \"NO REAL ROOTS\":GOTO 10",
        "60 R1=(-B+SQR(D))/(2*A):R2=(-B-SQR(D))/(2*A)", "70 PRINT \"X =\";R1;\"OR\";R2",
        "80 GOTO 10"},
       "1,-3,2\n1,2,5\n2,-1,-1\n1,0,-2\n0,0,0\n",
       {"A,B,C? 1,-3,2", "X = 2 OR 1", "A,B,C? 1,2,5", "NO REAL ROOTS", "A,B,C? 2,-1,-1",
        "X = 1 OR-.5", "A,B,C? 1,0,-2", "X = 1.41421 OR-1.41421", "A,B,C? 0,0,0"}},
      {"circles",
       {"10 DEF FNA(R)=3.14159*R*R", "20 DEF FNC(R)=2*3.14159*R", "30 DEF FNR(X)=INT(X*100+.5)/100",
        "40 FOR R=1 TO 3", "50 PRINT R;FNR(FNA(R));FNR(FNC(R))", "60 NEXT"},
       "",
       {" 1  3.14  6.28", " 2  12.57  12.57", " 3  28.27  18.85"}},
      // 600 throws of a die: every face comes up, none far too often.
      {"dice",
       {"10 X=RND(-5):DIM C(6)", "20 FOR I=1 TO 600:R=INT(RND(1)*6)+1:C(R)=C(R)+1:NEXT",
        "30 T=0:FOR I=1 TO 6:T=T+C(I):IF C(I)<60 OR C(I)>140 THEN PRINT \"UNFAIR\";I",
        "40 NEXT:PRINT \"TOTAL\";T"},
       "",
       {"TOTAL 600"}},
      {"palindromes",
       {"10 INPUT \"WORD\";W$", "20 R$=\"\":FOR I=LEN(W$) TO 1 STEP -1:R$=R$+MID$(W$,I,1):NEXT",
        "30 PRINT R$;", "40 IF R$=W$ THEN PRINT \" IS A PALINDROME\":GOTO 10",
        "50 PRINT \" IS NOT A PALINDROME\"", "60 IF W$<>\"END\" THEN 10"},
       "LEVEL\nHELLO\nEND\n",
       {"WORD? LEVEL", "LEVEL IS A PALINDROME", "WORD? HELLO", "OLLEH IS NOT A PALINDROME",
        "WORD? END", "DNE IS NOT A PALINDROME"}},
      {"caesar",
       {"10 INPUT \"SHIFT\";S", "20 INPUT \"TEXT\";T$", "30 O$=\"\"",
        "40 FOR I=1 TO LEN(T$):C=ASC(MID$(T$,I,1))",
        "50 IF C>=65 AND C<=90 THEN C=65+(C-65+S)-26*INT((C-65+S)/26)", "60 O$=O$+CHR$(C):NEXT",
        "70 PRINT O$"},
       "-3\n\"HELLO, WORLD\"\n",
       {"SHIFT? -3", "TEXT? \"HELLO, WORLD\"", "EBIIL, TLOIA"}},
      {"primes",
       {"10 N=100:DIM P(100)", "20 FOR I=2 TO SQR(N):IF P(I) THEN 40",
        "30 FOR J=I*I TO N STEP I:P(J)=1:NEXT J", "40 NEXT I",
        "50 C=0:FOR I=2 TO N:IF P(I)=0 THEN C=C+1:PRINT I;", "60 NEXT:PRINT:PRINT C;\"PRIMES\""},
       "",
       {" 2  3  5  7  11  13  17  19  23  29  31", " 37  41  43  47  53  59  61  67  71  73",
        " 79  83  89  97", " 25 PRIMES"}},
      {"sine_wave",
       {"10 FOR A=0 TO 6 STEP .5", "20 PRINT TAB(INT(20+15*SIN(A)));\"*\"", "30 NEXT"},
       "",
       {std::string(20, ' ') + "*", std::string(27, ' ') + "*", std::string(32, ' ') + "*",
        std::string(34, ' ') + "*", std::string(33, ' ') + "*", std::string(28, ' ') + "*",
        std::string(22, ' ') + "*", std::string(14, ' ') + "*", std::string(8, ' ') + "*",
        std::string(5, ' ') + "*", std::string(5, ' ') + "*", std::string(9, ' ') + "*",
        std::string(15, ' ') + "*"}},
      {"sorting",
       {"10 DIM A(8):FOR I=1 TO 8:READ A(I):NEXT", "20 FOR I=1 TO 7:FOR J=1 TO 8-I",
        "30 IF A(J)>A(J+1) THEN T=A(J):A(J)=A(J+1):A(J+1)=T", "40 NEXT J,I",
        "50 FOR I=1 TO 8:PRINT A(I);:NEXT:PRINT", "60 DATA 3.5,-2,17,.25,1E3,-7.75,0,2.5"},
       "",
       {"-7.75 -2  0  .25  2.5  3.5  17  1000"}},
      {"binary",
       {"10 INPUT \"NUMBER\";N", "20 IF N<0 THEN END", "30 B$=\"\":M=N",
        "40 D=M-2*INT(M/2):B$=CHR$(48+D)+B$:M=INT(M/2):IF M>0 THEN 40",
        "50 PRINT N;\"IS \";B$:GOTO 10"},
       "10\n255\n1000\n-1\n",
       {"NUMBER? 10", " 10 IS 1010", "NUMBER? 255", " 255 IS 11111111", "NUMBER? 1000",
        " 1000 IS 1111101000", "NUMBER? -1"}},
      {"newton",
       {"10 FOR N=2 TO 5", "20 X=N:FOR K=1 TO 6:X=(X+N/X)/2:NEXT",
        "30 PRINT N;X;ABS(X-SQR(N))<1E-6", "40 NEXT"},
       "",
       {" 2  1.41421 -1", " 3  1.73205 -1", " 4  2 -1", " 5  2.23607 -1"}},
      {"mortgage",
       {"10 P=10000:R=.01:N=12", "20 M=P*R/(1-(1+R)^-N)", "30 PRINT \"PAYMENT\";INT(M*100+.5)/100"},
       "",
       {"PAYMENT 888.49"}},
      // Twenty-one stones; the machine leaves a multiple of four plus one.
      {"nim",
       {"10 N=21", "20 PRINT \"STONES\";N", "30 INPUT \"TAKE 1-3\";T",
        "40 IF T<1 OR T>3 OR T>N THEN PRINT \"NO\":GOTO 30",
        "50 N=N-T:IF N=0 THEN PRINT \"YOU LOSE\":END", "60 C=N-1-4*INT((N-1)/4):IF C<1 THEN C=1",
        "70 PRINT \"I TAKE\";C:N=N-C:IF N=0 THEN PRINT \"I LOSE\":END", "80 GOTO 20"},
       "1\n2\n4\n3\n1\n2\n1\n",
       {"STONES 21",   "TAKE 1-3? 1", "I TAKE 3",    "STONES 17",   "TAKE 1-3? 2",
        "I TAKE 2",    "STONES 13",   "TAKE 1-3? 4", "NO",          "TAKE 1-3? 3",
        "I TAKE 1",    "STONES 9",    "TAKE 1-3? 1", "I TAKE 3",    "STONES 5",
        "TAKE 1-3? 2", "I TAKE 2",    "STONES 1",    "TAKE 1-3? 1", "YOU LOSE"}},
  };
  for (const TypeIn& t : programs) EXPECT_EQ(Played(t), t.screen) << t.name;
}

}  // namespace
}  // namespace zorva
