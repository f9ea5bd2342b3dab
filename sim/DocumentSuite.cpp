// The stand-in Document suite.
#include "sim/HostSuites.h"
#include "sim/SuiteSupport.h"

namespace sim {

namespace {

using namespace support;

AIErr GetDocument(AIDocumentHandle* document) {
  SIM_REQUIRE(document, kBadParameterErr);
  *document = nullptr;
  SIM_DOC(doc);
  *document = Host::Handle(*doc);
  return kNoErr;
}

AIErr GetDocumentBounds(AIRealRect* bounds) {
  SIM_REQUIRE(bounds, kBadParameterErr);
  SIM_DOC(doc);
  *bounds = doc->bounds;
  return kNoErr;
}

AIErr GetDocumentFilePath(AIFilePathRef* file) {
  SIM_REQUIRE(file, kBadParameterErr);
  *file = nullptr;
  SIM_DOC(doc);
  *file = NewPath(doc->filePath);
  return kNoErr;
}

AIErr BeginTextCreation() {
  SIM_DOC(doc);
  ++doc->textCreationDepth;
  ++doc->textCreationCount;
  return kNoErr;
}

AIErr EndTextCreation() {
  SIM_DOC(doc);
  SIM_REQUIRE(doc->textCreationDepth > 0, kBadParameterErr);
  --doc->textCreationDepth;
  return kNoErr;
}

const AIDocumentSuite documentSuite = {GetDocument, GetDocumentBounds, GetDocumentFilePath,
                                       BeginTextCreation, EndTextCreation};

}  // namespace

const AIDocumentSuite* DocumentSuite() { return &documentSuite; }

}  // namespace sim
