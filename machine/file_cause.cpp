#include "machine/file_cause.h"

#include <cerrno>

namespace zorva {

unsigned FileCauseFromErrno(int error) {
  switch (error) {
    case ENOENT: return kCauseFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL: return kCauseBadPath;
    case EMFILE:
    case ENFILE: return kCauseTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return kCauseAccessDenied;
    case ENXIO:
    case ENODEV:
    case EFBIG: return kCauseInvalidFile;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK: return kCauseSharingViolation;
    case ENOLCK: return kCauseLockViolation;
    case ESPIPE: return kCauseBadSeek;
    case EIO: return kCauseHardIO;
    case ENOSPC:
    case EDQUOT: return kCauseDiskFull;
    default: return kCauseGeneric;
  }
}

}  // namespace zorva
