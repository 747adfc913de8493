#include "platform/sdl/ffmpeg_movie.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <sys/stat.h>

#include <deque>

namespace platform {

struct FfmpegMovie::State {
  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  int videoIndex = -1, audioIndex = -1;
  SwsContext* scaler = nullptr;
  SwrContext* resampler = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int width = 0, height = 0;
  bool draining = false;
  std::deque<MoviePacket> ready;

  ~State() {
    sws_freeContext(scaler);
    swr_free(&resampler);
    av_channel_layout_uninit(&soundLayout);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    if (format != nullptr) avformat_close_input(&format);
  }

  static AVCodecContext* OpenCodec(AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr) return nullptr;
    AVCodecContext* c = avcodec_alloc_context3(codec);
    if (c == nullptr || avcodec_parameters_to_context(c, stream->codecpar) < 0 || avcodec_open2(c, codec, nullptr) < 0)
      avcodec_free_context(&c);
    return c;
  }

  double lastPicture = -1;

  // Seconds from the stream's start (system streams start late); a picture
  // without a time follows the last one.
  double Seconds(int index, int64_t pts) const {
    const AVStream* stream = format->streams[index];
    if (pts == AV_NOPTS_VALUE) {
      const double rate = av_q2d(stream->avg_frame_rate);
      return index == videoIndex && rate > 0 ? lastPicture + 1 / rate : 0;
    }
    const int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    return (pts - start) * av_q2d(stream->time_base);
  }

  // A damaged stream can change its pictures' size or format, and its sound's
  // layout, format or rate, from one frame to the next: the scaler and the
  // resampler are made for each frame's own (kept while they stay the same).
  void TakePicture() {
    if (frame->width <= 0 || frame->height <= 0 || frame->format < 0) return;
    scaler = sws_getCachedContext(scaler, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                  width, height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (scaler == nullptr) return;
    MoviePacket p;
    p.picture = true;
    p.time = Seconds(videoIndex, frame->best_effort_timestamp);
    lastPicture = p.time;
    p.pixels.resize(static_cast<size_t>(width) * height);
    uint8_t* planes[1] = {reinterpret_cast<uint8_t*>(p.pixels.data())};
    const int strides[1] = {width * 4};
    sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
    ready.push_back(std::move(p));
  }

  AVChannelLayout soundLayout{};
  int soundFormat = -1, soundRate = 0;

  bool ResamplerFits() const {
    return resampler != nullptr && soundFormat == frame->format && soundRate == frame->sample_rate &&
           av_channel_layout_compare(&soundLayout, &frame->ch_layout) == 0;
  }

  void TakeSound() {
    if (frame->nb_samples <= 0 || frame->sample_rate <= 0 || frame->format < 0 ||
        frame->ch_layout.nb_channels <= 0 || frame->extended_data == nullptr)
      return;
    if (!ResamplerFits()) {
      swr_free(&resampler);
      av_channel_layout_uninit(&soundLayout);
      if (av_channel_layout_copy(&soundLayout, &frame->ch_layout) < 0) return;
      soundFormat = frame->format;
      soundRate = frame->sample_rate;
      AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
      if (swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, kSoundRate, &frame->ch_layout,
                              static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr) < 0 ||
          swr_init(resampler) < 0) {
        swr_free(&resampler);
        return;
      }
    }
    MoviePacket p;
    p.time = Seconds(audioIndex, frame->best_effort_timestamp);
    const int room = swr_get_out_samples(resampler, frame->nb_samples);
    if (room <= 0) return;
    p.sound.resize(static_cast<size_t>(room) * 2);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(p.sound.data())};
    const int got = swr_convert(resampler, out, room, const_cast<const uint8_t**>(frame->extended_data),
                                frame->nb_samples);
    if (got <= 0) return;
    p.sound.resize(static_cast<size_t>(got) * 2);
    ready.push_back(std::move(p));
  }

  // Hands the decoder's waiting frames over.
  void Receive(AVCodecContext* codec, bool picture) {
    while (avcodec_receive_frame(codec, frame) == 0) {
      if (picture)
        TakePicture();
      else
        TakeSound();
      av_frame_unref(frame);
    }
  }

  bool Pump() {
    if (draining) return false;
    if (av_read_frame(format, packet) < 0) {
      // The end: the decoders give up what they still hold.
      draining = true;
      for (AVCodecContext* c : {video, audio})
        if (c != nullptr && avcodec_send_packet(c, nullptr) == 0) Receive(c, c == video);
      return !ready.empty();
    }
    AVCodecContext* codec = packet->stream_index == videoIndex   ? video
                            : packet->stream_index == audioIndex ? audio
                                                                 : nullptr;
    if (codec != nullptr && avcodec_send_packet(codec, packet) == 0) Receive(codec, codec == video);
    av_packet_unref(packet);
    return true;
  }
};

FfmpegMovie::FfmpegMovie() = default;
FfmpegMovie::~FfmpegMovie() = default;

bool FfmpegMovie::Open(const std::string& path, int width, int height) {
  s_.reset();
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return false;
  av_log_set_level(AV_LOG_QUIET);
  auto s = std::make_unique<State>();
  s->width = width;
  s->height = height;
  // Only a regular file: a FIFO in its place would block the start-up in
  // the demuxer's open().
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (avformat_open_input(&s->format, path.c_str(), nullptr, nullptr) < 0) return false;
  if (avformat_find_stream_info(s->format, nullptr) < 0) return false;
  s->videoIndex = av_find_best_stream(s->format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  s->audioIndex = av_find_best_stream(s->format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (s->videoIndex < 0) return false;
  s->video = State::OpenCodec(s->format->streams[s->videoIndex]);
  if (s->audioIndex >= 0) s->audio = State::OpenCodec(s->format->streams[s->audioIndex]);
  if (s->audio == nullptr) s->audioIndex = -1;
  s->packet = av_packet_alloc();
  s->frame = av_frame_alloc();
  if (s->video == nullptr || s->packet == nullptr || s->frame == nullptr) return false;
  s_ = std::move(s);
  return true;
}

bool FfmpegMovie::HasSound() const { return s_ != nullptr && s_->audio != nullptr; }

bool FfmpegMovie::Next(MoviePacket* packet) {
  if (s_ == nullptr) return false;
  while (s_->ready.empty())
    if (!s_->Pump()) return false;
  *packet = std::move(s_->ready.front());
  s_->ready.pop_front();
  return true;
}

}  // namespace platform
