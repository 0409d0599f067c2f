#include "cli/Options.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string_view>

#include "Failure.h"
#include "media/FrameLimits.h"

namespace zv::host {

namespace {

const CommandDef *FindCommand(const std::string &name) {
  for (const CommandDef &c : CommandTable())
    if (name == c.name) return &c;
  return nullptr;
}

const OptionDef *FindOption(const std::string &name) {
  for (const OptionDef &d : OptionTable())
    if (name == d.name || (d.alias && name == d.alias)) return &d;
  return nullptr;
}

bool Takes(const OptionDef &option, std::string_view command) {
  std::string_view list = option.commands;
  while (!list.empty()) {
    const auto blank = list.find(' ');
    if (list.substr(0, blank) == command) return true;
    list = blank == std::string_view::npos ? std::string_view() : list.substr(blank + 1);
  }
  return false;
}

std::string Spelling(const OptionDef &d) { return d.alias ? d.alias : d.name; }

bool IsHelp(const std::string &arg) { return arg == "-h" || arg == "--help"; }

// A word that is not an option: the input, or one of join's parts.
void AddOperand(Options &o, const std::string &word) {
  switch (o.command->operands) {
    case Operands::None: throw UsageError(std::string(o.command->name) + " takes no input file");
    case Operands::Parts: o.parts.push_back(word); return;
    case Operands::Input:
      if (o.input) throw UsageError("more than one input: " + *o.input + " and " + word);
      o.input = word;
  }
}

// Checks the table gives for every command, then the command's own.
void CheckCommand(const Options &o, const std::vector<std::string> &given) {
  const CommandDef &c = *o.command;
  if (c.operands == Operands::Parts && o.parts.empty()) throw UsageError(std::string(c.name) + " needs the part files");
  if (c.required) {
    const OptionDef &r = *FindOption(c.required);
    bool found = false;
    for (const std::string &name : given) found = found || FindOption(name) == &r;
    if (!found) throw UsageError(std::string(c.name) + " needs " + Spelling(r) + " " + r.argument);
  }
  if (c.check) c.check(o);
}

}  // namespace

std::int64_t ParseCount(const std::string &option, const std::string &text, std::int64_t least) {
  std::int64_t value = 0;
  const char *end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || p != end || value < least || value > std::numeric_limits<std::int32_t>::max())
    throw UsageError(option + " " + text + ": expected a whole number of at least " + std::to_string(least));
  return value;
}

std::pair<int, int> ParseSize(const std::string &text) {
  const auto x = text.find_first_of("xX");
  const auto bad = [&] { return UsageError("--size " + text + ": expected WxH, " + media::FrameLimitsText()); };
  if (x == std::string::npos) throw bad();
  int w = 0, h = 0;
  auto parse = [](const std::string &s, int &v) {
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size() && !s.empty();
  };
  if (!parse(text.substr(0, x), w) || !parse(text.substr(x + 1), h) || !media::FitsFrameLimits(w, h)) throw bad();
  return {w, h};
}

std::pair<std::int64_t, std::int64_t> ParsePart(const std::string &text) {
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

Options ParseOptions(const std::vector<std::string> &args) {
  Options o;
  if (args.empty()) throw UsageError("no command given");
  if (IsHelp(args[0]) || args[0] == "help") return o;
  o.command = FindCommand(args[0] == "-V" ? "--version" : args[0]);
  if (!o.command) throw UsageError("unknown command '" + args[0] + "'");

  std::vector<std::string> given;  // the options given, as spelt
  bool optionsEnded = false;       // after "--" every word is a file name, "-dash.mp4" too
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      AddOperand(o, arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::optional<std::string> value;
    if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
      value = arg.substr(arg.find('=') + 1);
      arg = arg.substr(0, arg.find('='));
    }
    if (IsHelp(arg)) return Options{};
    const OptionDef *d = FindOption(arg);
    if (!d || !Takes(*d, o.command->name)) throw UsageError("unknown option " + arg + " for " + args[0]);
    if (!d->argument && value) throw UsageError(arg + " takes no value");
    if (d->argument && !value) {
      if (i + 1 == args.size()) throw UsageError(arg + " needs a value");
      value = args[++i];
    }
    d->set(o, value.value_or(""));
    given.push_back(arg);
  }
  CheckCommand(o, given);
  return o;
}

std::string UsageText() {
  constexpr std::size_t kWidth = 100;
  std::string text = "usage: zorvane COMMAND [OPTION]... [FILE]...\n";
  for (const CommandDef &c : CommandTable()) {
    const std::string head = std::string("  zorvane ") + c.name;
    std::string line = head;
    const auto add = [&](const std::string &word) {
      if (line.size() + 1 + word.size() > kWidth) {
        text += line + "\n";
        line = std::string(head.size(), ' ');
      }
      line += " " + word;
    };
    if (c.operands == Operands::Input) add("[INPUT]");
    if (c.operands == Operands::Parts) add("PART...");
    for (const OptionDef &d : OptionTable()) {
      if (!Takes(d, c.name)) continue;
      const std::string word = Spelling(d) + (d.argument ? std::string(" ") + d.argument : "");
      add(c.required && std::string_view(c.required) == d.name ? word : "[" + word + "]");
    }
    text += line + "\n      " + c.help + "\n";
  }
  text += "Without INPUT, render, thumbnail and configure use the built-in demo clip; -- ends the options.\n"
          "options:\n";
  for (const OptionDef &d : OptionTable()) {
    std::string names = "  " + (d.alias ? std::string(d.alias) + ", " : "") + d.name;
    if (d.argument) names += std::string(" ") + d.argument;
    constexpr std::size_t kColumn = 24;
    names.resize(std::max(names.size() + 2, kColumn), ' ');
    std::string help = d.help;
    for (auto at = help.find('\n'); at != std::string::npos; at = help.find('\n', at + 1))
      help.insert(at + 1, kColumn, ' ');
    text += names + help + "\n";
  }
  return text + "  -h, --help            this text\n";
}

}  // namespace zv::host
