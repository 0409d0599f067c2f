#include "cli/Options.h"

#include <charconv>
#include <limits>
#include <map>
#include <set>

#include "Failure.h"
#include "media/ClipWriter.h"

namespace zv::host {

const char kUsage[] =
    "usage: zorvane render [INPUT] [-o OUTPUT] [--fade-in N] [--fade-out N] [--start N] [--frames N]\n"
    "                      [--size WxH] [--vcodec NAME] [--proxy] [--part K/M] [--plugin BUNDLE] [--quiet]\n"
    "       zorvane thumbnail [INPUT] -o FILE.png [--at N] [--plugin BUNDLE] [--quiet]\n"
    "       zorvane configure [INPUT] [--frame N] [--script FILE] [--plugin BUNDLE]\n"
    "       zorvane info [--plugin BUNDLE]\n"
    "       zorvane join PART... -o OUTPUT [--sound FROM] [--quiet]\n"
    "       zorvane hosts [--prefix DIR] [--quiet]\n"
    "       zorvane --version\n"
    "Without INPUT, render, thumbnail and configure use the built-in demo clip.\n";

namespace {

const std::map<Command, std::set<std::string>> kAllowed = {
    {Command::Render,
     {"-o", "--output", "--fade-in", "--fade-out", "--start", "--frames", "--size", "--vcodec", "--proxy", "--plugin",
      "--quiet", "--part"}},
    {Command::Join, {"-o", "--output", "--sound", "--quiet"}},
    {Command::Thumbnail, {"-o", "--output", "--at", "--size", "--frames", "--plugin", "--quiet"}},
    {Command::Info, {"--plugin", "--quiet"}},
    {Command::Configure, {"--frame", "--script", "--plugin", "--quiet"}},
    {Command::Hosts, {"--prefix", "--quiet"}},
};

std::int64_t Count(const std::string &option, const std::string &text, std::int64_t least) {
  std::int64_t value = 0;
  const char *end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || p != end || value < least || value > std::numeric_limits<std::int32_t>::max())
    throw UsageError(option + " " + text + ": expected a whole number of at least " + std::to_string(least));
  return value;
}

std::pair<int, int> Size(const std::string &text) {
  const auto x = text.find_first_of("xX");
  const auto bad = [&] {
    return UsageError("--size " + text + ": expected WxH, " + media::FrameLimitsText());
  };
  if (x == std::string::npos) throw bad();
  int w = 0, h = 0;
  const std::string ws = text.substr(0, x), hs = text.substr(x + 1);
  auto parse = [&](const std::string &s, int &v) {
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size() && !s.empty();
  };
  if (!parse(ws, w) || !parse(hs, h) || !media::FitsFrameLimits(w, h)) throw bad();
  return {w, h};
}

std::pair<std::int64_t, std::int64_t> Part(const std::string &text) {
  const auto slash = text.find('/');
  const auto bad = [&] { return UsageError("--part " + text + ": expected K/M, part K (1 to M) of M"); };
  if (slash == std::string::npos) throw bad();
  std::int64_t k = 0, m = 0;
  const char *end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data(), text.data() + slash, k);
  const auto [q, ec2] = std::from_chars(text.data() + slash + 1, end, m);
  if (ec != std::errc() || p != text.data() + slash || ec2 != std::errc() || q != end || m < 1 || k < 1 || k > m ||
      m > std::numeric_limits<std::int32_t>::max())
    throw bad();
  return {k, m};
}

}  // namespace

Options ParseOptions(const std::vector<std::string> &args) {
  Options o;
  if (args.empty()) throw UsageError("no command given");
  const std::string &cmd = args[0];
  if (cmd == "-h" || cmd == "--help" || cmd == "help") return o;
  if (cmd == "-V" || cmd == "--version") {
    if (args.size() > 1) throw UsageError(cmd + " takes nothing after it");
    o.command = Command::Version;
    return o;
  }
  if (cmd == "render") o.command = Command::Render;
  else if (cmd == "thumbnail") o.command = Command::Thumbnail;
  else if (cmd == "info") o.command = Command::Info;
  else if (cmd == "configure") o.command = Command::Configure;
  else if (cmd == "join") o.command = Command::Join;
  else if (cmd == "hosts") o.command = Command::Hosts;
  else throw UsageError("unknown command '" + cmd + "'");

  const std::set<std::string> &allowed = kAllowed.at(o.command);
  bool optionsEnded = false;  // after "--" every word is a file name, "-dash.mp4" too
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string arg = args[i];
    std::optional<std::string> inlineValue;
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
      inlineValue = arg.substr(arg.find('=') + 1);
      arg = arg.substr(0, arg.find('='));
    }
    if (!optionsEnded && (arg == "-h" || arg == "--help")) {
      o.command = Command::Help;
      return o;
    }
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      if (!allowed.count(arg)) throw UsageError("unknown option " + arg + " for " + cmd);
      const bool flag = arg == "--proxy" || arg == "--quiet";
      if (flag && inlineValue) throw UsageError(arg + " takes no value");
      std::string value;
      if (!flag) {
        if (inlineValue) value = *inlineValue;
        else if (i + 1 < args.size()) value = args[++i];
        else throw UsageError(arg + " needs a value");
      }
      if (arg == "-o" || arg == "--output") o.output = value;
      else if (arg == "--fade-in") o.fadeIn = Count(arg, value, 0);
      else if (arg == "--fade-out") o.fadeOut = Count(arg, value, 0);
      else if (arg == "--start") o.start = Count(arg, value, 0);
      else if (arg == "--at") o.at = Count(arg, value, 0);
      else if (arg == "--frame") o.frame = Count(arg, value, 0);
      else if (arg == "--script") o.script = value;
      else if (arg == "--frames") o.frames = Count(arg, value, 1);
      else if (arg == "--size") o.size = Size(value);
      else if (arg == "--vcodec") o.vcodec = value;
      else if (arg == "--plugin") o.plugin = value;
      else if (arg == "--proxy") o.proxy = true;
      else if (arg == "--quiet") o.quiet = true;
      else if (arg == "--part") o.part = Part(value);
      else if (arg == "--sound") o.sound = value;
      else if (arg == "--prefix") o.prefix = value;
      continue;
    }
    if (o.command == Command::Info || o.command == Command::Hosts) throw UsageError(cmd + " takes no input file");
    if (o.command == Command::Join) {
      o.parts.push_back(arg);
      continue;
    }
    if (o.input) throw UsageError("more than one input: " + *o.input + " and " + arg);
    o.input = arg;
  }
  if (o.output && o.output->empty()) throw UsageError("-o needs a file name");
  if (o.command == Command::Join) {
    if (o.parts.empty()) throw UsageError("join needs the part files");
    if (!o.output) throw UsageError("join needs -o OUTPUT");
    if (media::IsPictureSequence(*o.output)) throw UsageError("join writes a video file, not a .png sequence");
  }
  if (o.part && o.output && media::IsPictureSequence(*o.output))
    throw UsageError("--part writes a video file, not a .png sequence: " + *o.output);
  if (o.command == Command::Thumbnail) {
    if (!o.output) throw UsageError("thumbnail needs -o FILE.png");
    const std::string &out = *o.output;
    if (out.size() < 4 || (out.compare(out.size() - 4, 4, ".png") && out.compare(out.size() - 4, 4, ".PNG")))
      throw UsageError("thumbnail writes a PNG: " + out + " does not end in .png");
  }
  return o;
}

}  // namespace zv::host
