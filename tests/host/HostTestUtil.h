// For the end-to-end tests: runs the built zorvane program with a private
// Preferences folder and captures what it says.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs `zorvane args` in the scratch folder.
inline Run Zorvane(const Scratch &dir, const std::string &args) {
  const std::string cmd = "cd '" + dir.Path().string() + "' && XDG_CONFIG_HOME='" + (dir / "prefs") + "' '" +
                          ZORVANE_BIN_DIR + "/zorvane' " + args + " > .stdout 2> .stderr";
  Run r;
  const int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = Slurp(dir / ".stdout");
  r.err = Slurp(dir / ".stderr");
  std::filesystem::remove(dir / ".stdout");
  std::filesystem::remove(dir / ".stderr");
  return r;
}

inline bool Ffmpeg(const std::string &args) {
  return std::system(("ffmpeg -nostdin -loglevel error -y " + args).c_str()) == 0;
}

}  // namespace zv::host::test
