#include "cli/SameFile.h"

#include <sys/stat.h>

#include "Failure.h"
#include "media/Pictures.h"

namespace zv::host {

namespace {

// True when path names the file in describes: the same device and inode.
bool NamesSameInode(const struct stat &in, const std::string &path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && st.st_dev == in.st_dev && st.st_ino == in.st_ino;
}

}  // namespace

void RefuseReplacingInput(const std::string &input, const std::string &output, std::int64_t pictures) {
  struct stat in {};
  if (stat(input.c_str(), &in) != 0) return;  // the reader says what is wrong with it
  const auto refuse = [&](const std::string &name) {
    throw Failure(name + ": this is the input " + input + "; writing it would destroy it (choose another output)");
  };
  if (!pictures) {
    if (NamesSameInode(in, output)) refuse(output);
    return;
  }
  for (std::int64_t i = 0; i < pictures; ++i) {
    const std::string name = media::SequenceFileName(output, i);
    if (NamesSameInode(in, name)) refuse(name);
  }
}

}  // namespace zv::host
