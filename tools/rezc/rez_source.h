// The readable source of the bundle's string lists, compiled into resources:
//
//   /* comment */  // comment
//   resource 'STR#' (128, "name") { "first", "second" "continued" };
//
// Strings take C escapes (\n, \t, \", \\, \xHH, \ooo) and are stored in Mac
// Roman; the name may be left out: (128).
#ifndef ZV_TOOLS_REZ_SOURCE_H
#define ZV_TOOLS_REZ_SOURCE_H

#include "resources/resource_file_format.h"

#include <optional>
#include <string>
#include <string_view>

namespace zv::rez {

// Nothing on malformed input, with "<fileName>:<line>: <what is wrong>" in error.
std::optional<rsrc::ResourceFile> CompileRezSource(std::string_view source, const std::string &fileName,
                                                   std::string *error);

}  // namespace zv::rez

#endif
