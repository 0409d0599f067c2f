// A part of a render pass as the render command describes it.
#pragma once

#include "cli/Options.h"
#include "cli/PartInfo.h"
#include "media/Clip.h"
#include "media/ClipWriter.h"
#include "plugin/StoredConfig.h"

namespace zv::host {

// A digest of the configuration the plug-in renders with (its stored one).
std::string ConfigDigest(const StoredConfigReport &stored);

// The description of part o.part of a render pass of passFrames frames,
// with the configuration stored now.
PartInfo PartOfPass(const Options &o, const media::ClipInfo &info, std::int64_t passFrames, int width, int height,
                    const media::EncoderFacts &encoder);

}  // namespace zv::host
