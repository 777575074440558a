// Help queries: the "?" lines of the console, the description of a name from the
// program's own tables, and the documentation text fetched from the ZirbinHelp program.
#pragma once

#include <string>
#include <vector>

namespace zirbin::compiler {
struct Token;
}  // namespace zirbin::compiler

namespace zirbin::session {
class ConsoleOutput;
class Workspace;
}  // namespace zirbin::session

namespace zirbin::help {

// The name of the help extractor program, looked up in the program directory.
inline constexpr char kHelpProgramName[] = "ZirbinHelp";

// Answers the help query `query`: the tokens of a "?" or "??" line, the first being the
// unary operator token (code '?' or 'Q' for "??"); a display marker at the end is ignored.
// Writes the answer to `output` with a new line first, line by line: names, descriptions
// and listings as plain text, the usage and help texts as markup. Never throws for any
// query.
void answerQuery(const std::vector<compiler::Token>& query, session::Workspace& workspace,
                 session::ConsoleOutput& output);

// The description of `name` from the program's own tables: keyword, variable (type, size,
// shape and, for numbers, min and max), constant with its value, built-in with its kind and
// argument counts, or "not recognized", each one line; a user function's description adds
// its output type and source lines, joined with line ends. No final line end. Plain text,
// not markup.
std::string describeName(session::Workspace& workspace, const std::string& name);

// Runs ZirbinHelp from the program directory for `topic` (with "??" when `detailed`),
// waits for it, and returns the text it wrote, lines joined with line ends (empty when it
// has no entry for the topic). When the program cannot be started or fails, returns a
// line end followed by " (further help unavailable)".
std::string fetchHelp(const std::string& topic, bool detailed);

// The introduction text of the `help` built-in (markup).
std::string introductionText();

// The usage text of a "?" line without a topic (markup).
std::string usageText();

}  // namespace zirbin::help
