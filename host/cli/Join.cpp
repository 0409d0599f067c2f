// zorvane join: the parts 1 to M of one render pass, checked, their coded
// video copied in order (no re-encoding), and the pass's sound added from
// the input as a single render would mix it.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "Failure.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/PartInfo.h"
#include "cli/Progress.h"
#include "cli/SameFile.h"
#include "media/ClipReader.h"
#include "media/ClipWriter.h"
#include "media/DemoClip.h"
#include "media/FFmpeg.h"

namespace zv::host {

namespace {

struct OpenedPart {
  std::string path;
  media::InputPtr input;
  AVStream *video = nullptr;
  PartInfo info;
};

OpenedPart OpenPart(const std::string &path) {
  OpenedPart p;
  p.path = path;
  AVFormatContext *f = nullptr;
  const int opened = avformat_open_input(&f, path.c_str(), nullptr, nullptr);
  if (opened < 0) throw Failure(path + ": " + media::AvErrorText(opened));
  p.input.reset(f);
  const AVDictionaryEntry *tag = av_dict_get(f->metadata, kPartTag, nullptr, 0);
  const std::optional<PartInfo> info = tag ? PartInfo::Parse(tag->value) : std::nullopt;
  if (!info) throw Failure(path + ": not a part of a render pass (no part description in its metadata)");
  p.info = *info;
  const int stream = av_find_best_stream(f, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (stream < 0) throw Failure(path + ": holds no video");
  p.video = f->streams[stream];
  return p;
}

// Coded the same way, so one stream can follow the other without re-encoding.
bool SameCoding(const AVCodecParameters *a, const AVCodecParameters *b) {
  return a->codec_id == b->codec_id && a->width == b->width && a->height == b->height &&
         a->extradata_size == b->extradata_size &&
         std::equal(a->extradata, a->extradata + a->extradata_size, b->extradata);
}

// Parts 1 to M of one pass, in order; throws naming the first offending part.
std::vector<OpenedPart> CheckedParts(const std::vector<std::string> &paths) {
  std::map<std::int64_t, OpenedPart> byNumber;
  const OpenedPart *first = nullptr;
  for (const std::string &path : paths) {
    OpenedPart part = OpenPart(path);
    const PartInfo &i = part.info;
    const std::string number = "part " + std::to_string(i.part) + " of " + std::to_string(i.of);
    if (first) {
      const std::string difference = first->info.PassDifference(i);
      if (!difference.empty())
        throw Failure(path + ": not of the same pass as " + first->path + ": " + difference);
      if (i.encoder != first->info.encoder || i.reorder != first->info.reorder)
        throw Failure(path + ": encoded with " + i.encoder + ", not " + first->info.encoder + " like " + first->path);
      if (!SameCoding(part.video->codecpar, first->video->codecpar))
        throw Failure(path + ": coded with other settings than " + first->path + ", so it cannot follow it unchanged");
    }
    const auto [at, added] = byNumber.emplace(i.part, std::move(part));
    if (!added) throw Failure(path + ": " + number + " again (already given as " + at->second.path + ")");
    if (!first) first = &at->second;
  }
  const std::int64_t m = first->info.of;
  for (std::int64_t k = 1; k <= m; ++k)
    if (!byNumber.count(k))
      throw Failure("part " + std::to_string(k) + " of " + std::to_string(m) + " is missing (" + first->path +
                    " is one of them)");
  std::vector<OpenedPart> parts;
  for (auto &[k, part] : byNumber) parts.push_back(std::move(part));
  return parts;
}

// The clip the pass's sound comes from; null when the pass has none.
std::unique_ptr<media::Clip> SoundSource(const Options &o, const PartInfo &pass, std::string &name) {
  if (pass.proxy) return nullptr;  // a proxy pass mixes no sound
  std::unique_ptr<media::Clip> clip;
  if (!o.sound && pass.input.empty()) {
    name = "demo clip";
    return std::make_unique<media::DemoClip>();
  }
  name = o.sound.value_or(pass.input);
  if (!o.sound && !std::filesystem::exists(name))
    throw Failure(name + ": the parts' input is not here to take the sound from (give --sound FROM)");
  clip = std::make_unique<media::ClipReader>(name);
  if (clip->Info().sampleRate <= 0) return nullptr;
  if (clip->Info().frameCount != pass.inputFrames)
    throw Failure(name + ": holds " + std::to_string(clip->Info().frameCount) + " frames, the parts were made from " +
                  std::to_string(pass.inputFrames));
  return clip;
}

// Copies the parts' packets into the writer in order, with the pass's sound
// for each frame as a single render mixes it.
struct Copier {
  const std::string &output;
  const PartInfo &pass;
  media::ClipWriter &writer;
  media::Clip *sound;
  Progress &progress;
  media::PacketPtr packet = media::NewPacket();
  std::int64_t written = 0;  // frames of the pass

  void Copy(OpenedPart &part);
  void Place(const OpenedPart &part, std::int64_t got);
  void AddSound();
};

void Copier::Copy(OpenedPart &part) {
  const std::int64_t frames = part.info.End() - part.info.First();
  std::int64_t got = 0;
  int read = 0;
  while ((read = av_read_frame(part.input.get(), packet.get())) >= 0) {
    if (packet->stream_index != part.video->index) {
      av_packet_unref(packet.get());
      continue;
    }
    if (got == 0 && !(packet->flags & AV_PKT_FLAG_KEY)) throw Failure(part.path + ": does not begin with a key frame");
    if (++got > frames) break;
    Place(part, got);
    writer.WriteVideoPacket(packet.get());
    if (sound) AddSound();
    progress.Update(++written);
    if (Interrupted()) throw Failure(output + ": interrupted, nothing written");
  }
  av_packet_unref(packet.get());
  if (read < 0 && read != AVERROR_EOF) throw Failure(part.path + ": " + media::AvErrorText(read));
  if (got != frames)
    throw Failure(part.path + ": holds " + std::string(got > frames ? "more than " : "") +
                  std::to_string(std::min(got, frames)) + " frames, part " + std::to_string(part.info.part) + " of " +
                  std::to_string(part.info.of) + " should hold " + std::to_string(frames));
}

// Each part's times start at 0: the packet moves to where the part lies in
// the pass. Packets come in decoding order, one frame each; some containers
// keep no decoding times, so they follow from that order and the encoder's
// reordering.
void Copier::Place(const OpenedPart &part, std::int64_t got) {
  const std::int64_t first = part.info.First();
  if (packet->pts == AV_NOPTS_VALUE) throw Failure(part.path + ": a frame without a time");
  packet->pts = av_rescale_q(packet->pts, part.video->time_base, av_inv_q(AVRational{pass.rateNum, pass.rateDen})) +
                first;
  packet->dts = first + got - 1 - pass.reorder;
  if (packet->pts < packet->dts) throw Failure(part.path + ": frames reordered further than its encoder said");
  packet->duration = 1;
  packet->pos = -1;
}

void Copier::AddSound() {
  const media::ClipInfo &si = sound->Info();
  const AVRational rate{pass.rateNum, pass.rateDen};
  const std::int64_t r = written;
  media::AudioBlock block(si.channels, static_cast<int>(media::FrameSample(r + 1, rate, si.sampleRate) -
                                                        media::FrameSample(r, rate, si.sampleRate)));
  sound->MixAudio(media::FrameSample(pass.start + r, si.frameRate, si.sampleRate), block, 1.0f);
  writer.WriteAudio(block);
}

}  // namespace

int RunJoin(const Options &o, std::FILE *out) {
  const std::string &output = *o.output;
  InstallInterruptHandlers(output);
  for (const std::string &p : o.parts) RefuseReplacingInput(p, output);
  if (o.sound) RefuseReplacingInput(*o.sound, output);
  std::vector<OpenedPart> parts = CheckedParts(o.parts);
  const PartInfo &pass = parts.front().info;
  std::string soundName;
  std::unique_ptr<media::Clip> sound = SoundSource(o, pass, soundName);
  const media::ClipInfo *si = sound ? &sound->Info() : nullptr;
  const AVRational rate{pass.rateNum, pass.rateDen};

  const media::WriterSettings settings{output, pass.width, pass.height, rate, "", si ? si->sampleRate : 0,
                                       si ? si->channels : 0};
  media::WriterExtras extras;
  extras.copyVideo = parts.front().video->codecpar;
  parts.front().video->codecpar->video_delay = pass.reorder;
  const std::unique_ptr<media::ClipWriter> writer = media::OpenClipWriter(settings, extras);

  {
    Progress progress(pass.frames, !o.quiet && isatty(STDERR_FILENO));
    Copier copier{output, pass, *writer, sound.get(), progress};
    for (OpenedPart &part : parts) copier.Copy(part);
  }
  writer->Finish();
  if (!o.quiet)
    std::fprintf(out, "wrote %s (%lld frames from %lld parts, %s%s)\n", output.c_str(),
                 static_cast<long long>(pass.frames), static_cast<long long>(pass.of),
                 writer->VideoCodecName().c_str(), sound ? (", with sound from " + soundName).c_str() : "");
  return 0;
}

}  // namespace zv::host
