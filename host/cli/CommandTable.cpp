// zorvane's commands and options, one row each. A new command is a row here
// and its runner; a new option is a row naming the commands that take it.
#include "Failure.h"
#include "cli/Commands.h"
#include "media/Containers.h"

namespace zv::host {

namespace {

void CheckRender(const Options &o) {
  if (o.part && o.output && media::IsPictureSequence(*o.output))
    throw UsageError("--part writes a video file, not a .png sequence: " + *o.output);
}

void CheckThumbnail(const Options &o) {
  const std::string &out = *o.output;
  if (out.size() < 4 || (out.compare(out.size() - 4, 4, ".png") && out.compare(out.size() - 4, 4, ".PNG")))
    throw UsageError("thumbnail writes a PNG: " + out + " does not end in .png");
}

void CheckJoin(const Options &o) {
  if (media::IsPictureSequence(*o.output)) throw UsageError("join writes a video file, not a .png sequence");
}

const CommandDef kCommands[] = {
    {"render", Operands::Input, nullptr, "the effect over a clip (or the built-in demo clip), to a video or pictures",
     RunRender, CheckRender},
    {"thumbnail", Operands::Input, "--output", "one frame with the effect, to a .png", RunThumbnail, CheckThumbnail},
    {"configure", Operands::Input, nullptr, "the set-up dialog on a frame of the clip; OK stores the settings",
     RunConfigure, nullptr},
    {"info", Operands::None, nullptr, "the plug-in's description and the stored settings", RunInfo, nullptr},
    {"join", Operands::Parts, "--output", "the parts of one render pass as one clip, with its sound", RunJoin,
     CheckJoin},
    {"hosts", Operands::None, nullptr,
     "whether ffmpeg, GStreamer, melt, Kdenlive and Shotcut find the installed filters; the line that fixes each",
     RunHosts, nullptr},
    {"--version", Operands::None, nullptr, "the version of zorvane, its bundle and its filters (also -V)", RunVersion,
     nullptr},
};

const OptionDef kOptions[] = {
    {"--output", "-o", "OUTPUT", "render thumbnail join",
     "the file to write; the extension picks the container\n"
     "(.mp4 .mkv .mov .nut .avi) or writes one .png picture per frame",
     [](Options &o, const std::string &v) {
       if (v.empty()) throw UsageError("-o needs a file name");
       o.output = v;
     }},
    {"--fade-in", nullptr, "N", "render", "frames over which the effect grows in (default 0)",
     [](Options &o, const std::string &v) { o.fadeIn = ParseCount("--fade-in", v, 0); }},
    {"--fade-out", nullptr, "N", "render", "frames over which the effect fades out (default 0)",
     [](Options &o, const std::string &v) { o.fadeOut = ParseCount("--fade-out", v, 0); }},
    {"--start", nullptr, "N", "render", "the clip's frame the pass begins with (default 0)",
     [](Options &o, const std::string &v) { o.start = ParseCount("--start", v, 0); }},
    {"--frames", nullptr, "N", "render thumbnail",
     "frames in the pass (default: to the clip's end); a still picture lasts N",
     [](Options &o, const std::string &v) { o.frames = ParseCount("--frames", v, 1); }},
    {"--at", nullptr, "N", "thumbnail", "the frame to show (default 0)",
     [](Options &o, const std::string &v) { o.at = ParseCount("--at", v, 0); }},
    {"--frame", nullptr, "N", "configure", "the frame the dialog opens on (default 0)",
     [](Options &o, const std::string &v) { o.frame = ParseCount("--frame", v, 0); }},
    {"--script", nullptr, "FILE", "configure", "drive the dialog from a script instead of a window",
     [](Options &o, const std::string &v) { o.script = v; }},
    {"--size", nullptr, "WxH", "render thumbnail", "the output's picture size (default: the clip's)",
     [](Options &o, const std::string &v) { o.size = ParseSize(v); }},
    {"--vcodec", nullptr, "NAME", "render", "the video encoder (default: the container's usual one)",
     [](Options &o, const std::string &v) { o.vcodec = v; }},
    {"--proxy", nullptr, nullptr, "render", "a quick pass at the plug-in's proxy quality, without sound",
     [](Options &o, const std::string &) { o.proxy = true; }},
    {"--part", nullptr, "K/M", "render", "only the K-th of M consecutive parts of the pass, for join",
     [](Options &o, const std::string &v) { o.part = ParsePart(v); }},
    {"--sound", nullptr, "FROM", "join", "the file the sound comes from (default: the input the parts name)",
     [](Options &o, const std::string &v) { o.sound = v; }},
    {"--plugin", nullptr, "BUNDLE", "render thumbnail configure info",
     "the plug-in bundle (default: the one installed beside zorvane)",
     [](Options &o, const std::string &v) { o.plugin = v; }},
    {"--prefix", nullptr, "DIR", "hosts", "for an install under DIR (default: the one zorvane runs from)",
     [](Options &o, const std::string &v) { o.prefix = v; }},
    {"--quiet", nullptr, nullptr, "render thumbnail join hosts",
     "no progress bar and no summary line; hosts: only those that miss the filters",
     [](Options &o, const std::string &) { o.quiet = true; }},
};

}  // namespace

std::span<const CommandDef> CommandTable() { return kCommands; }
std::span<const OptionDef> OptionTable() { return kOptions; }

}  // namespace zv::host
