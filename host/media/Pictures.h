// Pictures as files: single PNGs, and the picture sequence a .png output
// writes, one numbered PNG per frame, all moved into place at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "media/ClipWriter.h"
#include "media/Image.h"

namespace zv::media {

// The file name of frame index of a picture sequence: out.png gives
// out00000.png, shot20.png shot20-00000.png, and a %05d in the name places
// the number.
std::string SequenceFileName(const std::string &path, std::int64_t index);

// A writer of one picture per frame; throws MediaError when its folder
// cannot take files.
std::unique_ptr<ClipWriter> OpenPictureSequence(const WriterSettings &settings);

// The encoder's check of the size, without writing anything.
void CheckPictureSize(int width, int height);

// One picture, written through a temporary file.
void WritePng(const std::string &path, const ArgbView &image);

}  // namespace zv::media
