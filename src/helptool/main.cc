// Entry of ZirbinHelp, the help text extractor.
#include "helptool/help_program.h"

int main(int argc, char** argv) { return zirbin::helptool::runHelpTool(argc, argv); }
