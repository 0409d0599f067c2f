// Ctrl-C and SIGTERM during a render: the first stops the pass after the
// current frame (the temporary output is removed on the way out); a second
// removes the temporary files at once and ends the process.
#pragma once

namespace zv::host {

void InstallInterruptHandlers();
bool Interrupted();

}  // namespace zv::host
