// The reference text covers the language: every registered built-in that a user can type
// and every keyword has an entry in funcref.txt, and every "See also" link names an entry.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/run_context.h"
#include "engine/registry.h"

namespace zirbin::help {
namespace {

std::vector<std::string> funcrefWords() {
  std::ifstream in(std::string(ZIRBIN_SOURCE_DIR) + "/funcref.txt");
  std::vector<std::string> words;
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

std::set<std::string> entryNames(const std::vector<std::string>& words) {
  std::set<std::string> names;
  for (size_t i = 0; i + 1 < words.size(); ++i) {
    if (words[i] == "\\item") names.insert(words[i + 1]);
  }
  return names;
}

// Every keyword of the language, as the statement compiler knows them.
constexpr const char* kKeywords[] = {
    "while", "if",      "unless", "for",    "else",       "clear", "return", "function",
    "end",   "funcdec", "const",  "global", "persistent", "use",   "break",  "continue"};

TEST(FuncrefCoverage, EveryTypableBuiltinHasAnEntry) {
  const std::set<std::string> entries = entryNames(funcrefWords());
  std::vector<std::string> missing;
  for (const std::string& name : session::builtinRegistry().names()) {
    // Names beginning with '$' are inserted by the compilers and cannot be typed.
    if (name.empty() || name[0] == '$') continue;
    if (entries.count(name) == 0) missing.push_back(name);
  }
  std::string list;
  for (const std::string& name : missing) list += " " + name;
  EXPECT_TRUE(missing.empty()) << "built-ins without an entry in funcref.txt:" << list;
}

TEST(FuncrefCoverage, EveryKeywordHasAnEntry) {
  const std::set<std::string> entries = entryNames(funcrefWords());
  for (const char* keyword : kKeywords) {
    EXPECT_NE(builtins::keywordCode(keyword), builtins::Keyword::None) << keyword;
    EXPECT_EQ(entries.count(keyword), 1u) << "keyword without an entry: " << keyword;
  }
}

TEST(FuncrefCoverage, EveryAlsoLinkNamesAnEntry) {
  const std::vector<std::string> words = funcrefWords();
  const std::set<std::string> entries = entryNames(words);
  std::string unknown;
  std::string entry;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "\\item" && i + 1 < words.size()) entry = words[i + 1];
    if (words[i] != "\\also") continue;
    for (size_t j = i + 1; j < words.size() && words[j][0] != '\\'; ++j) {
      if (entries.count(words[j]) == 0) unknown += " " + entry + "->" + words[j];
    }
  }
  EXPECT_EQ(unknown, "") << "links to missing entries";
}

TEST(FuncrefCoverage, TheLastEntryIsTheEndMarker) {
  const std::vector<std::string> words = funcrefWords();
  ASSERT_GE(words.size(), 2u);
  EXPECT_EQ(words[words.size() - 2], "\\item");
  EXPECT_EQ(words.back(), "\\eof");
}

}  // namespace
}  // namespace zirbin::help
