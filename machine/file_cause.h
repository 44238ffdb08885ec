// File failures are reported to the user as a cause number, the same small set
// of numbers whatever the operating system said.
#pragma once

namespace zorva {

enum FileCause : unsigned {
  kCauseGeneric = 1,
  kCauseFileNotFound = 2,
  kCauseBadPath = 3,
  kCauseTooManyOpenFiles = 4,
  kCauseAccessDenied = 5,
  kCauseInvalidFile = 6,
  kCauseRemoveCurrentDir = 7,
  kCauseDirectoryFull = 8,
  kCauseBadSeek = 9,
  kCauseHardIO = 10,
  kCauseSharingViolation = 11,
  kCauseLockViolation = 12,
  kCauseDiskFull = 13,
  kCauseEndOfFile = 14,
};

// The cause number for an errno value; kCauseGeneric when nothing fits.
unsigned FileCauseFromErrno(int error);

}  // namespace zorva
