// The program listing that the paste benchmarks type into our BASIC: 100
// lines, about 3,000 characters with their line ends.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zorva::bench {

// The listing: every line fits one screen row, keywords in capitals (LIST
// shows them so) and the rest as a program from a magazine would have it,
// strings and remarks with lower case and the characters typed with Ctrl.
inline std::vector<std::string> Listing() {
  const char* const kinds[] = {
      "PRINT \"Hello, World!\";%d",
      "A=%d*3+(7-2)/4:B=A-1",
      "IF A>%d THEN PRINT \"big\";A",
      "REM [%d] {x} a|b \\ @ & ' ~ `",
      "FOR I=1 TO %d STEP 2:NEXT I",
      "S$=\"item \"+STR$(%d)",
      "ON X GOSUB %d,%d,%d",
      "DATA %d,-%d,\"x;y\",&H%d",
      "IF S$<>\"\" AND %d<=9 THEN END",
      "POKE &H%d,PEEK(%d) OR 1",
  };
  std::vector<std::string> lines;
  for (int i = 1; i <= 100; ++i) {
    const int n = i * 10;
    char text[64];
    std::snprintf(text, sizeof text, kinds[i % 10], n, n + 10, n + 20, n + 30);
    lines.push_back(std::to_string(n) + " " + text);
  }
  return lines;
}

// The listing as typed: each line ended by a newline.
inline std::string ListingText() {
  std::string text;
  for (const std::string& line : Listing()) text += line + '\n';
  return text;
}

}  // namespace zorva::bench
