/* The bundle's one export. C++ may not give a function named main C linkage,
   so the entry point lives here and hands over at once. */
#include <HYPluginAPI.h>

HYPluginResult iMovieMain(SInt16 which, _PluginParams *params);

__attribute__((visibility("default"))) HYPluginResult main(SInt16 which, _PluginParams *params) {
  return iMovieMain(which, params);
}
