// The ZirbinHelp program: directories, output redirection, messages and exit statuses.
#include "helptool/help_program.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>

#include "files/state_dir.h"
#include "helptool/extractor.h"

namespace zirbin::helptool {

namespace {

// Arguments after the program name that mean something: the topic and the flag that asks
// for the continuation part (its text does not matter, the main program passes "??").
constexpr size_t kMaxArguments = 2;

// Points std::cout at another stream buffer for its lifetime.
class RedirectStdout {
 public:
  explicit RedirectStdout(std::streambuf* target) : saved_(std::cout.rdbuf(target)) {}
  ~RedirectStdout() {
    std::cout.flush();
    std::cout.rdbuf(saved_);
  }
  RedirectStdout(const RedirectStdout&) = delete;
  RedirectStdout& operator=(const RedirectStdout&) = delete;

 private:
  std::streambuf* saved_;
};

bool readWholeFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

// Writes the help text for the arguments to std::cout; returns the exit status.
int extract(const std::vector<std::string>& args, const std::string& programDir) {
  std::string source;
  if (!readWholeFile(programDir + "/funcref.txt", source)) {
    std::cout << "ZirbinHelp could not open funcref.txt\n";
    std::cout << "I expected to find it at: " << programDir << "\n";
    return 1;
  }
  HelpExtractor extractor(source);
  try {
    if (args.empty()) {
      std::cout << "{g Zirbin :)\n";
      extractor.writeEntry(kWelcomeEntryName, false, std::cout);
    } else {
      extractor.writeEntry(args[0], args.size() > 1, std::cout);
    }
  } catch (int code) {
    std::cout << "Something went wrong: error code " << code << "\n";
    std::cout << "funcref file may be incorrectly constructed\n";
    return 1;
  }
  return 0;
}

}  // namespace

std::string programDirectory(const char* argv0) {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  std::string path = error ? std::string(argv0 == nullptr ? "" : argv0) : exe.string();
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string stateDirectory() {
  std::string dir = files::stateDirectory();
  std::error_code error;
  return std::filesystem::is_directory(dir, error) ? dir : std::string();
}

int runHelpTool(const std::vector<std::string>& args, const std::string& programDir,
                const std::string& stateDir) {
  std::vector<std::string> used = args;
  if (used.size() > kMaxArguments) {
    std::cout << "ZirbinHelp: extra parameters being ignored\n";
    std::cout.flush();
    used.resize(kMaxArguments);
  }
  // Without an output file there is nowhere to write the text or a report; the main
  // program sees the failing status and says that further help is unavailable.
  std::string outputPath = stateDir + "/zirbinhelp.txt";
  std::ofstream output;
  if (!stateDir.empty()) output.open(outputPath, std::ios::binary | std::ios::trunc);
  if (!output.is_open()) {
    std::cerr << "ZirbinHelp could not create " << outputPath << "\n";
    return 1;
  }
  RedirectStdout redirect(output.rdbuf());
  return extract(used, programDir);
}

int runHelpTool(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return runHelpTool(args, programDirectory(argc > 0 ? argv[0] : nullptr), stateDirectory());
}

}  // namespace zirbin::helptool
