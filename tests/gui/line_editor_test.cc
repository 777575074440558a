#include "gui/line_editor.h"

#include <gtest/gtest.h>

namespace zirbin::gui {
namespace {

// Types each byte of `text` as a character message.
void type(LineEditor& editor, std::string_view text) {
  for (char c : text) editor.onChar(static_cast<unsigned char>(c));
}

TEST(LineEditor, EnterCompletesTheLineAddsItToTheHistoryAndEchoesItLiterally) {
  CommandHistory history;
  LineEditor editor(history);
  type(editor, "s = {1}");
  EXPECT_EQ(editor.onChar(kCharEnter), EditResult::kComplete);
  EXPECT_EQ(editor.echoText(), "{g > {b:s = {1}");
  EXPECT_EQ(editor.takeLine(), "s = {1}");
  EXPECT_EQ(editor.line(), "");
  EXPECT_EQ(editor.caret(), 0u);
  EXPECT_EQ(history.newest(5), std::vector<std::string>{"s = {1}"});
}

TEST(LineEditor, EditingKeys) {
  CommandHistory history;
  LineEditor editor(history);
  type(editor, "abcd");
  editor.onKey(EditKey::kLeft, false);
  editor.onChar(kCharBackspace);
  EXPECT_EQ(editor.line(), "abd");
  EXPECT_EQ(editor.caret(), 2u);
  editor.onKey(EditKey::kDelete, false);
  EXPECT_EQ(editor.line(), "ab");
  EXPECT_EQ(editor.onKey(EditKey::kDelete, false), EditResult::kIgnored);
  editor.onKey(EditKey::kHome, false);
  type(editor, "x");
  EXPECT_EQ(editor.line(), "xab");
  editor.onKey(EditKey::kEnd, false);
  EXPECT_EQ(editor.caret(), 3u);
  editor.onChar('z', 3);
  EXPECT_EQ(editor.line(), "xabzzz");
  editor.onChar(kCharEscape);
  EXPECT_EQ(editor.line(), "");
  EXPECT_EQ(editor.caret(), 0u);
  EXPECT_EQ(editor.onChar(kCharBackspace), EditResult::kIgnored);
}

TEST(LineEditor, TabInsertsSpacesToTheNextMultipleOfFour) {
  CommandHistory history;
  LineEditor editor(history);
  type(editor, "abcde");
  editor.onChar(kCharTab);
  EXPECT_EQ(editor.line(), "abcde   ");
  editor.onChar(kCharTab);
  EXPECT_EQ(editor.caret(), 12u);
}

TEST(LineEditor, CtrlLeftAndRightStopAtBracketsAndSeparators) {
  CommandHistory history;
  LineEditor editor(history);
  type(editor, "y = f(x)");
  editor.onKey(EditKey::kLeft, true);
  EXPECT_EQ(editor.caret(), 7u);  // the closing parenthesis
  editor.onKey(EditKey::kLeft, true);
  EXPECT_EQ(editor.caret(), 5u);  // the opening one
  editor.onKey(EditKey::kLeft, true);
  EXPECT_EQ(editor.caret(), 2u);  // "="
  editor.onKey(EditKey::kLeft, true);
  EXPECT_EQ(editor.caret(), 0u);  // none left: the start
  editor.onKey(EditKey::kRight, true);
  EXPECT_EQ(editor.caret(), 2u);
  editor.onKey(EditKey::kRight, true);
  editor.onKey(EditKey::kRight, true);
  editor.onKey(EditKey::kRight, true);
  EXPECT_EQ(editor.caret(), 8u);  // none left: the end
}

TEST(LineEditor, CtrlBWrapsTheRightHandSideUpToTheCaret) {
  CommandHistory history;
  LineEditor editor(history);
  type(editor, "y = a + b");
  editor.onChar(kCharCtrlB);
  EXPECT_EQ(editor.line(), "y =( a + b)");
  EXPECT_EQ(editor.caret(), 11u);
  editor.clear();
  type(editor, "x == 1");
  editor.onChar(kCharCtrlCloseBracket);
  EXPECT_EQ(editor.line(), "x ==( 1)");
  editor.clear();
  type(editor, "sin x");
  editor.onChar(kCharCtrlB);
  EXPECT_EQ(editor.line(), "(sin x)");
  editor.onKey(EditKey::kHome, false);
  EXPECT_EQ(editor.onChar(kCharCtrlB), EditResult::kEdited);
  EXPECT_EQ(editor.line(), "(sin x)");  // the caret at the start: nothing to wrap
}

TEST(LineEditor, CtrlKeysAndFunctionKeysSendWindowCommands) {
  CommandHistory history;
  LineEditor editor(history);
  EXPECT_EQ(editor.onChar(kCharCtrlC), EditResult::kCommand);
  EXPECT_EQ(editor.command(), kCommandCopy);
  EXPECT_EQ(editor.onChar(kCharCtrlV), EditResult::kCommand);
  EXPECT_EQ(editor.command(), kCommandPaste);
  EXPECT_EQ(editor.onKey(EditKey::kF9, false), EditResult::kCommand);
  EXPECT_EQ(editor.command(), kCommandRunClipboard);
  EXPECT_EQ(editor.onKey(EditKey::kF5, false), EditResult::kCommand);
  EXPECT_EQ(editor.command(), kCommandF5);
  EXPECT_EQ(editor.onChar(1), EditResult::kIgnored);  // other control codes
  EXPECT_EQ(editor.line(), "");
}

TEST(LineEditor, UpAndDownBrowseWithTheSavedPrefix) {
  CommandHistory history;
  LineEditor editor(history);
  for (const char* line : {"plot(x)", "x = 3", "pl = 2", "y"}) {
    type(editor, line);
    editor.onChar(kCharEnter);
    editor.takeLine();
  }
  type(editor, "pl");
  editor.onKey(EditKey::kUp, false);
  EXPECT_EQ(editor.line(), "pl = 2");
  EXPECT_EQ(editor.caret(), 6u);
  editor.onKey(EditKey::kUp, false);
  EXPECT_EQ(editor.line(), "plot(x)");
  editor.onKey(EditKey::kUp, false);
  EXPECT_EQ(editor.line(), "plot(x)");  // no older match: the line stays
  editor.onKey(EditKey::kDown, false);
  EXPECT_EQ(editor.line(), "pl = 2");
  editor.onKey(EditKey::kDown, false);
  EXPECT_EQ(editor.line(), "pl");  // past the newest: the typed prefix comes back
  // Another key ends browsing: the next Up takes the current line as a new prefix.
  editor.onKey(EditKey::kEnd, false);
  editor.onChar(kCharBackspace);
  editor.onChar(kCharBackspace);
  editor.onKey(EditKey::kUp, false);
  EXPECT_EQ(editor.line(), "y");
}

TEST(LineEditor, InsertTextPastesAtTheCaretUpToTheFirstLineBreak) {
  CommandHistory history;
  LineEditor editor(history);
  type(editor, "a()");
  editor.onKey(EditKey::kLeft, false);
  editor.insertText("b, c\nd = 1");
  EXPECT_EQ(editor.line(), "a(b, c)");
  EXPECT_EQ(editor.caret(), 6u);
}

TEST(LineEditor, MultiByteCharactersMoveAndDeleteWhole) {
  CommandHistory history;
  LineEditor editor(history);
  editor.insertText("a\xC3\xA9z");  // a, e acute, z
  EXPECT_EQ(editor.caretColumn(), 3u);
  editor.onKey(EditKey::kLeft, false);
  editor.onKey(EditKey::kLeft, false);
  EXPECT_EQ(editor.caretColumn(), 1u);
  editor.onKey(EditKey::kDelete, false);
  EXPECT_EQ(editor.line(), "az");
}

TEST(LineEditor, MatchBracketPairsOpeningAndClosingBrackets) {
  EXPECT_EQ(matchBracket("f(a[1], {2})", 1), 11u);
  EXPECT_EQ(matchBracket("f(a[1], {2})", 11), 1u);
  EXPECT_EQ(matchBracket("f(a[1], {2})", 3), 5u);
  EXPECT_EQ(matchBracket("f(a[1], {2})", 10), 8u);
  EXPECT_EQ(matchBracket("f(a[1], {2})", 0), std::nullopt);   // not a bracket
  EXPECT_EQ(matchBracket("f(a]", 1), std::nullopt);           // mismatched pair
  EXPECT_EQ(matchBracket("(a", 0), std::nullopt);             // never closed
  EXPECT_EQ(matchBracket("a)", 1), std::nullopt);             // closes nothing
  EXPECT_EQ(matchBracket("()", 7), std::nullopt);             // past the end
}

}  // namespace
}  // namespace zirbin::gui
