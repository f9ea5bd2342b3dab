#include "import/ImportCommands.h"

#include "import/CShapeFileImporter.h"

AIErr RunShapeFileImport(SPPluginRef plugin) {
  CShapeFileImporter importer(plugin);
  return importer.RunImport();
}
