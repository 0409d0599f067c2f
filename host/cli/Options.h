// The command line of zorvane. Every command and option is one row of the
// tables in CommandTable.cpp; parsing, each command's checks and --help all
// follow those rows (UsageText() prints what they say).
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zv::host {

struct Options;

// What a command takes besides options.
enum class Operands { None, Input, Parts };

struct CommandDef {
  const char *name;
  Operands operands;
  const char *required;  // an option the command cannot do without, or null
  const char *help;      // one line for --help
  int (*run)(const Options &, std::FILE *out);
  void (*check)(const Options &);  // throws UsageError; null: nothing beyond the table
};

struct OptionDef {
  const char *name;      // "--output"
  const char *alias;     // "-o", or null
  const char *argument;  // "N"; null for a switch
  const char *commands;  // the commands that take it, separated by blanks
  const char *help;
  // Sets what the option means from its argument (empty for a switch);
  // throws UsageError when the argument does not parse.
  void (*set)(Options &, const std::string &argument);
};

std::span<const CommandDef> CommandTable();
std::span<const OptionDef> OptionTable();

struct Options {
  const CommandDef *command = nullptr;  // null: show the usage
  std::optional<std::string> input;     // none: the built-in demo clip
  std::optional<std::string> output;
  std::int64_t fadeIn = 0, fadeOut = 0, start = 0, at = 0, frame = 0;
  std::optional<std::string> script;  // configure: run the dialog on this script
  std::optional<std::int64_t> frames;
  std::optional<std::pair<int, int>> size;
  std::optional<std::pair<std::int64_t, std::int64_t>> part;  // K of M; checked against the pass later
  std::vector<std::string> parts;                              // join: the part files
  std::optional<std::string> sound;                            // join: where the sound comes from
  std::string vcodec;
  std::string plugin;
  std::optional<std::string> prefix;  // hosts: an install under this prefix
  bool proxy = false;
  bool quiet = false;
};

// Throws Failure with exit status 2 on a usage error.
Options ParseOptions(const std::vector<std::string> &args);

// What zorvane --help prints.
std::string UsageText();

// The parsers the option rows share; each throws UsageError naming option.
std::int64_t ParseCount(const std::string &option, const std::string &text, std::int64_t least);
std::pair<int, int> ParseSize(const std::string &text);
std::pair<std::int64_t, std::int64_t> ParsePart(const std::string &text);

}  // namespace zv::host
