#include "import/ImportCommands.h"

#include "import/CGeoTextFileImporter.h"
#include "import/CKMLFileImporter.h"
#include "import/CShapeFileImporter.h"

AIErr RunShapeFileImport(SPPluginRef plugin) {
  CShapeFileImporter importer(plugin);
  return importer.RunImport();
}

AIErr RunGeoTextFileImport(SPPluginRef plugin) {
  CGeoTextFileImporter importer(plugin);
  return importer.RunImport();
}

AIErr RunKMLFileImport(SPPluginRef plugin) {
  CKMLFileImporter importer(plugin);
  return importer.RunImport();
}
