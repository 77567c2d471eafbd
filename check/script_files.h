// Where check scripts go, and when they go away.
//
// Every console gets a script of its own. A script is created new, never
// over another, and the console it runs in inherits a handle that holds it
// open, shared with readers but not with writers or deletion, for as long as
// the console (and the tool it runs) lives. cmd reopens a script for every
// line, so no handle of its own would protect it; the inherited one does. A
// script that can be deleted is one whose console has ended.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace corvane {

// The n-th script name, from 1: ~temp.bat, then ~temp2.bat, ~temp3.bat, ...
std::string ScriptFileName(int n);
inline constexpr int kMostScripts = 99;

// The folders a script may go in: the program folder (its short form, so
// that the command line that starts the script has no spaces), then the
// user's own; with `create`, the user's own are made when missing.
std::vector<std::string> ScriptFolders(Platform& sys, bool create);

// A created script's path, or what went wrong (a text of texts.h) and its detail.
struct PlacedScript {
    std::string path;
    const char* what = nullptr;
    std::string detail;
};

// Creates the script in the first folder that takes it, under the first name
// that is free once the script of an ended console has been removed.
PlacedScript PlaceScript(Platform& sys, const std::vector<std::string>& lines);

// Removes every script whose console has ended, in every folder scripts go in.
void RemoveEndedScripts(Platform& sys);

}  // namespace corvane
