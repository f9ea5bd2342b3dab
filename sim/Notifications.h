// Notifications that the stand-in host's own operations cause: the suites
// and the host's user actions post them, and they reach the plug-ins'
// notifiers when the host is idle again (PluginRegistry::Idle).
#pragma once

namespace sim {

struct Art;
struct Document;

void PostDocumentChanged();
void PostSelectionChanged();
// Style, opacity, lock or visibility of art changed (the document changed too).
void PostArtPropertiesChanged();

// Whether selecting (or deselecting) the art would change the selection.
bool SelectionWouldChange(const Document& document, const Art* art, bool selected);

}  // namespace sim
