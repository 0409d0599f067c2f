// Ctrl-C, SIGTERM and SIGHUP during a command that writes: the first stops the
// work at the next frame (the temporary output is removed on the way out); a
// second removes the temporary files at once, says one line and ends the
// process. Install before the first temporary file exists.
#pragma once

#include <string>

namespace zv::host {

// output names the file in the line a second signal prints.
void InstallInterruptHandlers(const std::string &output = "");
bool Interrupted();

}  // namespace zv::host
