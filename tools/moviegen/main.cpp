// moviegen: makes the intro movie from its readable description.
//
//   moviegen <description> <music folder> <output .mpg>
//
// The description (data/movie/intro.txt) names the sky, the sun, the
// buildings that rise, the title and its letters; each picture is drawn from
// it and the whole is encoded as an MPEG-1 system stream: MPEG-1 video with
// MPEG audio layer II of the named music, through FFmpeg's libraries.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../tool_io.h"

namespace {

struct Rgb {
  double r = 0, g = 0, b = 0;
};
Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

struct Building {
  int x = 0, width = 0, height = 0;
  Rgb colour;
  double riseFrom = 0, riseTo = 1;
};
struct SkyKey {
  double time = 0;
  Rgb top, bottom;
};

struct Scene {
  int width = 320, height = 240, fps = 25;
  double seconds = 8;
  std::string music;
  std::vector<SkyKey> sky;
  double sunX = 0, sunFrom = 0, sunTo = 0, sunRadius = 0;
  Rgb sun, windows;
  std::vector<Building> buildings;
  double titleFrom = 0, titleTo = 0;
  int titleScale = 3, titleY = 40;
  std::string title;
  double fadeFrom = 1e9, fadeTo = 1e9;
  std::map<char, std::vector<std::string>> glyphs;
};

bool ParseColour(const std::string& text, Rgb* out) {
  if (text.size() != 7 || text[0] != '#') return false;
  const unsigned long v = std::strtoul(text.c_str() + 1, nullptr, 16);
  *out = {double((v >> 16) & 255), double((v >> 8) & 255), double(v & 255)};
  return true;
}

bool ParseScene(const std::string& text, Scene* s, std::string* error) {
  std::istringstream lines(text);
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    std::istringstream in(line);
    std::string word, c1, c2;
    if (!(in >> word) || word[0] == '#') continue;
    bool ok = true;
    if (word == "size") ok = static_cast<bool>(in >> s->width >> s->height) && s->width >= 16 && s->height >= 16 &&
                             s->width <= 720 && s->height <= 576 && s->width % 2 == 0 && s->height % 2 == 0;
    else if (word == "fps") ok = static_cast<bool>(in >> s->fps) && (s->fps == 24 || s->fps == 25 || s->fps == 30);
    else if (word == "seconds") ok = static_cast<bool>(in >> s->seconds) && s->seconds > 0 && s->seconds <= 60;
    else if (word == "music") ok = static_cast<bool>(in >> s->music);
    else if (word == "sky") {
      SkyKey k;
      ok = in >> k.time >> c1 >> c2 && ParseColour(c1, &k.top) && ParseColour(c2, &k.bottom);
      s->sky.push_back(k);
    } else if (word == "sun") {
      ok = in >> s->sunX >> s->sunFrom >> s->sunTo >> s->sunRadius >> c1 && ParseColour(c1, &s->sun);
    } else if (word == "windows") {
      ok = in >> c1 && ParseColour(c1, &s->windows);
    } else if (word == "building") {
      Building b;
      ok = in >> b.x >> b.width >> b.height >> c1 >> b.riseFrom >> b.riseTo && ParseColour(c1, &b.colour) &&
           b.riseTo > b.riseFrom;
      s->buildings.push_back(b);
    } else if (word == "title") {
      ok = static_cast<bool>(in >> s->titleFrom >> s->titleTo >> s->titleScale >> s->titleY);
      std::getline(in, s->title);
      s->title.erase(0, s->title.find_first_not_of(' '));
    } else if (word == "fade") {
      ok = static_cast<bool>(in >> s->fadeFrom >> s->fadeTo) && s->fadeTo > s->fadeFrom;
    } else if (word == "glyph") {
      std::string letter;
      std::vector<std::string> rows(7);
      ok = static_cast<bool>(in >> letter) && letter.size() == 1;
      for (std::string& r : rows) ok = ok && in >> r && r.size() == 5;
      if (ok) s->glyphs[letter[0]] = rows;
    } else {
      ok = false;
    }
    if (!ok) {
      *error = "line " + std::to_string(number) + ": cannot use '" + line + "'";
      return false;
    }
  }
  for (char c : s->title)
    if (c != ' ' && !s->glyphs.count(c)) {
      *error = std::string("no glyph for '") + c + "'";
      return false;
    }
  if (s->sky.empty()) {
    *error = "no sky";
    return false;
  }
  return true;
}

double Ramp(double t, double from, double to) { return std::clamp((t - from) / (to - from), 0.0, 1.0); }

// One picture of the scene at time t, as 24-bit RGB.
std::vector<uint8_t> Draw(const Scene& s, double t) {
  std::vector<Rgb> img(static_cast<size_t>(s.width) * s.height);
  // The sky, blended between its keys.
  SkyKey a = s.sky.front(), b = s.sky.front();
  for (const SkyKey& k : s.sky) {
    if (k.time <= t) a = k;
    if (k.time >= t) {
      b = k;
      break;
    }
    b = k;
  }
  const double kt = b.time > a.time ? (t - a.time) / (b.time - a.time) : 0;
  const Rgb top = Mix(a.top, b.top, kt), bottom = Mix(a.bottom, b.bottom, kt);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) img[y * s.width + x] = Mix(top, bottom, double(y) / s.height);
  // The sun rising behind the city.
  const double sunY = s.sunFrom + (s.sunTo - s.sunFrom) * Ramp(t, 0, s.seconds * 0.75);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      const double d = std::hypot(x - s.sunX, y - sunY);
      if (d < s.sunRadius * 1.8) {
        const double glow = d < s.sunRadius ? 1.0 : 0.35 * (1 - (d - s.sunRadius) / (s.sunRadius * 0.8));
        img[y * s.width + x] = Mix(img[y * s.width + x], s.sun, std::clamp(glow, 0.0, 1.0));
      }
    }
  // The buildings rise from the ground, their windows lit in a fixed pattern.
  for (const Building& bd : s.buildings) {
    const int h = static_cast<int>(bd.height * Ramp(t, bd.riseFrom, bd.riseTo));
    for (int y = s.height - h; y < s.height; ++y)
      for (int x = std::max(0, bd.x); x < std::min(s.width, bd.x + bd.width); ++x) {
        const int wx = x - bd.x, wy = y - (s.height - h);
        const bool window = wx % 6 >= 2 && wx % 6 <= 3 && wy % 8 >= 3 && wy % 8 <= 5 && wx > 1 &&
                            wx < bd.width - 2 && ((wx / 6 * 7 + wy / 8 * 13 + bd.x) % 5 != 0);
        img[y * s.width + x] = window ? s.windows : bd.colour;
      }
  }
  // The title fades in over the sky.
  const double alpha = Ramp(t, s.titleFrom, s.titleTo);
  const int cell = s.titleScale, advance = 6 * cell;
  const int x0 = (s.width - static_cast<int>(s.title.size()) * advance + cell) / 2;
  for (size_t i = 0; i < s.title.size() && alpha > 0; ++i) {
    auto glyph = s.glyphs.find(s.title[i]);
    if (glyph == s.glyphs.end()) continue;
    for (int gy = 0; gy < 7; ++gy)
      for (int gx = 0; gx < 5; ++gx) {
        if (glyph->second[gy][gx] != '1') continue;
        for (int py = 0; py < cell; ++py)
          for (int px = 0; px < cell; ++px) {
            const int x = x0 + static_cast<int>(i) * advance + gx * cell + px, y = s.titleY + gy * cell + py;
            if (x >= 0 && x < s.width && y >= 0 && y < s.height)
              img[y * s.width + x] = Mix(img[y * s.width + x], Rgb{255, 244, 214}, alpha);
          }
      }
  }
  const double dark = 1 - Ramp(t, s.fadeFrom, s.fadeTo);
  std::vector<uint8_t> rgb(img.size() * 3);
  for (size_t i = 0; i < img.size(); ++i) {
    rgb[i * 3] = static_cast<uint8_t>(std::clamp(img[i].r * dark, 0.0, 255.0));
    rgb[i * 3 + 1] = static_cast<uint8_t>(std::clamp(img[i].g * dark, 0.0, 255.0));
    rgb[i * 3 + 2] = static_cast<uint8_t>(std::clamp(img[i].b * dark, 0.0, 255.0));
  }
  return rgb;
}

// The music as 16-bit stereo at `rate`, `seconds` long (looped or cut).
std::vector<int16_t> LoadMusic(const std::string& path, int rate, double seconds) {
  std::vector<int16_t> out(static_cast<size_t>(rate * seconds) * 2);
  OggVorbis_File f;
  if (ov_fopen(path.c_str(), &f) != 0) return out;
  const vorbis_info* info = ov_info(&f, -1);
  std::vector<int16_t> in;
  char buf[8192];
  int section = 0;
  for (long n; (n = ov_read(&f, buf, sizeof buf, 0, 2, 1, &section)) > 0;)
    in.insert(in.end(), reinterpret_cast<int16_t*>(buf), reinterpret_cast<int16_t*>(buf + n));
  const int channels = info->channels, from = static_cast<int>(info->rate);
  ov_clear(&f);
  if (in.empty() || channels < 1 || channels > 2) return out;
  // Linear resampling is enough for a title tune.
  const size_t frames = in.size() / channels;
  for (size_t i = 0; i < out.size() / 2; ++i) {
    const double at = std::fmod(double(i) * from / rate, double(frames - 1));
    const size_t k = static_cast<size_t>(at);
    const double w = at - k;
    for (int c = 0; c < 2; ++c) {
      const int src = std::min(c, channels - 1);
      out[i * 2 + c] = static_cast<int16_t>(in[k * channels + src] * (1 - w) + in[(k + 1) * channels + src] * w);
    }
  }
  // A short fade at the end, with the pictures'.
  const size_t fade = std::min<size_t>(out.size() / 2, static_cast<size_t>(rate));
  for (size_t i = 0; i < fade; ++i) {
    const size_t f2 = out.size() / 2 - fade + i;
    const double g = 1 - double(i) / fade;
    out[f2 * 2] = static_cast<int16_t>(out[f2 * 2] * g);
    out[f2 * 2 + 1] = static_cast<int16_t>(out[f2 * 2 + 1] * g);
  }
  return out;
}

struct Output {
  AVFormatContext* format = nullptr;
  AVStream* vs = nullptr;
  AVStream* as = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;

  bool Send(AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
    if (avcodec_send_frame(codec, frame) < 0) return false;
    AVPacket* p = av_packet_alloc();
    bool ok = true;
    while (avcodec_receive_packet(codec, p) == 0) {
      av_packet_rescale_ts(p, codec->time_base, stream->time_base);
      p->stream_index = stream->index;
      ok = ok && av_interleaved_write_frame(format, p) >= 0;
    }
    av_packet_free(&p);
    return ok;
  }
};

bool Encode(const Scene& s, const std::vector<int16_t>& music, const std::string& path) {
  Output o;
  if (avformat_alloc_output_context2(&o.format, nullptr, "mpeg", path.c_str()) < 0) return false;
  const AVCodec* vc = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
  const AVCodec* ac = avcodec_find_encoder(AV_CODEC_ID_MP2);
  if (vc == nullptr || ac == nullptr) return false;
  o.vs = avformat_new_stream(o.format, nullptr);
  o.as = avformat_new_stream(o.format, nullptr);
  o.video = avcodec_alloc_context3(vc);
  o.audio = avcodec_alloc_context3(ac);
  o.video->width = s.width;
  o.video->height = s.height;
  o.video->time_base = AVRational{1, s.fps};
  o.video->framerate = AVRational{s.fps, 1};
  o.video->pix_fmt = AV_PIX_FMT_YUV420P;
  o.video->bit_rate = 500000;
  o.video->gop_size = 12;
  o.audio->sample_fmt = AV_SAMPLE_FMT_S16;
  o.audio->sample_rate = 44100;
  o.audio->bit_rate = 128000;
  o.audio->time_base = AVRational{1, 44100};
  av_channel_layout_default(&o.audio->ch_layout, 2);
  if (avcodec_open2(o.video, vc, nullptr) < 0 || avcodec_open2(o.audio, ac, nullptr) < 0) return false;
  avcodec_parameters_from_context(o.vs->codecpar, o.video);
  avcodec_parameters_from_context(o.as->codecpar, o.audio);
  o.vs->time_base = o.video->time_base;
  o.as->time_base = o.audio->time_base;
  if (avio_open(&o.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return false;
  if (avformat_write_header(o.format, nullptr) < 0) return false;

  SwsContext* sws = sws_getContext(s.width, s.height, AV_PIX_FMT_RGB24, s.width, s.height, AV_PIX_FMT_YUV420P,
                                   SWS_BICUBIC, nullptr, nullptr, nullptr);
  AVFrame* vf = av_frame_alloc();
  vf->format = AV_PIX_FMT_YUV420P;
  vf->width = s.width;
  vf->height = s.height;
  av_frame_get_buffer(vf, 0);
  AVFrame* af = av_frame_alloc();
  af->format = AV_SAMPLE_FMT_S16;
  af->nb_samples = o.audio->frame_size;
  av_channel_layout_copy(&af->ch_layout, &o.audio->ch_layout);
  af->sample_rate = 44100;
  av_frame_get_buffer(af, 0);

  const int frames = static_cast<int>(s.seconds * s.fps);
  const size_t soundFrames = music.size() / 2;
  size_t soundAt = 0;
  int64_t audioPts = 0;
  bool ok = true;
  for (int i = 0; i < frames && ok; ++i) {
    const std::vector<uint8_t> rgb = Draw(s, double(i) / s.fps);
    const uint8_t* src[1] = {rgb.data()};
    const int stride[1] = {s.width * 3};
    av_frame_make_writable(vf);
    sws_scale(sws, src, stride, 0, s.height, vf->data, vf->linesize);
    vf->pts = i;
    ok = o.Send(o.video, o.vs, vf);
    // Sound up to the end of this picture.
    const size_t until = std::min(soundFrames, static_cast<size_t>(double(i + 1) / s.fps * 44100));
    while (ok && soundAt + af->nb_samples <= until) {
      av_frame_make_writable(af);
      std::copy_n(music.data() + soundAt * 2, af->nb_samples * 2, reinterpret_cast<int16_t*>(af->data[0]));
      af->pts = audioPts;
      audioPts += af->nb_samples;
      soundAt += af->nb_samples;
      ok = o.Send(o.audio, o.as, af);
    }
  }
  ok = ok && o.Send(o.video, o.vs, nullptr) && o.Send(o.audio, o.as, nullptr);
  ok = av_write_trailer(o.format) >= 0 && ok;
  sws_freeContext(sws);
  av_frame_free(&vf);
  av_frame_free(&af);
  avcodec_free_context(&o.video);
  avcodec_free_context(&o.audio);
  avio_closep(&o.format->pb);
  avformat_free_context(o.format);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: moviegen <description> <music folder> <output .mpg>\n");
    return 2;
  }
  std::string text, error;
  if (!ReadToolSource(argv[1], text)) return 1;
  Scene scene;
  if (!ParseScene(text, &scene, &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  const std::vector<int16_t> music = LoadMusic(std::string(argv[2]) + "/" + scene.music, 44100, scene.seconds);
  if (!Encode(scene, music, argv[3])) {
    std::fprintf(stderr, "cannot encode %s\n", argv[3]);
    return 1;
  }
  return 0;
}
