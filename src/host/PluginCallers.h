// Caller and selector strings of the host's plug-in messages. They are
// compared byte for byte, terminator included.
#pragma once

#define kSPInterfaceCaller "SP Interface"
#define kSPInterfaceStartupSelector "Startup"
#define kSPInterfaceShutdownSelector "Shutdown"
#define kSPInterfaceAboutSelector "About"

#define kSPAccessCaller "SP Access"
#define kSPAccessUnloadSelector "Unload"
#define kSPAccessReloadSelector "Reload"

#define kSPCacheCaller "SP Cache"
#define kSPPluginPurgeCachesSelector "Plug-in Purge"

#define kSPPropertiesCaller "SP Properties"
#define kSPPropertiesAcquireSelector "Acquire"
#define kSPPropertiesReleaseSelector "Release"

#define kCallerAINotify "AI Notifier"
#define kSelectorAINotify "AI Notify"

#define kActionCaller "Action Manager"
#define kDoActionSelector "Do Action"

#define kCallerAIMenu "AI Menu"
#define kSelectorAIGoMenuItem "AI Go"
#define kSelectorAIUpdateMenuItem "AI Update"

#define kCallerAIFilter "AI Filter"
#define kSelectorAIGetFilterParameters "AI Get Parameters"
#define kSelectorAIGoFilter "AI Go"

#define kCallerAIPluginGroup "AI Plugin Group"
#define kSelectorAINotifyEdits "AI Notify Edits"
#define kSelectorAIUpdateArt "AI Update"

#define kCallerAIFileFormat "AI File Format"
#define kSelectorAIGetFileFormatParameters "AI Get Parameters"
#define kSelectorAIGoFileFormat "AI Go"
#define kSelectorAICheckFileFormat "AI Check"
#define kSelectorAIUpdateFileFormat "AI Update AI140"
#define kSelectorAIFileFormatDoAction "Do Action"

#define kCallerAITool "AI Tool"
#define kSelectorAIEditToolOptions "AI Edit Options"
#define kSelectorAITrackToolCursor "AI Track Cursor"
#define kSelectorAIToolMouseDown "AI Mouse Down"
#define kSelectorAIToolMouseDrag "AI Mouse Drag"
#define kSelectorAIToolMouseUp "AI Mouse Up"
#define kSelectorAISelectTool "AI Select"
#define kSelectorAIDeselectTool "AI Deselect"
#define kSelectorAIReselectTool "AI Reselect"
#define kSelectorAIToolDecreaseDiameter "AI Decrease Diameter"
#define kSelectorAIToolIncreaseDiameter "AI Increase Diameter"

#define kCallerAILiveEffect "AI Live Effect"
#define kSelectorAIEditLiveEffectParameters "AI Live Effect Edit Parameters"
#define kSelectorAIGoLiveEffect "AI Live Effect Go Live"
#define kSelectorAILiveEffectInterpolate "AI Live Effect Interpolate Parameters"
#define kSelectorAILiveEffectInputType "AI Live Effect Input Type"
#define kSelectorAILiveEffectScaleParameters "AI Live Effect Scale Parameters"
#define kSelectorAILiveEffectConvertColorSpace "AI Live Effect Convert Color Space"
#define kSelectorAILiveEffectAdjustColors "AI Live Effect Adjust Colors"
#define kSelectorAILiveEffectHandleMerge "AI Live Effect Handle Merge"

#define kCallerAITimer "AI Timer"
#define kSelectorAIGoTimer "AI Go"

#define kCallerAIClipboard "AI Clipboard"
#define kSelectorAIGoClipboard "AI Go"
#define kSelectorAICanCopyClipboard "AI Can Copy"
#define kSelectorAICloneClipboard "AI Clone"
#define kSelectorAIDisposeClipboard "AI Dispose"

// The host spells these selectors "Woskspace"; they must match it exactly.
#define kAIWorkspaceCaller "Workspace Manager"
#define kAIWSWriteSelector "Write Woskspace"
#define kAIWSRestoreSelector "Restore Woskspace"
#define kAIWSDefaultSelector "Default Woskspace"
