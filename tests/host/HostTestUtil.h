// For the end-to-end tests: runs the built zorvane program with a private
// Preferences folder and captures what it says.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace zv::host::test {

class Scratch {
 public:
  Scratch() {
    char tmpl[] = "/tmp/zorvane-e2e-XXXXXX";
    path_ = mkdtemp(tmpl);
    std::filesystem::create_directory(path_ / "prefs");
  }
  ~Scratch() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string &name) const { return (path_ / name).string(); }
  const std::filesystem::path &Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct Run {
  int status = -1;
  std::string out, err;
};

inline std::string Slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The shell command that runs `zorvane args` in the scratch folder, started
// by `runner` (a program that takes a command line) when one is given.
inline std::string ZorvaneCommand(const Scratch &dir, const std::string &args, const std::string &runner = "") {
  return "cd '" + dir.Path().string() + "' && XDG_CONFIG_HOME='" + (dir / "prefs") + "' exec " + runner + " '" +
         ZORVANE_BIN_DIR + "/zorvane' " + args;
}

inline Run Zorvane(const Scratch &dir, const std::string &args, const std::string &runner = "") {
  const int raw = std::system((ZorvaneCommand(dir, args, runner) + " > .stdout 2> .stderr").c_str());
  Run r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir / ".stdout"), Slurp(dir / ".stderr")};
  std::filesystem::remove(dir / ".stdout");
  std::filesystem::remove(dir / ".stderr");
  return r;
}

// Names in the folder other than the inputs the test made.
inline std::vector<std::string> Outputs(const Scratch &dir, const std::set<std::string> &inputs) {
  std::vector<std::string> names;
  for (const auto &e : std::filesystem::directory_iterator(dir.Path())) {
    const std::string name = e.path().filename().string();
    if (name != "prefs" && !inputs.count(name)) names.push_back(name);
  }
  return names;
}

inline void ExpectOneLine(const Run &run, int status, const std::string &mentions) {
  EXPECT_EQ(run.status, status) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_EQ(run.err.rfind("zorvane: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(mentions), std::string::npos) << "expected '" << mentions << "' in: " << run.err;
}

inline bool Ffmpeg(const std::string &args) {
  return std::system(("ffmpeg -nostdin -loglevel error -y " + args).c_str()) == 0;
}

}  // namespace zv::host::test
