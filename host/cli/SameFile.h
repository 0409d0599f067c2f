// Refuses an output that would replace the input. Files are compared by
// device and inode, so ./, another path, a symbolic link or a hard link to
// the input are all caught.
#pragma once

#include <cstdint>
#include <string>

namespace zv::host {

// pictures: 0 for one output file, else the length of the picture sequence
// the output names. Throws Failure naming the output.
void RefuseReplacingInput(const std::string &input, const std::string &output, std::int64_t pictures = 0);

}  // namespace zv::host
