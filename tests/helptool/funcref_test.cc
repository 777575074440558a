// Checks of the shipped reference text funcref.txt: its structure, its links and its
// coverage of the language's keywords and topics.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "helptool/extractor.h"

namespace zirbin::helptool {
namespace {

std::string readFuncref() {
  std::ifstream in(std::string(ZIRBIN_SOURCE_DIR) + "/funcref.txt", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The entry names in file order, read the way the extractor reads them: a line that begins
// with "\item" (after blanks) and the next word.
std::vector<std::string> entryNames(const std::string& source) {
  std::vector<std::string> names;
  std::istringstream in(source);
  std::string word;
  bool atItem = false;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    if (atItem && words >> word) {
      names.push_back(word);
      atItem = false;
      continue;
    }
    if (!(words >> word) || word != "\\item") continue;
    if (words >> word) {
      names.push_back(word);
    } else {
      atItem = true;
    }
  }
  return names;
}

std::string entryText(const std::string& source, const std::string& name, bool continuation) {
  HelpExtractor extractor(source);
  std::ostringstream out;
  extractor.writeEntry(name, continuation, out);
  return out.str();
}

// The names of the "{=" groups (clickable links) of a help text, except the "{=>>}" link.
std::vector<std::string> links(const std::string& text) {
  std::vector<std::string> found;
  for (size_t at = text.find("{="); at != std::string::npos; at = text.find("{=", at + 2)) {
    size_t close = text.find('}', at);
    if (close == std::string::npos) break;
    std::string name = text.substr(at + 2, close - at - 2);
    if (name != ">>") found.push_back(name);
  }
  return found;
}

// True iff the brackets of a statement pair up and its strings are closed. An apostrophe
// after a name, a number or a closing bracket is the transpose, not a quote.
bool pairsUp(const std::string& statement) {
  int round = 0;
  int square = 0;
  char quote = 0;
  char previous = ' ';
  for (char c : statement) {
    if (quote != 0) {
      if (c == quote) quote = 0;  // a doubled quote closes and reopens: still paired
    } else if (c == '"' || c == '\'') {
      bool transpose = std::isalnum(static_cast<unsigned char>(previous)) || previous == ')' ||
                       previous == ']' || previous == '\'';
      if (!transpose) quote = c;
    } else {
      round += c == '(' ? 1 : c == ')' ? -1 : 0;
      square += c == '[' ? 1 : c == ']' ? -1 : 0;
    }
    previous = c;
  }
  return round == 0 && square == 0 && quote == 0;
}

class Funcref : public testing::Test {
 protected:
  void SetUp() override {
    source_ = readFuncref();
    ASSERT_FALSE(source_.empty()) << "funcref.txt missing at the project root";
    names_ = entryNames(source_);
    entries_ = std::set<std::string>(names_.begin(), names_.end());
  }

  bool hasEntry(const std::string& name) const { return entries_.count(name) != 0; }

  std::string source_;
  std::vector<std::string> names_;
  std::set<std::string> entries_;
};

TEST_F(Funcref, EndsWithTheEofEntryAndHasNoDuplicateNames) {
  ASSERT_FALSE(names_.empty());
  EXPECT_EQ(names_.back(), "\\eof");
  std::set<std::string> seen;
  for (const std::string& name : names_) {
    EXPECT_TRUE(seen.insert(name).second) << "duplicate entry " << name;
  }
}

TEST_F(Funcref, EveryEntryIsFoundAndHasText) {
  for (const std::string& name : names_) {
    if (name == "\\eof") continue;
    std::string text;
    ASSERT_NO_THROW(text = entryText(source_, name, false)) << name;
    EXPECT_FALSE(text.empty()) << "entry " << name << " has no text";
  }
}

TEST_F(Funcref, EveryLinkNamesAnEntry) {
  for (const std::string& name : names_) {
    if (name == "\\eof") continue;
    for (bool continuation : {false, true}) {
      for (const std::string& link : links(entryText(source_, name, continuation))) {
        EXPECT_TRUE(hasEntry(link)) << "entry " << name << " links to missing entry " << link;
      }
    }
  }
}

TEST_F(Funcref, MarkupGroupsAreClosed) {
  for (const std::string& name : names_) {
    if (name == "\\eof") continue;
    for (bool continuation : {false, true}) {
      std::string text = entryText(source_, name, continuation);
      int depth = 0;
      for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
          ++i;  // a backslash makes the next character literal
        } else if (text[i] == '{') {
          ++depth;
          EXPECT_EQ(depth, 1) << "nested group in entry " << name;
        } else if (text[i] == '}') {
          --depth;
          EXPECT_EQ(depth, 0) << "stray '}' in entry " << name;
        }
      }
      EXPECT_EQ(depth, 0) << "unclosed group in entry " << name;
    }
  }
}

// A backslash before a blank or a line end shows nothing and usually means a line break
// was meant ("\\" or a lone backslash word).
TEST_F(Funcref, NoBackslashStandsBeforeABlank) {
  for (const std::string& name : names_) {
    if (name == "\\eof") continue;
    for (bool continuation : {false, true}) {
      std::string text = entryText(source_, name, continuation);
      for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '\\') continue;
        EXPECT_FALSE(text[i + 1] == ' ' || text[i + 1] == '\n')
            << "stray backslash in entry " << name << " near: " << text.substr(i < 20 ? 0 : i - 20, 40);
        ++i;
      }
    }
  }
}

// Examples are green groups; one whose brackets or quotes do not pair up was cut at a
// blank (an example after "\\eg" must be a single word).
TEST_F(Funcref, ExamplesAreWholeStatements) {
  for (const std::string& name : names_) {
    if (name == "\\eof") continue;
    for (bool continuation : {false, true}) {
      std::string text = entryText(source_, name, continuation);
      for (size_t at = text.find("{g "); at != std::string::npos; at = text.find("{g ", at + 3)) {
        size_t close = text.find('}', at);
        ASSERT_NE(close, std::string::npos);
        std::string example = text.substr(at + 3, close - at - 3);
        EXPECT_TRUE(pairsUp(example))
            << "example cut apart in entry " << name << ": " << example;
      }
    }
  }
}

// An example line is one green group, which the console shows without reading markup
// inside it: an escape such as \^ or a doubled backslash would show as written, and the
// user would copy it into the command.
TEST_F(Funcref, ExamplesShowAsTyped) {
  for (const std::string& name : names_) {
    if (name == "\\eof") continue;
    for (bool continuation : {false, true}) {
      std::string text = entryText(source_, name, continuation);
      for (size_t at = text.find("\n{g "); at != std::string::npos;
           at = text.find("\n{g ", at + 4)) {
        std::string example = text.substr(at + 4, text.find('}', at) - at - 4);
        for (const char* escape : {"\\^", "\\_", "\\\\", "\\{"}) {
          EXPECT_EQ(example.find(escape), std::string::npos)
              << "escaped markup in an example of entry " << name << ": " << example;
        }
      }
    }
  }
}

TEST_F(Funcref, EveryKeywordHasAnEntryWithAnExample) {
  // The language's keyword table (the help tool links nothing of the compiler).
  constexpr const char* kKeywords[] = {"while",  "if",    "unless", "for",        "else",
                                       "clear",  "return", "function", "end",     "funcdec",
                                       "const",  "global", "persistent", "use",   "break",
                                       "continue"};
  for (const char* keyword : kKeywords) {
    ASSERT_TRUE(hasEntry(keyword)) << "no entry for keyword " << keyword;
    EXPECT_NE(entryText(source_, keyword, false).find("\ne.g."), std::string::npos)
        << "no example for keyword " << keyword;
  }
}

TEST_F(Funcref, TopicsThatHelpTextsPointToExist) {
  for (const char* topic : {"welcome", "syntax", "operators", "function", "property", "help"}) {
    EXPECT_TRUE(hasEntry(topic)) << "no entry for topic " << topic;
  }
}

}  // namespace
}  // namespace zirbin::helptool
