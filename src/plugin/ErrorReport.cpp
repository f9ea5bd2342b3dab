#include "plugin/ErrorReport.h"

namespace {

const AIErr silentErrors[] = {
    FourCC("FMT?"), FourCC("RFSE"), FourCC("AFTR"), FourCC("VALD"), FourCC("MOOT"), FourCC("TRSH"),
    FourCC("CHEK"), FourCC("CHIT"), FourCC("TLTK"), FourCC("pFls"), FourCC("S!Fd"), FourCC("!Acq"),
    FourCC("dsRP"), FourCC("skpE"), FourCC("DONE"), FourCC("STOP"), 361,           0,
};

ErrorTrace trace;

}  // namespace

const AIErr* SilentErrors() { return silentErrors; }

bool IsSilentError(AIErr code) {
  for (const AIErr* silent = silentErrors; *silent; ++silent)
    if (*silent == code) return true;
  return false;
}

void DefaultErrorReport(AIErr code) {
  if (code == kNoErr || IsSilentError(code)) return;
  ++trace.count;
  trace.lastCode = code;
}

const ErrorTrace& DefaultErrorTrace() { return trace; }

void ResetDefaultErrorTrace() { trace = ErrorTrace{}; }
