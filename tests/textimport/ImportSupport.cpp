// The import tests' helpers, built into this program too.
#include "../import/ImportScenario.cpp"
#include "../import/ImportTestSupport.cpp"
#include "../kml/ImportCheck.cpp"
