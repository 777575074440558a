// The help text extractor: finds a topic in funcref.txt and writes its text.
#pragma once

namespace zirbin::helptool {

// Runs the program with its command line; returns the exit status.
int runHelpTool(int argc, char** argv);

}  // namespace zirbin::helptool
