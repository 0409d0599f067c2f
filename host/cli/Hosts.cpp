#include "cli/Hosts.h"

#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <vector>

#include "cli/Commands.h"

namespace fs = std::filesystem;

namespace zv::host {

namespace {

// Where MLT itself was installed, and the one module folder it reads when
// MLT_REPOSITORY is unset; both from MLT's pkg-config file at build time.
const fs::path kMltPrefix = ZORVANE_MLT_PREFIX;
const fs::path kMltModuleDir = ZORVANE_MLT_MODULE_DIR;

std::string Env(const char *name) {
  const char *value = std::getenv(name);
  return value ? value : "";
}

std::vector<fs::path> Folders(const std::string &list) {
  std::vector<fs::path> folders;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t colon = std::min(list.find(':', start), list.size());
    if (colon > start) folders.emplace_back(list.substr(start, colon - start));
    start = colon + 1;
  }
  return folders;
}

std::string Joined(const std::vector<fs::path> &folders) {
  std::string list;
  for (const fs::path &f : folders) list += (list.empty() ? "" : ":") + f.string();
  return list;
}

std::optional<fs::path> OnPath(const std::string &program) {
  for (const fs::path &dir : Folders(Env("PATH")))
    if (access((dir / program).c_str(), X_OK) == 0) return dir / program;
  return std::nullopt;
}

fs::path Normal(const fs::path &p) {
  fs::path n = p.lexically_normal();
  return n.has_filename() ? n : n.parent_path();
}

// What a host meets first when it looks for our file's name in its folders:
// ours (by name, or the same file through a link), another copy, or nothing.
struct Lookup {
  enum { Ours, Other, None } found = None;
  fs::path where;
};

Lookup Look(const std::vector<fs::path> &folders, const fs::path &ours) {
  for (const fs::path &dir : folders) {
    const fs::path candidate = Normal(dir / ours.filename());
    std::error_code ec;
    if (candidate == Normal(ours)) return {Lookup::Ours, candidate};
    if (fs::exists(candidate, ec))
      return {fs::equivalent(candidate, ours, ec) ? Lookup::Ours : Lookup::Other, candidate};
  }
  return {};
}

// frei0r's folders. ffmpeg reads FREI0R_PATH before its own list; GStreamer's
// bridge and MLT's frei0r module read it instead of theirs.
std::vector<fs::path> Frei0rDefaults() {
  std::vector<fs::path> dirs;
  if (!Env("HOME").empty()) dirs.push_back(fs::path(Env("HOME")) / ".frei0r-1/lib");
  for (const char *d : {"/usr/local/lib/frei0r-1", "/usr/lib/frei0r-1", "/usr/lib/x86_64-linux-gnu/frei0r-1",
                        "/usr/local/lib64/frei0r-1", "/usr/lib64/frei0r-1"})
    dirs.emplace_back(d);
  return dirs;
}

std::vector<fs::path> Frei0rFolders(bool addsToDefaults) {
  std::vector<fs::path> dirs = Folders(Env("FREI0R_PATH"));
  if (dirs.empty() || addsToDefaults)
    for (const fs::path &d : Frei0rDefaults()) dirs.push_back(d);
  return dirs;
}

std::string Frei0rFix(const InstalledFilters &f) {
  std::vector<fs::path> rest = Folders(Env("FREI0R_PATH"));
  if (rest.empty()) {  // keep the folders the hosts read now
    std::error_code ec;
    for (const fs::path &d : Frei0rDefaults())
      if (fs::is_directory(d, ec) && d.string().find("lib64") == std::string::npos) rest.push_back(d);
  }
  rest.insert(rest.begin(), f.frei0r.parent_path());
  return "export FREI0R_PATH=" + Joined(rest);
}

std::vector<fs::path> MltFolders() {
  const std::string repository = Env("MLT_REPOSITORY");
  return {repository.empty() ? kMltModuleDir : fs::path(repository)};
}

// Outside MLT's prefix the install makes lib/mlt-7 a whole repository (links
// to MLT's modules beside ours), so one variable names it; a build tree's
// lib/mlt-7 holds our module alone, which goes beside MLT's own instead.
std::string MltFix(const InstalledFilters &f, bool checkFiles) {
  const std::string repository = Env("MLT_REPOSITORY");
  const fs::path dir = f.mltModule.parent_path();
  std::error_code ec;
  const bool whole = !checkFiles || fs::exists(dir / "libmltcore.so", ec);
  if (repository.empty() && whole) return "export MLT_REPOSITORY=" + dir.string();
  const fs::path into = repository.empty() ? kMltModuleDir : fs::path(repository);
  return "ln -s " + f.mltModule.string() + " " + (dir / "zorvane").string() + " " + into.string() + "/";
}

std::vector<fs::path> XdgDataFolders() {
  std::vector<fs::path> dirs;
  const std::string home = Env("XDG_DATA_HOME");
  if (!home.empty()) dirs.emplace_back(home);
  else if (!Env("HOME").empty()) dirs.push_back(fs::path(Env("HOME")) / ".local/share");
  std::string system = Env("XDG_DATA_DIRS");
  for (const fs::path &d : Folders(system.empty() ? "/usr/local/share:/usr/share" : system)) dirs.push_back(d);
  for (fs::path &d : dirs) d /= "kdenlive/effects";
  return dirs;
}

std::string KdenliveFix(const InstalledFilters &f) {
  const std::string system = Env("XDG_DATA_DIRS");
  return "export XDG_DATA_DIRS=" + (f.prefix / "share").string() + ":" +
         (system.empty() ? "/usr/local/share:/usr/share" : system);
}

// Shotcut reads descriptions from the share/ beside its own bin/ only.
fs::path ShotcutFilters(const std::optional<fs::path> &program) {
  std::error_code ec;
  const fs::path real = program ? fs::canonical(*program, ec) : fs::path();
  const fs::path bin = ec || real.empty() ? fs::path("/usr/bin") : real.parent_path();
  return bin.parent_path() / "share/shotcut/qml/filters";
}

std::string ShotcutFix(const InstalledFilters &f, const fs::path &filters) {
  const bool root = access(filters.c_str(), W_OK) != 0;
  return "ln -s " + f.shotcutDir.string() + " " + filters.string() + "/" + (root ? "   (as root)" : "");
}

struct Check {
  const char *host;
  const char *program;
  std::vector<std::pair<fs::path, std::vector<fs::path>>> looks;  // our file, the folders the host reads
  std::vector<std::string> fixes;                                 // one per look
};

std::vector<Check> Checks(const InstalledFilters &f, bool checkFiles) {
  const fs::path shotcut = ShotcutFilters(OnPath("shotcut"));
  return {
      {"ffmpeg", "ffmpeg", {{f.frei0r, Frei0rFolders(true)}}, {Frei0rFix(f)}},
      {"GStreamer", "gst-launch-1.0", {{f.frei0r, Frei0rFolders(false)}}, {Frei0rFix(f)}},
      {"melt", "melt", {{f.mltModule, MltFolders()}}, {MltFix(f, checkFiles)}},
      {"Kdenlive", "kdenlive", {{f.mltModule, MltFolders()}, {f.kdenliveXml, XdgDataFolders()}},
       {MltFix(f, checkFiles), KdenliveFix(f)}},
      {"Shotcut", "shotcut", {{f.mltModule, MltFolders()}, {f.shotcutDir, {shotcut}}},
       {MltFix(f, checkFiles), ShotcutFix(f, shotcut)}},
  };
}

}  // namespace

InstalledFilters FiltersUnder(const fs::path &prefix) {
  const fs::path p = Normal(prefix);
  const fs::path mltDir = p == kMltPrefix ? kMltModuleDir : p / "lib/mlt-7";
  return {p, p / "lib/frei0r-1/zorvane.so", mltDir / "libmltzorvane.so", p / "share/kdenlive/effects/zorvane.xml",
          p / "share/shotcut/qml/filters/zorvane"};
}

fs::path OwnPrefix() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path("/usr") : self.parent_path().parent_path();
}

void ReportHosts(const InstalledFilters &f, bool onlyMissing, bool checkFiles, std::FILE *out) {
  bool headed = false;
  for (const Check &c : Checks(f, checkFiles)) {
    std::vector<std::string> lines;
    bool missing = false;
    if (!OnPath(c.program)) {
      lines.push_back(std::string("not installed here (no ") + c.program + " on PATH)");
    } else {
      for (std::size_t i = 0; i < c.looks.size(); ++i) {
        const auto &[ours, folders] = c.looks[i];
        std::error_code ec;
        if (checkFiles && !fs::exists(ours, ec)) {
          lines.push_back("not installed: no " + ours.string());
          missing = true;
          continue;
        }
        const Lookup look = Look(folders, ours);
        if (look.found == Lookup::Ours) {
          lines.push_back("finds " + look.where.string());
          continue;
        }
        missing = true;
        lines.push_back(look.found == Lookup::Other ? "finds another copy first: " + look.where.string()
                                                    : "does not look in " + ours.parent_path().string());
        lines.push_back("fix: " + c.fixes[i]);
      }
    }
    if (onlyMissing && !missing) continue;
    if (onlyMissing && !headed)
      std::fprintf(out, "zorvane: some programs will not find the filters installed under %s:\n", f.prefix.c_str());
    headed = true;
    for (std::size_t i = 0; i < lines.size(); ++i)
      std::fprintf(out, "%-10s  %s\n", i == 0 ? c.host : "", lines[i].c_str());
  }
}

int RunHosts(const Options &o, std::FILE *out) {
  ReportHosts(FiltersUnder(o.prefix ? fs::path(*o.prefix) : OwnPrefix()), o.quiet, !o.prefix, out);
  return 0;
}

}  // namespace zv::host
