// The host's half of SAVE, LOAD and FILES in our ROM's BASIC (the ROM's half
// is rom/basic_files.asm). The ROM leaves a request in a block of RAM and
// spins until it is answered; the run loop calls Serve between batches of
// instructions, which carries the request out with a program store and
// answers by naming one of the routines the ROM listed in the block, with the
// DE and HL to enter it with: print this text, read a key, store this line,
// NEW, RUN, show this error, back to OK, or go on with the statement.
//
// The block is recognised by its 16-byte signature (the ROM's banner) at its
// end, which the ROM writes last and Serve clears as it answers; nothing in
// memory changes while no such block is there. A LOAD takes a copy of BASIC's
// state first: when a line does not go in (the program would not fit), the
// ROM's error routine asks again and the copy is put back.
//
//   BasicFiles files;
//   bool talking = files.Serve(memory, store);  // true: look again soon
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "machine/program_files.h"
#include "run/program_text.h"

namespace zorva {

class BasicFiles {
 public:
  static constexpr uint16_t kBlock = 0x3980;
  // The block: what the ROM asks, then what the host answers, then the ROM's
  // description of itself, the signature last.
  static constexpr uint16_t kRequest = kBlock + 0;  // a token; kGoOn; kLineFailed
  static constexpr uint16_t kA = kBlock + 1;        // A as a routine left it
  static constexpr uint16_t kGo = kBlock + 2;       // the routine to enter
  static constexpr uint16_t kDE = kBlock + 4;       // in: the text pointer
  static constexpr uint16_t kHL = kBlock + 6;       // in: an error's letters
  static constexpr uint16_t kLoading = kBlock + 8;  // not 0 while lines go in
  static constexpr uint16_t kInfo = kBlock + 9;
  static constexpr uint16_t kSignature = kInfo + 28;
  static constexpr char kSignatureText[] = "ZORVA BASIC 2.0\r";
  static constexpr size_t kSignatureSize = sizeof kSignatureText - 1;
  static constexpr uint8_t kGoOn = 0;
  static constexpr uint8_t kLineFailed = 1;

  // The ROM's routines, in the order the block lists them.
  enum class Routine { Done, Print, Key, Store, New, Run, Error, Ready };

  // FILES stops for a key after this many names.
  static constexpr size_t kNamesPerPage = 20;

  // Answers the request waiting in `memory`, if there is one, using `store`
  // (nothing: every file operation fails). Returns whether the ROM is in the
  // middle of an operation and will ask again within a few instructions.
  bool Serve(std::span<uint8_t, 65536> memory, ProgramFiles* store);
  // The machine was reset or given another ROM: an operation under way is
  // dropped, and a request left unanswered with it.
  void Forget(std::span<uint8_t, 65536> memory);

 private:
  struct Info {
    uint16_t program, keywords, buffer;
    uint8_t bufferSize, firstToken;
    uint16_t keepFrom, keepTo;
    uint16_t routines[8];
  };
  struct Answer {
    Routine routine;
    uint16_t de = 0;
    uint16_t hl = 0;
  };
  enum class Doing { Nothing, Loading, Listing };

  Answer Handle(std::span<uint8_t, 65536> memory, const Info& info, ProgramFiles* store);
  Answer Start(std::span<uint8_t, 65536> memory, const Info& info, ProgramFiles* store);
  Answer Load(std::span<uint8_t, 65536> memory, const Info& info, ProgramFiles* store,
              const std::string& name, bool run);
  Answer Files(std::span<uint8_t, 65536> memory, const Info& info, ProgramFiles* store,
               uint16_t end);
  Answer GoOnLoading(std::span<uint8_t, 65536> memory, const Info& info);
  Answer GoOnListing(std::span<uint8_t, 65536> memory, const Info& info);
  void Reset(std::span<uint8_t, 65536> memory);

  Doing doing_ = Doing::Nothing;
  // LOAD: the lines still to go in, BASIC's state to put back.
  std::vector<ProgramLine> lines_;
  size_t nextLine_ = 0;
  bool run_ = false;
  uint16_t keepFrom_ = 0;
  std::vector<uint8_t> kept_;
  // FILES: what it prints and where it waits for a key, and where the
  // statement ends.
  struct Step {
    bool key;
    std::string text;
  };
  std::vector<Step> steps_;
  size_t nextStep_ = 0;
  uint16_t end_ = 0;
};

}  // namespace zorva
