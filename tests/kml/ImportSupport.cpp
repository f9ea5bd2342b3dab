// The import tests' scenario and tool helpers, built into this program too.
#include "../import/ImportScenario.cpp"
#include "../import/ImportTestSupport.cpp"
