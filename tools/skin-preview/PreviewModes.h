#pragma once
// The preview's live modes, kept apart from its one-shot rendering:
//   --states          write a contact sheet of every button face and check/radio cell instead of
//                     the window (see StateSheet.h)
//   --watch           render, then render again whenever a file of the configuration folder (or a
//                     folder inside it) changes, showing the latest picture in a window of its own;
//                     closing that window ends the watch
//   --max-renders N   with --watch: stop after N renders (the first one included)
#include <string>

namespace tessaly::preview {

struct PreviewModes {
    bool watch = false;
    bool states = false;
    int maxRenders = 0;  // 0: no limit
    bool valid = true;
};

// Takes the mode options out of argv (compacting it and lowering argc), so the remaining options are
// read as before.
PreviewModes TakeModeOptions(int& argc, char** argv);

// Renders with this same program in a child process (so a broken skin cannot end the watch) each
// time the folder changes; prints "rendered N: FILE" after each render. Returns the exit status.
int RunWatch(const std::string& program, const std::string& configDir, const std::string& section,
             const std::string& out, const PreviewModes& modes);

}  // namespace tessaly::preview
