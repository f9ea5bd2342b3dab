// The current document.
#pragma once

#include "host/HostTypes.h"

#define kAIDocumentSuite "AI Document Suite"
#define kAIDocumentSuiteVersion 13

struct AIDocumentSuite {
  // kNoDocumentErr (and null) when no document is open.
  AIErr (*GetDocument)(AIDocumentHandle* document);
  // The document's page rectangle (y up: top >= bottom).
  AIErr (*GetDocumentBounds)(AIRealRect* bounds);
  // The file the document was saved to, as a new path that the caller
  // disposes; the empty path for a document never saved.
  AIErr (*GetDocumentFilePath)(AIFilePathRef* file);
  // Brackets the creation of many text frames: text composition waits until
  // the bracket closes. Brackets nest; each Begin that succeeded is ended once.
  AIErr (*BeginTextCreation)();
  AIErr (*EndTextCreation)();
};
