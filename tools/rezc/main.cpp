// zorvane-rezc INPUT.r OUTPUT.rsrc: compiles the bundle's string lists into
// a resource file.

#include "files/file_io.h"
#include "rez_source.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zorvane-rezc INPUT.r OUTPUT.rsrc\n");
    return 2;
  }
  const std::string input = argv[1];
  const std::string output = argv[2];
  constexpr std::size_t kLargestSource = 16u << 20;

  std::vector<std::uint8_t> source;
  if (OSErr err = zv::ReadWholeFile(input, kLargestSource, source)) {
    std::fprintf(stderr, "zorvane-rezc: cannot read %s (error %d)\n", input.c_str(), err);
    return 1;
  }
  std::string error;
  const auto file = zv::rez::CompileRezSource({reinterpret_cast<const char *>(source.data()), source.size()},
                                              input, &error);
  if (!file) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::vector<std::uint8_t> bytes;
  if (!zv::rsrc::SerialiseResourceFile(*file, bytes, &error)) {
    std::fprintf(stderr, "%s: %s\n", input.c_str(), error.c_str());
    return 1;
  }
  if (OSErr err = zv::ReplaceFile(output, bytes)) {
    std::fprintf(stderr, "zorvane-rezc: cannot write %s (error %d)\n", output.c_str(), err);
    return 1;
  }
  return 0;
}
