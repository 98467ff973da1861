// The source's cover picture: carried over unchanged into an output without
// video of its own, where the container can hold one; dropped with a log line
// elsewhere.
#include <cstring>

extern "C" {
#include <libavutil/avstring.h>
}

#include "Common/Errors.h"
#include "Common/StringList.h"
#include "Converter/AVConverterJob.h"

namespace {

enum class TCoverHolder { None, PictureStream, Attachment };

// MP3 (ID3 APIC), MP4 and M4A ("covr"), FLAC (picture block) take the cover as
// a one-packet picture stream; Matroska as an attachment, which readers show
// as the file's cover.
TCoverHolder HolderOf(const AVOutputFormat* Format) {
  for (const char* name : {"mp3", "mp4", "ipod", "mov", "flac"})
    if (av_match_name(name, Format->name)) return TCoverHolder::PictureStream;
  if (av_match_name("matroska", Format->name)) return TCoverHolder::Attachment;
  return TCoverHolder::None;
}

struct TPictureType {
  AVCodecID Codec;
  const char* MimeType;
  const char* FileName;
};
constexpr TPictureType kPictureTypes[] = {
    {AV_CODEC_ID_MJPEG, "image/jpeg", "cover.jpg"}, {AV_CODEC_ID_PNG, "image/png", "cover.png"},
    {AV_CODEC_ID_BMP, "image/bmp", "cover.bmp"},    {AV_CODEC_ID_GIF, "image/gif", "cover.gif"},
    {AV_CODEC_ID_WEBP, "image/webp", "cover.webp"}, {AV_CODEC_ID_TIFF, "image/tiff", "cover.tiff"},
};

const TPictureType* PictureTypeOf(AVCodecID Codec) {
  for (const auto& t : kPictureTypes)
    if (t.Codec == Codec) return &t;
  return nullptr;
}

}  // namespace

void TConvertJob::AddCover(TOutputFile& File, int FileIndex) {
  int source = -1;
  for (size_t i = 0; i < FInputStreams.size() && source < 0; ++i)
    if (IsAttachedPicture(FInputStreams[i].St) && FInputStreams[i].St->attached_pic.size > 0)
      source = static_cast<int>(i);
  if (source < 0) return;
  const AVOutputFormat* format = File.Ctx->oformat;
  TInputStream& ist = FInputStreams[static_cast<size_t>(source)];
  const TCoverHolder holder = HolderOf(format);
  if (holder == TCoverHolder::None ||
      (holder == TCoverHolder::Attachment && !PictureTypeOf(ist.St->codecpar->codec_id))) {
    av_log(nullptr, AV_LOG_WARNING, "The cover picture is left out: the %s format can't hold one\n", format->name);
    return;
  }
  static const TStringList kNoFilters;
  TOutputStream& ost = NewStream(File, FileIndex, AVMEDIA_TYPE_VIDEO, kNoFilters);
  ost.Cover = true;
  ost.StreamCopy = true;
  ost.SourceIndex = source;
  ost.SyncIndex = source;
  // An attachment is written with the header; a picture stream gets the
  // picture's one packet from the packet loop.
  ist.Unmapped = holder == TCoverHolder::Attachment;
}

void TConvertJob::PrepareCover(TOutputStream& Ost, const TInputStream& Ist) {
  const AVCodecParameters* in = Ist.St->codecpar;
  AVCodecParameters* out = Ost.St->codecpar;
  if (avcodec_parameters_copy(out, in) < 0) throw Exception("no memory");
  out->codec_tag = 0;  // the container's own tag
  Ost.St->time_base = Ist.St->time_base;
  Ost.Enc->time_base = Ist.St->time_base;
  if (HolderOf(FOutputFiles[static_cast<size_t>(Ost.FileIndex)].Ctx->oformat) == TCoverHolder::PictureStream) {
    Ost.St->disposition = AV_DISPOSITION_ATTACHED_PIC;
    return;
  }
  const AVPacket& picture = Ist.St->attached_pic;
  const TPictureType* type = PictureTypeOf(in->codec_id);
  out->codec_type = AVMEDIA_TYPE_ATTACHMENT;
  Ost.St->disposition = 0;
  av_freep(&out->extradata);
  out->extradata = static_cast<uint8_t*>(av_mallocz(static_cast<size_t>(picture.size) + AV_INPUT_BUFFER_PADDING_SIZE));
  if (!out->extradata) throw Exception("no memory");
  memcpy(out->extradata, picture.data, static_cast<size_t>(picture.size));
  out->extradata_size = picture.size;
  av_dict_set(&Ost.St->metadata, "mimetype", type->MimeType, 0);
  av_dict_set(&Ost.St->metadata, "filename", type->FileName, 0);
}
