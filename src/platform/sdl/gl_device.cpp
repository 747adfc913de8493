// The drawing layer on OpenGL 3.3 core. The fixed-function states the layer
// offers become uniforms of one generated program (two variants: smooth and
// flat shading); the differences between the layer's conventions and GL's
// are handled here: depth 0..1 becomes -1..1, pixel centres move half a
// pixel, pre-transformed vertices are mapped from window coordinates with y
// down, and colour-buffer rows are turned top row first.
#include <SDL.h>

#include <GL/glcorearb.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/sdl/gl_gpu.h"

namespace platform {
namespace {

// ---- Entry points, loaded through SDL --------------------------------------------

#define RC_GL_FUNCTIONS(X)                                                                  \
  X(PFNGLGETSTRINGPROC, glGetString) X(PFNGLGETINTEGERVPROC, glGetIntegerv)                 \
  X(PFNGLGETERRORPROC, glGetError)                                                          \
  X(PFNGLGENBUFFERSPROC, glGenBuffers) X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers)           \
  X(PFNGLBINDBUFFERPROC, glBindBuffer) X(PFNGLBUFFERDATAPROC, glBufferData)                 \
  X(PFNGLBUFFERSUBDATAPROC, glBufferSubData) X(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays) \
  X(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray)                                            \
  X(PFNGLDELETEVERTEXARRAYSPROC, glDeleteVertexArrays)                                      \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray)                            \
  X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, glDisableVertexAttribArray)                          \
  X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)                                    \
  X(PFNGLVERTEXATTRIB2FPROC, glVertexAttrib2f) X(PFNGLCREATESHADERPROC, glCreateShader)     \
  X(PFNGLSHADERSOURCEPROC, glShaderSource) X(PFNGLCOMPILESHADERPROC, glCompileShader)       \
  X(PFNGLGETSHADERIVPROC, glGetShaderiv) X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)   \
  X(PFNGLCREATEPROGRAMPROC, glCreateProgram) X(PFNGLATTACHSHADERPROC, glAttachShader)       \
  X(PFNGLLINKPROGRAMPROC, glLinkProgram) X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)           \
  X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog) X(PFNGLUSEPROGRAMPROC, glUseProgram)   \
  X(PFNGLDELETEPROGRAMPROC, glDeleteProgram) X(PFNGLDELETESHADERPROC, glDeleteShader)       \
  X(PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation)                                      \
  X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation) X(PFNGLUNIFORM1IPROC, glUniform1i)   \
  X(PFNGLUNIFORM1IVPROC, glUniform1iv) X(PFNGLUNIFORM1FPROC, glUniform1f)                   \
  X(PFNGLUNIFORM2FPROC, glUniform2f) X(PFNGLUNIFORM4FPROC, glUniform4f)                     \
  X(PFNGLUNIFORMMATRIX4FVPROC, glUniformMatrix4fv) X(PFNGLGENTEXTURESPROC, glGenTextures)   \
  X(PFNGLDELETETEXTURESPROC, glDeleteTextures) X(PFNGLBINDTEXTUREPROC, glBindTexture)       \
  X(PFNGLACTIVETEXTUREPROC, glActiveTexture) X(PFNGLTEXIMAGE2DPROC, glTexImage2D)           \
  X(PFNGLTEXSUBIMAGE2DPROC, glTexSubImage2D) X(PFNGLTEXPARAMETERIPROC, glTexParameteri)     \
  X(PFNGLGENSAMPLERSPROC, glGenSamplers) X(PFNGLDELETESAMPLERSPROC, glDeleteSamplers)       \
  X(PFNGLBINDSAMPLERPROC, glBindSampler) X(PFNGLSAMPLERPARAMETERIPROC, glSamplerParameteri) \
  X(PFNGLSAMPLERPARAMETERFPROC, glSamplerParameterf)                                        \
  X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                                            \
  X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                                      \
  X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                                            \
  X(PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)                                  \
  X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer)                            \
  X(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)                                          \
  X(PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)                                    \
  X(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)                                          \
  X(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)                                    \
  X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)                              \
  X(PFNGLBLITFRAMEBUFFERPROC, glBlitFramebuffer) X(PFNGLVIEWPORTPROC, glViewport)           \
  X(PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC, glGetFramebufferAttachmentParameteriv)    \
  X(PFNGLCLEARCOLORPROC, glClearColor) X(PFNGLCLEARDEPTHPROC, glClearDepth)                 \
  X(PFNGLCLEARSTENCILPROC, glClearStencil) X(PFNGLCLEARPROC, glClear)                       \
  X(PFNGLENABLEPROC, glEnable) X(PFNGLDISABLEPROC, glDisable)                               \
  X(PFNGLDEPTHFUNCPROC, glDepthFunc) X(PFNGLDEPTHMASKPROC, glDepthMask)                     \
  X(PFNGLBLENDFUNCPROC, glBlendFunc) X(PFNGLCULLFACEPROC, glCullFace)                       \
  X(PFNGLFRONTFACEPROC, glFrontFace) X(PFNGLPOLYGONMODEPROC, glPolygonMode)                 \
  X(PFNGLSTENCILFUNCPROC, glStencilFunc) X(PFNGLSTENCILOPPROC, glStencilOp)                 \
  X(PFNGLSTENCILMASKPROC, glStencilMask)                                                    \
  X(PFNGLDRAWELEMENTSBASEVERTEXPROC, glDrawElementsBaseVertex)                              \
  X(PFNGLDRAWARRAYSPROC, glDrawArrays) X(PFNGLREADPIXELSPROC, glReadPixels)                 \
  X(PFNGLPIXELSTOREIPROC, glPixelStorei) X(PFNGLPROVOKINGVERTEXPROC, glProvokingVertex)     \
  X(PFNGLCOLORMASKPROC, glColorMask) X(PFNGLFINISHPROC, glFinish)                           \
  X(PFNGLMAPBUFFERRANGEPROC, glMapBufferRange) X(PFNGLUNMAPBUFFERPROC, glUnmapBuffer)      \
  X(PFNGLDEPTHRANGEPROC, glDepthRange)

struct GlFunctions {
#define RC_GL_MEMBER(type, name) type name = nullptr;
  RC_GL_FUNCTIONS(RC_GL_MEMBER)
#undef RC_GL_MEMBER
  bool Load() {
    bool ok = true;
#define RC_GL_LOAD(type, name)                                          \
  name = reinterpret_cast<type>(SDL_GL_GetProcAddress(#name));          \
  ok = ok && name != nullptr;
    RC_GL_FUNCTIONS(RC_GL_LOAD)
#undef RC_GL_LOAD
    return ok;
  }
};

// ---- The generated program ---------------------------------------------------------

const char* kVertexSource = R"(
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec4 aDiffuse;
layout(location = 2) in vec4 aSpecular;
layout(location = 3) in vec2 aUv0;
layout(location = 4) in vec2 aUv1;
uniform mat4 uMatrix;
uniform int uScreen;
uniform vec2 uTarget;
uniform int uFogMode;
uniform vec2 uFogRange;
// Pixel centres sit on whole coordinates in the layer's convention and half
// way in GL's; edges that pass exactly through centres must keep the
// top-left rule with y running down, so y moves a sixty-fourth less.
const vec2 kCentre = vec2(0.5, 0.5 - 1.0 / 64.0);
SHADE out vec4 vDiffuse;
SHADE out vec4 vSpecular;
out vec2 vUv[2];
out float vFog;
out float vDepth;
// A depth-only draw and the same geometry's colour draw after it must land
// on the same depths, whichever fragment program each is linked with.
invariant gl_Position;
void main() {
  vec4 clip;
  if (uScreen == 1) {
    float w = aPos.w > 0.0 ? 1.0 / aPos.w : 1.0;
    vec2 ndc = vec2((aPos.x + kCentre.x) * 2.0 / uTarget.x - 1.0,
                    1.0 - (aPos.y + kCentre.y) * 2.0 / uTarget.y);
    clip = vec4(ndc * w, (2.0 * aPos.z - 1.0) * w, w);
  } else {
    clip = vec4(aPos.xyz, 1.0) * uMatrix;
    clip.xy += vec2(2.0 * kCentre.x / uTarget.x, -2.0 * kCentre.y / uTarget.y) * clip.w;
    clip.z = 2.0 * clip.z - clip.w;
  }
  vDepth = clip.w;
  gl_Position = clip;
  gl_PointSize = 1.0;
  vDiffuse = aDiffuse;
  vSpecular = aSpecular;
  vUv[0] = aUv0;
  vUv[1] = aUv1;
  vFog = 1.0;
  if (uFogMode == 2) vFog = clamp((uFogRange.y - vDepth) / (uFogRange.y - uFogRange.x), 0.0, 1.0);
  if (uFogMode == 3) vFog = aSpecular.a;
}
)";

// The fragment program is made for one set of stage, alpha-test, specular
// and fog states (the defines that FragmentDefines puts before this text),
// so a pixel runs only the arithmetic its states ask for. Without a graphics
// card every pixel is shaded on the processor, and one general program that
// branched on uniforms for each pixel cost most of the frame.
const char* kFragmentSource = R"(
SHADE in vec4 vDiffuse;
SHADE in vec4 vSpecular;
in vec2 vUv[2];
in float vFog;
in float vDepth;
uniform sampler2D uTex0;
uniform sampler2D uTex1;
uniform vec4 uFactor;
uniform float uAlphaRef;
uniform vec2 uFogRange;
uniform vec4 uFogColour;
out vec4 fragColour;
vec4 Arg(int a, vec4 tex, vec4 cur) {
  if (a == 0) return vDiffuse;
  if (a == 1) return cur;
  if (a == 2) return tex;
  if (a == 3) return uFactor;
  return vSpecular;
}
vec4 Op(int op, vec4 a1, vec4 a2, vec4 tex, vec4 cur) {
  if (op == 2) return a1;
  if (op == 3) return a2;
  if (op == 4) return a1 * a2;
  if (op == 5) return a1 * a2 * 2.0;
  if (op == 6) return a1 * a2 * 4.0;
  if (op == 7) return a1 + a2;
  if (op == 8) return a1 + a2 - 0.5;
  if (op == 9) return (a1 + a2 - 0.5) * 2.0;
  if (op == 10) return a1 - a2;
  if (op == 11) return a1 + a2 - a1 * a2;
  if (op == 12) return mix(a2, a1, vDiffuse.a);
  if (op == 13) return mix(a2, a1, tex.a);
  if (op == 14) return mix(a2, a1, uFactor.a);
  if (op == 15) return a1 + a2 * (1.0 - tex.a);
  if (op == 16) return mix(a2, a1, cur.a);
  return cur;
}
bool Passes(int f, float a, float r) {
  if (f == 1) return false;
  if (f == 2) return a < r;
  if (f == 3) return a == r;
  if (f == 4) return a <= r;
  if (f == 5) return a > r;
  if (f == 6) return a != r;
  if (f == 7) return a >= r;
  return true;
}
vec4 Stage(vec4 tex, vec4 cur, int cop, int ca1, int ca2, int aop, int aa1, int aa2) {
  vec4 c = clamp(Op(cop, Arg(ca1, tex, cur), Arg(ca2, tex, cur), tex, cur), 0.0, 1.0);
  vec4 a = aop == 1 ? cur : clamp(Op(aop, Arg(aa1, tex, cur), Arg(aa2, tex, cur), tex, cur), 0.0, 1.0);
  return vec4(c.rgb, a.a);
}
void main() {
#if DEPTH_ONLY
  fragColour = vec4(0.0);
  return;
#endif
  vec4 cur = vDiffuse;
#if STAGES > 0
  cur = Stage(TEX0, cur, COP0, CA10, CA20, AOP0, AA10, AA20);
#endif
#if STAGES > 1
  cur = Stage(TEX1, cur, COP1, CA11, CA21, AOP1, AA11, AA21);
#endif
#if SPECULAR
  cur.rgb = min(cur.rgb + vSpecular.rgb, vec3(1.0));
#endif
#if ALPHA_FUNC != 8
  if (!Passes(ALPHA_FUNC, floor(cur.a * 255.0 + 0.5), uAlphaRef)) discard;
#endif
#if FOG == 1
  cur.rgb = mix(uFogColour.rgb, cur.rgb,
                clamp((uFogRange.y - vDepth) / (uFogRange.y - uFogRange.x), 0.0, 1.0));
#elif FOG > 1
  cur.rgb = mix(uFogColour.rgb, cur.rgb, vFog);
#endif
  fragColour = cur;
}
)";

// What a fragment program is made for. Values the program treats alike are
// brought to one form, so that they share a program.
struct FragmentKey {
  struct StageKey {
    uint8_t cop = 1, ca1 = 0, ca2 = 0, aop = 1, aa1 = 0, aa2 = 0, hasTex = 0, coordSet = 0;
  };
  StageKey stage[2];
  uint8_t stages = 0, flat = 0, specular = 0, alphaFunc = 8, fog = 0;
  // Colour writes are off and nothing is discarded: the pixel needs no
  // shading (the depth test and write are fixed-function).
  uint8_t depthOnly = 0;

  uint64_t Packed() const {
    uint64_t k = 0;
    auto put = [&k](uint32_t value, int bits) { k = (k << bits) | value; };
    for (const StageKey& s : stage) {
      put(s.cop, 5), put(s.ca1, 3), put(s.ca2, 3), put(s.aop, 5), put(s.aa1, 3), put(s.aa2, 3);
      put(s.hasTex, 1), put(s.coordSet, 1);
    }
    put(stages, 2), put(flat, 1), put(specular, 1), put(alphaFunc, 4), put(fog, 2);
    put(depthOnly, 1);
    return k;
  }
};

// An operation the program does not know leaves the colour as it is (0);
// an argument past the factor reads the specular colour (4).
uint8_t OpKey(uint32_t op) { return op >= 1 && op <= 16 ? uint8_t(op) : 0; }
uint8_t ArgKey(uint32_t arg) { return uint8_t(std::min<uint32_t>(arg, 4)); }

std::string FragmentDefines(const FragmentKey& k) {
  std::string d;
  auto def = [&d](const std::string& name, int value) {
    d += "#define " + name + " " + std::to_string(value) + "\n";
  };
  def("STAGES", k.stages);
  for (int i = 0; i < 2; ++i) {
    const FragmentKey::StageKey& s = k.stage[i];
    const std::string n = std::to_string(i);
    def("COP" + n, s.cop), def("CA1" + n, s.ca1), def("CA2" + n, s.ca2);
    def("AOP" + n, s.aop), def("AA1" + n, s.aa1), def("AA2" + n, s.aa2);
    d += "#define TEX" + n + " " +
         (s.hasTex ? "texture(uTex" + n + ", vUv[" + std::to_string(s.coordSet) + "])"
                   : std::string("vec4(1.0)")) +
         "\n";
  }
  def("SPECULAR", k.specular);
  def("ALPHA_FUNC", k.alphaFunc);
  def("FOG", k.fog);
  def("DEPTH_ONLY", k.depthOnly);
  return d;
}

struct Program {
  GLuint name = 0;
  GLint matrix, screen, target, fogMode, fogRange, tex0, tex1, factor, alphaRef, fogColour;
};

GLuint Compile(GlFunctions& gl, GLenum type, const char* body, bool flat,
               const std::string& defines, std::string* error) {
  std::string source = std::string("#version 330 core\n#define SHADE ") + (flat ? "flat" : "") +
                       "\n" + defines + body;
  GLuint shader = gl.glCreateShader(type);
  const char* text = source.c_str();
  gl.glShaderSource(shader, 1, &text, nullptr);
  gl.glCompileShader(shader);
  GLint ok = 0;
  gl.glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    gl.glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
    if (error) *error = log;
    gl.glDeleteShader(shader);
    return 0;
  }
  return shader;
}

// Compiles and links one program; 0 with the log in *error when either
// stage fails.
GLuint LinkProgram(GlFunctions& gl, const char* vertex, const char* fragment, bool flat,
                   std::string* error, const std::string& fragmentDefines = {}) {
  GLuint vs = Compile(gl, GL_VERTEX_SHADER, vertex, flat, {}, error);
  GLuint fs = vs ? Compile(gl, GL_FRAGMENT_SHADER, fragment, flat, fragmentDefines, error) : 0;
  if (!vs || !fs) {
    if (vs) gl.glDeleteShader(vs);
    return 0;
  }
  GLuint name = gl.glCreateProgram();
  gl.glAttachShader(name, vs);
  gl.glAttachShader(name, fs);
  gl.glLinkProgram(name);
  gl.glDeleteShader(vs);
  gl.glDeleteShader(fs);
  GLint ok = 0;
  gl.glGetProgramiv(name, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    gl.glGetProgramInfoLog(name, sizeof(log), nullptr, log);
    if (error) *error = log;
    gl.glDeleteProgram(name);
    return 0;
  }
  return name;
}

bool BuildProgram(GlFunctions& gl, const FragmentKey& key, Program& p, std::string* error) {
  p.name = LinkProgram(gl, kVertexSource, kFragmentSource, key.flat != 0, error,
                       FragmentDefines(key));
  if (!p.name) return false;
  auto u = [&](const char* n) { return gl.glGetUniformLocation(p.name, n); };
  p.matrix = u("uMatrix"), p.screen = u("uScreen"), p.target = u("uTarget");
  p.fogMode = u("uFogMode"), p.fogRange = u("uFogRange"), p.tex0 = u("uTex0");
  p.tex1 = u("uTex1"), p.factor = u("uFactor"), p.alphaRef = u("uAlphaRef");
  p.fogColour = u("uFogColour");
  return true;
}

// The last step of presenting with a gamma ramp: one triangle over the
// window samples the finished picture and looks each channel up in the ramp.
const char* kPresentVertexSource = R"(
out vec2 vUv;
void main() {
  vec2 corner = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
  vUv = corner;
  gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";

const char* kPresentFragmentSource = R"(
in vec2 vUv;
uniform sampler2D uFrame;
uniform sampler2D uRamp;
out vec4 fragColour;
float Ramp(float v) { return texture(uRamp, vec2((v * 255.0 + 0.5) / 256.0, 0.5)).r; }
void main() {
  vec3 c = texture(uFrame, vUv).rgb;
  fragColour = vec4(Ramp(c.r), Ramp(c.g), Ramp(c.b), 1.0);
}
)";

struct PresentProgram {
  GLuint name = 0;
  GLint frame = -1, ramp = -1;
};

bool BuildPresentProgram(GlFunctions& gl, PresentProgram& p, std::string* error) {
  p.name = LinkProgram(gl, kPresentVertexSource, kPresentFragmentSource, false, error);
  if (!p.name) return false;
  p.frame = gl.glGetUniformLocation(p.name, "uFrame");
  p.ramp = gl.glGetUniformLocation(p.name, "uRamp");
  return true;
}

// ---- Resources -------------------------------------------------------------------

class GlDevice;

class GlBuffer : public GpuBuffer {
 public:
  GlBuffer(GlFunctions& gl, int32_t bytes) : gl_(gl), shadow_(size_t(bytes)) {
    gl_.glGenBuffers(1, &name_);
    gl_.glBindBuffer(GL_COPY_WRITE_BUFFER, name_);
    gl_.glBufferData(GL_COPY_WRITE_BUFFER, bytes, nullptr, GL_STREAM_DRAW);
  }
  ~GlBuffer() override { gl_.glDeleteBuffers(1, &name_); }
  int32_t Bytes() const override { return int32_t(shadow_.size()); }
  void* Lock(int32_t offset, int32_t bytes, uint32_t flags) override {
    if (locked_ || offset < 0 || bytes < 0 || int64_t(offset) + bytes > int64_t(shadow_.size()))
      return nullptr;
    locked_ = true;
    offset_ = offset, bytes_ = bytes, flags_ = flags;
    return shadow_.data() + offset;
  }
  void Unlock() override {
    if (!locked_) return;
    locked_ = false;
    gl_.glBindBuffer(GL_COPY_WRITE_BUFFER, name_);
    if (flags_ & kGpuLockDiscard)  // orphan the old storage so no draw waits on it
      gl_.glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(shadow_.size()), nullptr, GL_STREAM_DRAW);
    if (bytes_ <= 0) return;
    // The caller promised to write only what no pending draw reads. A plain
    // update of a buffer that queued draws use makes a driver without a
    // graphics card finish drawing them first, so that each batch of the
    // frame waited on the one before; unsynchronised, the frame is drawn
    // all at once, on all of its threads.
    if ((flags_ & kGpuLockNoOverwrite) && !(flags_ & kGpuLockDiscard)) {
      void* at = gl_.glMapBufferRange(GL_COPY_WRITE_BUFFER, offset_, bytes_,
                                      GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT |
                                          GL_MAP_INVALIDATE_RANGE_BIT);
      if (at) {
        std::memcpy(at, shadow_.data() + offset_, size_t(bytes_));
        if (gl_.glUnmapBuffer(GL_COPY_WRITE_BUFFER)) return;
      }
    }
    gl_.glBufferSubData(GL_COPY_WRITE_BUFFER, offset_, bytes_, shadow_.data() + offset_);
  }
  GLuint Name() const { return name_; }

 private:
  GlFunctions& gl_;
  GLuint name_ = 0;
  std::vector<uint8_t> shadow_;
  bool locked_ = false;
  int32_t offset_ = 0, bytes_ = 0;
  uint32_t flags_ = 0;
};

struct GlFormat {
  GLint internal;
  GLenum format, type;
};

GlFormat FormatOf(GpuFormat f) {
  switch (f) {
    case GpuFormat::A8R8G8B8: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    case GpuFormat::X8R8G8B8: return {GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    case GpuFormat::R5G6B5: return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    case GpuFormat::X1R5G5B5: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case GpuFormat::A1R5G5B5: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case GpuFormat::A4R4G4B4: return {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
    default: return {0, 0, 0};
  }
}

// Sixteen-bit texels widened to 0xAARRGGBB words, each channel's bits
// repeated into the low ones (so full scale stays full scale). llvmpipe
// samples eight-bit channels on its quickest paths.
bool IsSixteenBit(GpuFormat f) { return GpuFormatBytes(f) == 2; }

uint32_t Widen(int32_t bits, uint32_t value) {
  uint32_t v = value << (8 - bits);
  for (int32_t have = bits; have < 8; have += bits) v |= v >> bits;
  return v & 0xFF;
}

uint32_t WidenTexel(GpuFormat f, uint16_t p) {
  uint32_t a = 255, r, g, b;
  switch (f) {
    case GpuFormat::A4R4G4B4:
      a = Widen(4, p >> 12u), r = Widen(4, (p >> 8u) & 0xFu), g = Widen(4, (p >> 4u) & 0xFu);
      b = Widen(4, p & 0xFu);
      break;
    case GpuFormat::R5G6B5:
      r = Widen(5, p >> 11u), g = Widen(6, (p >> 5u) & 0x3Fu), b = Widen(5, p & 0x1Fu);
      break;
    default:  // A1R5G5B5, X1R5G5B5 (its alpha is read as 1 by the swizzle)
      a = (p & 0x8000u) ? 255 : 0;
      r = Widen(5, (p >> 10u) & 0x1Fu), g = Widen(5, (p >> 5u) & 0x1Fu), b = Widen(5, p & 0x1Fu);
      break;
  }
  return (a << 24) | (r << 16) | (g << 8) | b;
}

class GlTexture : public GpuTexture {
 public:
  GlTexture(GlFunctions* gl, int32_t width, int32_t height, int32_t levels, GpuFormat format)
      : gl_(gl), width_(width), height_(height), format_(format) {
    for (int32_t i = 0; i < levels; ++i)
      levels_.emplace_back(size_t(LevelWidth(i)) * size_t(LevelHeight(i)) *
                           size_t(GpuFormatBytes(format)));
    if (!gl_) return;  // system memory
    const GlFormat f = StoredFormat();
    gl_->glGenTextures(1, &name_);
    gl_->glBindTexture(GL_TEXTURE_2D, name_);
    gl_->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int32_t i = 0; i < levels; ++i)
      gl_->glTexImage2D(GL_TEXTURE_2D, i, f.internal, LevelWidth(i), LevelHeight(i), 0, f.format,
                        f.type, nullptr);
    gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels - 1);
    if (format == GpuFormat::X8R8G8B8 || format == GpuFormat::X1R5G5B5 ||
        format == GpuFormat::R5G6B5)
      gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
  }
  ~GlTexture() override {
    if (gl_ && name_) gl_->glDeleteTextures(1, &name_);
  }
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  int32_t Levels() const override { return int32_t(levels_.size()); }
  GpuFormat Format() const override { return format_; }
  void* Lock(int32_t level, int32_t* pitch) override {
    if (level < 0 || level >= Levels()) return nullptr;
    if (pitch) *pitch = LevelWidth(level) * GpuFormatBytes(format_);
    return levels_[size_t(level)].data();
  }
  void Unlock(int32_t level) override { Upload(level); }
  void Upload(int32_t level) {
    if (!gl_ || level < 0 || level >= Levels()) return;
    const GlFormat f = StoredFormat();
    const void* texels = levels_[size_t(level)].data();
    std::vector<uint32_t> wide;
    if (IsSixteenBit(format_)) {
      const size_t count = size_t(LevelWidth(level)) * size_t(LevelHeight(level));
      wide.resize(count);
      for (size_t i = 0; i < count; ++i) {
        uint16_t p;
        std::memcpy(&p, levels_[size_t(level)].data() + 2 * i, 2);
        wide[i] = WidenTexel(format_, p);
      }
      texels = wide.data();
    }
    gl_->glBindTexture(GL_TEXTURE_2D, name_);
    gl_->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl_->glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, LevelWidth(level), LevelHeight(level),
                         f.format, f.type, texels);
  }
  // What GL keeps: sixteen-bit texels are widened to eight bits a channel.
  GlFormat StoredFormat() const {
    return IsSixteenBit(format_) ? FormatOf(GpuFormat::A8R8G8B8) : FormatOf(format_);
  }
  std::vector<uint8_t>& Level(int32_t i) { return levels_[size_t(i)]; }
  GLuint Name() const { return name_; }
  int32_t LevelWidth(int32_t i) const { return std::max(1, width_ >> i); }
  int32_t LevelHeight(int32_t i) const { return std::max(1, height_ >> i); }

 private:
  GlFunctions* gl_;
  GLuint name_ = 0;
  int32_t width_, height_;
  GpuFormat format_;
  std::vector<std::vector<uint8_t>> levels_;
};

// ---- Device ----------------------------------------------------------------------

GLenum CompareOf(uint32_t c) {
  static const GLenum k[] = {GL_ALWAYS, GL_NEVER, GL_LESS,    GL_EQUAL, GL_LEQUAL,
                             GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
  return c < 9 ? k[c] : GL_ALWAYS;
}

GLenum BlendOf(uint32_t b) {
  static const GLenum k[] = {GL_ONE,       GL_ZERO,      GL_ONE,
                             GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA,
                             GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA,
                             GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR};
  return b < 11 ? k[b] : GL_ONE;
}

GLenum StencilOpOf(uint32_t o) {
  static const GLenum k[] = {GL_KEEP, GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR,
                             GL_DECR, GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP};
  return o < 9 ? k[o] : GL_KEEP;
}

void Multiply(const float* a, const float* b, float* out) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      float s = 0;
      for (int k = 0; k < 4; ++k) s += a[r * 4 + k] * b[k * 4 + c];
      out[r * 4 + c] = s;
    }
}

class GlDevice : public GpuDevice {
 public:
  GlDevice(SDL_Window* window, bool ownWindow, SDL_GLContext context, const GpuPresentParams& p)
      : window_(window), ownWindow_(ownWindow), context_(context), params_(p) {}
  ~GlDevice() override;
  bool Init(std::string* error);

  std::unique_ptr<GpuBuffer> CreateVertexBuffer(int32_t bytes, GpuVertexLayout) override {
    if (bytes <= 0) return nullptr;
    return std::make_unique<GlBuffer>(gl_, bytes);
  }
  std::unique_ptr<GpuBuffer> CreateIndexBuffer(int32_t bytes) override {
    if (bytes <= 0) return nullptr;
    return std::make_unique<GlBuffer>(gl_, bytes);
  }
  std::unique_ptr<GpuTexture> CreateTexture(int32_t width, int32_t height, int32_t levels,
                                            GpuFormat format, GpuPool pool) override {
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || !FormatOf(format).internal)
      return nullptr;
    if (levels <= 0) {
      levels = 1;
      for (int32_t s = std::max(width, height); s > 1; s >>= 1) ++levels;
    }
    return std::make_unique<GlTexture>(pool == GpuPool::Device ? &gl_ : nullptr, width, height,
                                       levels, format);
  }
  bool UpdateTexture(GpuTexture* source, GpuTexture* destination) override {
    auto* s = dynamic_cast<GlTexture*>(source);
    auto* d = dynamic_cast<GlTexture*>(destination);
    if (!s || !d || s->Width() != d->Width() || s->Height() != d->Height() ||
        s->Format() != d->Format())
      return false;
    for (int32_t i = 0; i < std::min(s->Levels(), d->Levels()); ++i) {
      d->Level(i) = s->Level(i);
      d->Upload(i);
    }
    return true;
  }
  int64_t AvailableTextureMemory() override { return int64_t(256) << 20; }

  void SetRenderState(GpuState state, uint32_t value) override {
    states_[size_t(state)] = value;
    stateDirty_ = true;
  }
  void SetStageState(int32_t stage, GpuStageState state, uint32_t value) override {
    if (stage < 0 || stage >= kGpuMaxStages) return;
    stages_[stage][size_t(state)] = value;
    stateDirty_ = true;
  }
  void SetTexture(int32_t stage, GpuTexture* texture) override {
    if (stage < 0 || stage >= kGpuMaxStages) return;
    textures_[stage] = dynamic_cast<GlTexture*>(texture);
  }
  void SetTransform(GpuTransform which, const float* m) override {
    std::memcpy(transforms_[size_t(which)], m, sizeof(float) * 16);
    matrixDirty_ = true;
  }
  void SetViewport(int32_t x, int32_t y, int32_t width, int32_t height, float, float) override {
    viewport_[0] = x, viewport_[1] = y, viewport_[2] = width, viewport_[3] = height;
  }
  void SetStreamSource(GpuBuffer* vertices, GpuVertexLayout layout) override {
    stream_ = dynamic_cast<GlBuffer*>(vertices);
    layout_ = layout;
    streamDirty_ = true;
  }
  void SetIndices(GpuBuffer* indices, int32_t baseVertex) override {
    indices_ = dynamic_cast<GlBuffer*>(indices);
    baseVertex_ = baseVertex;
    streamDirty_ = true;
  }
  bool ValidateDevice(int32_t* passes) override {
    int32_t stage = 0;
    while (stage < kGpuMaxStages &&
           stages_[stage][size_t(GpuStageState::ColourOp)] != kGpuOpDisable)
      ++stage;
    const bool ok = stage <= kGpuSampledStages;
    if (passes) *passes = ok ? 1 : 2;
    return ok;
  }
  bool BeginScene() override {
    if (inScene_) return false;
    inScene_ = true;
    return true;
  }
  bool EndScene() override {
    if (!inScene_) return false;
    inScene_ = false;
    return true;
  }
  void Clear(uint32_t flags, uint32_t colour, float depth, uint32_t stencil) override;
  void DrawIndexed(int32_t minIndex, int32_t vertexCount, int32_t startIndex,
                   int32_t primitiveCount) override;
  void Draw(GpuPrimitive type, int32_t startVertex, int32_t primitiveCount) override;
  void SetGammaRamp(const uint8_t* ramp) override;
  GpuResult Present() override;
  GpuResult TestCooperativeLevel() override { return GpuResult::Ok; }
  bool Reset(const GpuPresentParams& params) override;
  void GetBackBufferSize(int32_t* width, int32_t* height, GpuFormat* format) override {
    if (width) *width = params_.width;
    if (height) *height = params_.height;
    if (format) *format = GpuFormat::X8R8G8B8;
  }
  bool ReadBackBuffer(GpuImage& image) override;
  bool WriteBackBuffer(const GpuImage& image) override;

 private:
  bool MakeTarget(std::string* error);
  void FreeTarget();
  bool Prepare();  // states, program, stream before a draw
  FragmentKey CurrentKey() const;
  int32_t FogMode() const;
  const Program* ProgramFor(const FragmentKey& key);
  void ApplyFixedStates();
  void BindStream();
  void PresentThroughRamp(int width, int height);
  void ChooseTarget();

  SDL_Window* window_;
  bool ownWindow_;
  SDL_GLContext context_;
  GpuPresentParams params_;
  GlFunctions gl_;
  // One program for each set of states drawn with so far, made on first use.
  std::unordered_map<uint64_t, Program> programs_;
  PresentProgram present_;
  GLuint rampTexture_ = 0, presentVao_ = 0;
  bool rampOn_ = false;  // false: the picture is shown as drawn (a plain blit)
  GLuint vao_ = 0, fbo_ = 0, colour_ = 0, depth_ = 0;
  GLuint target_ = 0;  // where this frame is drawn: fbo_, or 0 for the window itself
  // Set by Present: the next frame's first drawing chooses its target again,
  // so a frame presented can still be read back from where it was drawn.
  bool chooseTarget_ = false;
  GLuint samplers_[kGpuSampledStages] = {};
  uint32_t states_[size_t(GpuState::Count)] = {};
  uint32_t stages_[kGpuMaxStages][size_t(GpuStageState::Count)] = {};
  float transforms_[3][16] = {};
  GlTexture* textures_[kGpuMaxStages] = {};
  int32_t viewport_[4] = {};
  GlBuffer* stream_ = nullptr;
  GlBuffer* indices_ = nullptr;
  GpuVertexLayout layout_ = GpuVertexLayout::Textured;
  int32_t baseVertex_ = 0;
  bool stateDirty_ = true, matrixDirty_ = true, streamDirty_ = true, inScene_ = false;
  float combined_[16] = {};
};

GlDevice::~GlDevice() {
  SDL_GL_MakeCurrent(window_, context_);
  FreeTarget();
  for (auto& [key, p] : programs_) gl_.glDeleteProgram(p.name);
  if (vao_) gl_.glDeleteVertexArrays(1, &vao_);
  if (presentVao_) gl_.glDeleteVertexArrays(1, &presentVao_);
  if (present_.name) gl_.glDeleteProgram(present_.name);
  if (rampTexture_) gl_.glDeleteTextures(1, &rampTexture_);
  if (samplers_[0]) gl_.glDeleteSamplers(kGpuSampledStages, samplers_);
  SDL_GL_DeleteContext(context_);
  if (ownWindow_) SDL_DestroyWindow(window_);
}

bool GlDevice::Init(std::string* error) {
  if (!gl_.Load()) {
    if (error) *error = "OpenGL entry points missing";
    return false;
  }
  // The defaults' program, made now so that a driver that cannot build it
  // fails the device's creation and not a draw.
  for (int flat = 0; flat < 2; ++flat) {
    FragmentKey key;
    key.flat = uint8_t(flat);
    Program p;
    if (!BuildProgram(gl_, key, p, error)) return false;
    programs_.emplace(key.Packed(), p);
  }
  if (!BuildPresentProgram(gl_, present_, error)) return false;
  gl_.glGenVertexArrays(1, &vao_);
  gl_.glGenVertexArrays(1, &presentVao_);
  gl_.glGenTextures(1, &rampTexture_);
  gl_.glBindTexture(GL_TEXTURE_2D, rampTexture_);
  gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  SetGammaRamp(nullptr);
  gl_.glGenSamplers(kGpuSampledStages, samplers_);
  gl_.glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);  // flat shading takes the first vertex
  gl_.glEnable(GL_PROGRAM_POINT_SIZE);
  if (!MakeTarget(error)) return false;
  ChooseTarget();
  viewport_[2] = params_.width, viewport_[3] = params_.height;
  for (auto& t : transforms_) t[0] = t[5] = t[10] = t[15] = 1.0f;
  // The layer's defaults: depth on, less-equal, solid, cull counter-clockwise,
  // stage 0 modulating texture by diffuse, the other stages off.
  SetRenderState(GpuState::ZEnable, 1);
  SetRenderState(GpuState::ZWriteEnable, 1);
  SetRenderState(GpuState::ZFunc, kGpuLessEqual);
  SetRenderState(GpuState::FillMode, kGpuFillSolid);
  SetRenderState(GpuState::ShadeMode, kGpuShadeGouraud);
  SetRenderState(GpuState::CullMode, kGpuCullCounterClockwise);
  SetRenderState(GpuState::SrcBlend, kGpuBlendOne);
  SetRenderState(GpuState::DestBlend, kGpuBlendZero);
  SetRenderState(GpuState::AlphaFunc, kGpuAlways);
  SetRenderState(GpuState::StencilFunc, kGpuAlways);
  SetRenderState(GpuState::StencilMask, 0xFFFFFFFFu);
  SetRenderState(GpuState::StencilWriteMask, 0xFFFFFFFFu);
  for (int32_t s = 0; s < kGpuMaxStages; ++s) {
    auto& st = stages_[s];
    st[size_t(GpuStageState::ColourOp)] = s == 0 ? kGpuOpModulate : kGpuOpDisable;
    st[size_t(GpuStageState::ColourArg1)] = kGpuArgTexture;
    st[size_t(GpuStageState::ColourArg2)] = kGpuArgCurrent;
    st[size_t(GpuStageState::AlphaOp)] = s == 0 ? kGpuOpSelectArg1 : kGpuOpDisable;
    st[size_t(GpuStageState::AlphaArg1)] = kGpuArgTexture;
    st[size_t(GpuStageState::AlphaArg2)] = kGpuArgCurrent;
    st[size_t(GpuStageState::TexCoordIndex)] = uint32_t(s);
    st[size_t(GpuStageState::AddressU)] = st[size_t(GpuStageState::AddressV)] = kGpuWrap;
    st[size_t(GpuStageState::MagFilter)] = st[size_t(GpuStageState::MinFilter)] = kGpuFilterPoint;
  }
  return true;
}

bool GlDevice::MakeTarget(std::string* error) {
  gl_.glGenFramebuffers(1, &fbo_);
  gl_.glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  gl_.glGenTextures(1, &colour_);
  gl_.glBindTexture(GL_TEXTURE_2D, colour_);
  gl_.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, params_.width, params_.height, 0, GL_BGRA,
                   GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
  gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  gl_.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
  gl_.glGenRenderbuffers(1, &depth_);
  gl_.glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  gl_.glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, params_.width, params_.height);
  gl_.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                depth_);
  if (gl_.glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    if (error) *error = "the off-screen target is incomplete";
    return false;
  }
  return true;
}

void GlDevice::FreeTarget() {
  if (fbo_) gl_.glDeleteFramebuffers(1, &fbo_);
  if (colour_) gl_.glDeleteTextures(1, &colour_);
  if (depth_) gl_.glDeleteRenderbuffers(1, &depth_);
  fbo_ = colour_ = depth_ = 0;
}

bool GlDevice::Reset(const GpuPresentParams& params) {
  params_ = params;
  FreeTarget();
  if (!MakeTarget(nullptr)) return false;
  ChooseTarget();
  return true;
}

// Copying the finished picture into the window costs a full-screen pass
// without a graphics card, so a frame is drawn straight into the window when
// the window holds it as the off-screen target would: same size, eight bits a
// colour channel, a 24-bit depth and 8-bit stencil buffer, and no gamma ramp
// to apply on the way. Otherwise it is drawn off-screen and copied.
void GlDevice::ChooseTarget() {
  target_ = fbo_;
  chooseTarget_ = false;
  if (rampOn_) return;
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(window_, &w, &h);
  if (w != params_.width || h != params_.height) return;
  gl_.glBindFramebuffer(GL_FRAMEBUFFER, 0);
  const auto bits = [&](GLenum attachment, GLenum what) {
    GLint n = 0;
    gl_.glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, what, &n);
    return n;
  };
  const bool colour = bits(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE) == 8 &&
                      bits(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE) == 8 &&
                      bits(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE) == 8;
  const bool depth = bits(GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE) == 24 &&
                     bits(GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE) == 8;
  while (gl_.glGetError() != GL_NO_ERROR) {
  }
  if (colour && depth) target_ = 0;
}

void GlDevice::ApplyFixedStates() {
  const auto s = [&](GpuState st) { return states_[size_t(st)]; };
  // Behind everything: every fragment at depth 1, the cleared depth, so it
  // passes only where nothing nearer has been drawn.
  const bool behind = s(GpuState::BehindAll) != 0;
  const bool depth = behind || s(GpuState::ZEnable) != 0;
  depth ? gl_.glEnable(GL_DEPTH_TEST) : gl_.glDisable(GL_DEPTH_TEST);
  gl_.glDepthFunc(behind ? GL_LEQUAL : CompareOf(s(GpuState::ZFunc)));
  gl_.glDepthMask(!behind && s(GpuState::ZWriteEnable) ? GL_TRUE : GL_FALSE);
  gl_.glDepthRange(behind ? 1.0 : 0.0, 1.0);
  // "Clockwise" is as seen on screen; window y runs the same way in both
  // conventions here (no flip), so faces keep their turning sense.
  const uint32_t cull = s(GpuState::CullMode);
  if (cull == kGpuCullClockwise || cull == kGpuCullCounterClockwise) {
    gl_.glEnable(GL_CULL_FACE);
    gl_.glCullFace(GL_BACK);
    gl_.glFrontFace(cull == kGpuCullClockwise ? GL_CCW : GL_CW);
  } else {
    gl_.glDisable(GL_CULL_FACE);
  }
  const GLboolean colour = s(GpuState::DepthOnly) ? GL_FALSE : GL_TRUE;
  gl_.glColorMask(colour, colour, colour, colour);
  gl_.glPolygonMode(GL_FRONT_AND_BACK, s(GpuState::FillMode) == kGpuFillWireframe ? GL_LINE
                                       : s(GpuState::FillMode) == kGpuFillPoint  ? GL_POINT
                                                                                 : GL_FILL);
  if (s(GpuState::AlphaBlendEnable)) {
    gl_.glEnable(GL_BLEND);
    gl_.glBlendFunc(BlendOf(s(GpuState::SrcBlend)), BlendOf(s(GpuState::DestBlend)));
  } else {
    gl_.glDisable(GL_BLEND);
  }
  if (s(GpuState::StencilEnable)) {
    gl_.glEnable(GL_STENCIL_TEST);
    gl_.glStencilFunc(CompareOf(s(GpuState::StencilFunc)), GLint(s(GpuState::StencilRef)),
                      s(GpuState::StencilMask));
    gl_.glStencilOp(StencilOpOf(s(GpuState::StencilFail)), StencilOpOf(s(GpuState::StencilZFail)),
                    StencilOpOf(s(GpuState::StencilPass)));
    gl_.glStencilMask(s(GpuState::StencilWriteMask));
  } else {
    gl_.glDisable(GL_STENCIL_TEST);
  }
  s(GpuState::DitherEnable) ? gl_.glEnable(GL_DITHER) : gl_.glDisable(GL_DITHER);
  for (int32_t i = 0; i < kGpuSampledStages; ++i) {
    const auto& st = stages_[i];
    const uint32_t minF = st[size_t(GpuStageState::MinFilter)];
    const uint32_t mip = st[size_t(GpuStageState::MipFilter)];
    GLint min = minF == kGpuFilterLinear ? GL_LINEAR : GL_NEAREST;
    if (mip == kGpuFilterPoint)
      min = minF == kGpuFilterLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    if (mip == kGpuFilterLinear)
      min = minF == kGpuFilterLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    auto wrap = [](uint32_t a) {
      return GLint(a == kGpuClamp    ? GL_CLAMP_TO_EDGE
                   : a == kGpuBorder ? GL_CLAMP_TO_BORDER
                   : a == kGpuMirror ? GL_MIRRORED_REPEAT
                                     : GL_REPEAT);
    };
    gl_.glSamplerParameteri(samplers_[i], GL_TEXTURE_MIN_FILTER, min);
    gl_.glSamplerParameteri(samplers_[i], GL_TEXTURE_MAG_FILTER,
                            st[size_t(GpuStageState::MagFilter)] == kGpuFilterLinear ? GL_LINEAR
                                                                                     : GL_NEAREST);
    gl_.glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_S, wrap(st[size_t(GpuStageState::AddressU)]));
    gl_.glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_T, wrap(st[size_t(GpuStageState::AddressV)]));
    gl_.glSamplerParameterf(samplers_[i], GL_TEXTURE_LOD_BIAS,
                            GpuBitsFloat(st[size_t(GpuStageState::MipLodBias)]));
  }
}

void GlDevice::BindStream() {
  gl_.glBindVertexArray(vao_);
  if (!stream_) return;
  gl_.glBindBuffer(GL_ARRAY_BUFFER, stream_->Name());
  if (indices_) gl_.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_->Name());
  const GLsizei stride = GpuVertexStride(layout_);
  const bool screen = layout_ == GpuVertexLayout::Screen;
  const size_t colours = screen ? 16 : 12;
  auto at = [](size_t offset) { return reinterpret_cast<const void*>(offset); };
  for (GLuint i = 0; i < 4; ++i) gl_.glEnableVertexAttribArray(i);
  gl_.glVertexAttribPointer(0, screen ? 4 : 3, GL_FLOAT, GL_FALSE, stride, at(0));
  gl_.glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, at(colours));
  gl_.glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, at(colours + 4));
  gl_.glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, at(colours + 8));
  if (layout_ == GpuVertexLayout::TwoTextures) {
    gl_.glEnableVertexAttribArray(4);
    gl_.glVertexAttribPointer(4, 2, GL_FLOAT, GL_FALSE, stride, at(colours + 16));
  } else {
    gl_.glDisableVertexAttribArray(4);
    gl_.glVertexAttrib2f(4, 0.0f, 0.0f);
  }
}

bool GlDevice::Prepare() {
  if (!stream_) return false;
  SDL_GL_MakeCurrent(window_, context_);
  if (chooseTarget_) ChooseTarget();
  gl_.glBindFramebuffer(GL_FRAMEBUFFER, target_);
  gl_.glViewport(viewport_[0], params_.height - viewport_[1] - viewport_[3], viewport_[2],
                 viewport_[3]);
  if (stateDirty_) ApplyFixedStates();
  if (streamDirty_) BindStream();
  streamDirty_ = false;
  const auto s = [&](GpuState st) { return states_[size_t(st)]; };
  const Program* program = ProgramFor(CurrentKey());
  if (!program) return false;
  const Program& p = *program;
  gl_.glUseProgram(p.name);
  if (matrixDirty_) {
    float wv[16];
    Multiply(transforms_[0], transforms_[1], wv);
    Multiply(wv, transforms_[2], combined_);
    matrixDirty_ = false;
  }
  gl_.glUniformMatrix4fv(p.matrix, 1, GL_TRUE, combined_);
  gl_.glUniform1i(p.screen, layout_ == GpuVertexLayout::Screen ? 1 : 0);
  gl_.glUniform2f(p.target, float(viewport_[2]), float(viewport_[3]));
  gl_.glUniform1i(p.fogMode, FogMode());
  gl_.glUniform2f(p.fogRange, GpuBitsFloat(s(GpuState::FogStart)),
                  GpuBitsFloat(s(GpuState::FogEnd)));
  const uint32_t fc = s(GpuState::FogColour);
  gl_.glUniform4f(p.fogColour, float((fc >> 16) & 0xFF) / 255.0f, float((fc >> 8) & 0xFF) / 255.0f,
                  float(fc & 0xFF) / 255.0f, 1.0f);
  const uint32_t tf = s(GpuState::TextureFactor);
  gl_.glUniform4f(p.factor, float((tf >> 16) & 0xFF) / 255.0f, float((tf >> 8) & 0xFF) / 255.0f,
                  float(tf & 0xFF) / 255.0f, float(tf >> 24) / 255.0f);
  gl_.glUniform1f(p.alphaRef, float(s(GpuState::AlphaRef) & 0xFF));
  for (int32_t i = 0; i < kGpuSampledStages; ++i) {
    gl_.glActiveTexture(GL_TEXTURE0 + GLenum(i));
    gl_.glBindTexture(GL_TEXTURE_2D, textures_[i] ? textures_[i]->Name() : 0);
    gl_.glBindSampler(GLuint(i), samplers_[i]);
  }
  gl_.glUniform1i(p.tex0, 0);
  gl_.glUniform1i(p.tex1, 1);
  stateDirty_ = false;
  return true;
}

int32_t GlDevice::FogMode() const {
  const auto s = [&](GpuState st) { return states_[size_t(st)]; };
  if (!s(GpuState::FogEnable)) return 0;
  return s(GpuState::FogTableMode) == kGpuFogLinear    ? 1
         : s(GpuState::FogVertexMode) == kGpuFogLinear ? 2
                                                       : 3;
}

FragmentKey GlDevice::CurrentKey() const {
  const auto s = [&](GpuState st) { return states_[size_t(st)]; };
  FragmentKey k;
  const uint32_t func = s(GpuState::AlphaFunc);
  const bool alphaTest = s(GpuState::AlphaTestEnable) && func >= kGpuNever && func < kGpuAlways;
  if (s(GpuState::DepthOnly) && !alphaTest) {
    k.depthOnly = 1;
    return k;
  }
  k.flat = s(GpuState::ShadeMode) == kGpuShadeFlat ? 1 : 0;
  for (int32_t i = 0; i < kGpuSampledStages; ++i) {
    const auto& st = stages_[i];
    if (st[size_t(GpuStageState::ColourOp)] == kGpuOpDisable) break;
    FragmentKey::StageKey& sk = k.stage[i];
    sk.cop = OpKey(st[size_t(GpuStageState::ColourOp)]);
    sk.ca1 = ArgKey(st[size_t(GpuStageState::ColourArg1)]);
    sk.ca2 = ArgKey(st[size_t(GpuStageState::ColourArg2)]);
    sk.aop = OpKey(st[size_t(GpuStageState::AlphaOp)]);
    if (sk.aop != kGpuOpDisable) {
      sk.aa1 = ArgKey(st[size_t(GpuStageState::AlphaArg1)]);
      sk.aa2 = ArgKey(st[size_t(GpuStageState::AlphaArg2)]);
    }
    sk.hasTex = textures_[i] ? 1 : 0;
    sk.coordSet = sk.hasTex ? uint8_t(st[size_t(GpuStageState::TexCoordIndex)] & 1) : 0;
    k.stages = uint8_t(i + 1);
  }
  k.specular = s(GpuState::SpecularEnable) ? 1 : 0;
  if (alphaTest) k.alphaFunc = uint8_t(func);
  k.fog = uint8_t(FogMode());
  return k;
}

const Program* GlDevice::ProgramFor(const FragmentKey& key) {
  const uint64_t packed = key.Packed();
  auto found = programs_.find(packed);
  if (found != programs_.end()) return &found->second;
  Program p;
  if (!BuildProgram(gl_, key, p, nullptr)) return nullptr;
  return &programs_.emplace(packed, p).first->second;
}

void GlDevice::Clear(uint32_t flags, uint32_t colour, float depth, uint32_t stencil) {
  SDL_GL_MakeCurrent(window_, context_);
  if (chooseTarget_) ChooseTarget();
  gl_.glBindFramebuffer(GL_FRAMEBUFFER, target_);
  GLbitfield mask = 0;
  if (flags & kGpuClearColour) {
    gl_.glClearColor(float((colour >> 16) & 0xFF) / 255.0f, float((colour >> 8) & 0xFF) / 255.0f,
                     float(colour & 0xFF) / 255.0f, float(colour >> 24) / 255.0f);
    gl_.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (flags & kGpuClearDepth) {
    gl_.glClearDepth(depth);
    gl_.glDepthMask(GL_TRUE);  // clearing ignores the depth-write state
    mask |= GL_DEPTH_BUFFER_BIT;
  }
  if (flags & kGpuClearStencil) {
    gl_.glClearStencil(GLint(stencil));
    gl_.glStencilMask(0xFFFFFFFFu);
    mask |= GL_STENCIL_BUFFER_BIT;
  }
  if (mask) gl_.glClear(mask);
  stateDirty_ = true;
}

void GlDevice::DrawIndexed(int32_t, int32_t, int32_t startIndex, int32_t primitiveCount) {
  if (primitiveCount <= 0 || !indices_ || !Prepare()) return;
  gl_.glDrawElementsBaseVertex(GL_TRIANGLES, primitiveCount * 3, GL_UNSIGNED_SHORT,
                               reinterpret_cast<const void*>(size_t(startIndex) * 2), baseVertex_);
}

void GlDevice::Draw(GpuPrimitive type, int32_t startVertex, int32_t primitiveCount) {
  if (primitiveCount <= 0 || !Prepare()) return;
  switch (type) {
    case GpuPrimitive::PointList: gl_.glDrawArrays(GL_POINTS, startVertex, primitiveCount); break;
    case GpuPrimitive::LineStrip:
      gl_.glDrawArrays(GL_LINE_STRIP, startVertex, primitiveCount + 1);
      break;
    case GpuPrimitive::TriangleList:
      gl_.glDrawArrays(GL_TRIANGLES, startVertex, primitiveCount * 3);
      break;
  }
}

void GlDevice::SetGammaRamp(const uint8_t* ramp) {
  uint8_t table[256];
  rampOn_ = false;
  for (int i = 0; i < 256; ++i) {
    table[i] = ramp ? ramp[i] : uint8_t(i);
    rampOn_ = rampOn_ || table[i] != i;
  }
  SDL_GL_MakeCurrent(window_, context_);
  gl_.glBindTexture(GL_TEXTURE_2D, rampTexture_);
  gl_.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gl_.glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, 256, 1, 0, GL_RED, GL_UNSIGNED_BYTE, table);
}

// Draws the picture into the window through the ramp; the states it
// changes are set again before the next draw.
void GlDevice::PresentThroughRamp(int width, int height) {
  gl_.glBindFramebuffer(GL_FRAMEBUFFER, 0);
  gl_.glViewport(0, 0, width, height);
  gl_.glDisable(GL_DEPTH_TEST);
  gl_.glDisable(GL_BLEND);
  gl_.glDisable(GL_CULL_FACE);
  gl_.glDisable(GL_STENCIL_TEST);
  gl_.glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  gl_.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  gl_.glUseProgram(present_.name);
  gl_.glActiveTexture(GL_TEXTURE0);
  gl_.glBindTexture(GL_TEXTURE_2D, colour_);
  gl_.glBindSampler(0, 0);
  gl_.glActiveTexture(GL_TEXTURE1);
  gl_.glBindTexture(GL_TEXTURE_2D, rampTexture_);
  gl_.glBindSampler(1, 0);
  gl_.glUniform1i(present_.frame, 0);
  gl_.glUniform1i(present_.ramp, 1);
  gl_.glBindVertexArray(presentVao_);
  gl_.glDrawArrays(GL_TRIANGLES, 0, 3);
  stateDirty_ = streamDirty_ = true;
}

GpuResult GlDevice::Present() {
  SDL_GL_MakeCurrent(window_, context_);
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(window_, &w, &h);
  if (target_ == 0) {
    // Drawn straight into the window: nothing to copy.
  } else if (rampOn_) {
    PresentThroughRamp(w, h);
  } else {
    gl_.glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    gl_.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    gl_.glBlitFramebuffer(0, 0, params_.width, params_.height, 0, 0, w, h, GL_COLOR_BUFFER_BIT,
                          GL_LINEAR);
  }
  SDL_GL_SwapWindow(window_);
  gl_.glBindFramebuffer(GL_FRAMEBUFFER, target_);
  chooseTarget_ = true;
  return GpuResult::Ok;
}

bool GlDevice::ReadBackBuffer(GpuImage& image) {
  SDL_GL_MakeCurrent(window_, context_);
  const int32_t w = params_.width, h = params_.height;
  image.width = w, image.height = h, image.pitch = w * 4, image.format = GpuFormat::X8R8G8B8;
  image.pixels.reset(new uint8_t[size_t(w) * size_t(h) * 4]);
  gl_.glBindFramebuffer(GL_FRAMEBUFFER, target_);
  gl_.glPixelStorei(GL_PACK_ALIGNMENT, 4);
  gl_.glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, image.pixels.get());
  // GL hands the bottom row first; the layer's images start at the top.
  const size_t rowBytes = size_t(w) * 4;
  std::vector<uint8_t> row(rowBytes);
  for (int32_t y = 0; y < h / 2; ++y) {
    uint8_t* top = image.pixels.get() + size_t(y) * rowBytes;
    uint8_t* bottom = image.pixels.get() + size_t(h - 1 - y) * rowBytes;
    std::memcpy(row.data(), top, rowBytes);
    std::memcpy(top, bottom, rowBytes);
    std::memcpy(bottom, row.data(), rowBytes);
  }
  return true;
}

bool GlDevice::WriteBackBuffer(const GpuImage& image) {
  if (image.width != params_.width || image.height != params_.height || !image.pixels ||
      GpuFormatBytes(image.format) != 4)
    return false;
  SDL_GL_MakeCurrent(window_, context_);
  if (chooseTarget_) ChooseTarget();
  const int32_t w = image.width, h = image.height;
  std::vector<uint8_t> rows(size_t(w) * size_t(h) * 4);
  for (int32_t y = 0; y < h; ++y)
    std::memcpy(rows.data() + size_t(h - 1 - y) * size_t(w) * 4,
                image.pixels.get() + size_t(y) * size_t(image.pitch), size_t(w) * 4);
  gl_.glBindTexture(GL_TEXTURE_2D, colour_);
  gl_.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  gl_.glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                      rows.data());
  if (target_ == 0) {  // this frame is drawn in the window: the picture goes there
    gl_.glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    gl_.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    gl_.glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    gl_.glBindFramebuffer(GL_FRAMEBUFFER, target_);
  }
  return true;
}

// ---- System ----------------------------------------------------------------------

class GlGpuSystem : public GpuSystem {
 public:
  GlGpuSystem() {
    // With no display at all, SDL's offscreen driver (EGL) gives a GL context
    // without first waiting on window systems that are not there.
    if (!SDL_getenv("DISPLAY") && !SDL_getenv("WAYLAND_DISPLAY") && !SDL_getenv("SDL_VIDEODRIVER") &&
        !SDL_WasInit(SDL_INIT_VIDEO))
      SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    started_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  }
  ~GlGpuSystem() override {
    if (started_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  bool Started() const { return started_; }
  int32_t AdapterCount() override { return started_ ? std::max(0, SDL_GetNumVideoDisplays()) : 0; }
  bool GetAdapterIdentifier(int32_t adapter, GpuAdapterIdentifier& out) override {
    if (adapter < 0 || adapter >= AdapterCount()) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* name = SDL_GetDisplayName(adapter);
    out.driver = std::string("OpenGL on ") + (driver ? driver : "SDL");
    out.description = std::string("Display ") + (name ? name : "");
    return true;
  }
  // Each of the display's sizes at both depths: the layer draws into its own
  // target, so either depth can be shown. A display that lists no real size
  // (the offscreen driver) offers the usual ones.
  int32_t ModeCount(int32_t adapter) override { return 2 * int32_t(Sizes(adapter).size()); }
  bool GetMode(int32_t adapter, int32_t index, GpuDisplayMode& out) override {
    const std::vector<GpuDisplayMode> sizes = Sizes(adapter);
    if (index < 0 || index >= 2 * int32_t(sizes.size())) return false;
    out = sizes[size_t(index / 2)];
    out.format = index % 2 ? GpuFormat::X8R8G8B8 : GpuFormat::R5G6B5;
    return true;
  }
  bool GetCurrentMode(int32_t adapter, GpuDisplayMode& out) override {
    SDL_DisplayMode m;
    if (adapter < 0 || adapter >= AdapterCount() || SDL_GetDesktopDisplayMode(adapter, &m) != 0)
      return false;
    if (m.w <= 0 || m.h <= 0) m.w = 1024, m.h = 768;
    out = {m.w, m.h, m.refresh_rate,
           SDL_BITSPERPIXEL(m.format) == 16 ? GpuFormat::R5G6B5 : GpuFormat::X8R8G8B8};
    return true;
  }
  bool CheckDeviceType(int32_t adapter, GpuFormat display, GpuFormat backBuffer, bool) override {
    if (adapter < 0 || adapter >= AdapterCount()) return false;
    return (display == backBuffer && (display == GpuFormat::R5G6B5 ||
                                      display == GpuFormat::X1R5G5B5 ||
                                      display == GpuFormat::X8R8G8B8)) ||
           (display == GpuFormat::X8R8G8B8 && backBuffer == GpuFormat::A8R8G8B8);
  }
  bool CheckTextureFormat(int32_t adapter, GpuFormat, GpuFormat texture) override {
    return adapter >= 0 && adapter < AdapterCount() && FormatOf(texture).internal != 0;
  }
  bool GetCaps(int32_t adapter, GpuCaps& c) override {
    if (adapter < 0 || adapter >= AdapterCount()) return false;
    c = GpuCaps{};
    c.hardwareTransform = c.canRenderWindowed = c.linearMipFilter = c.mipLodBias = true;
    c.anisotropicFilter = false;
    c.vertexFog = c.tableFog = c.wFog = true;
    c.maxTextureWidth = c.maxTextureHeight = 4096;
    c.maxTextureRepeat = 8192;
    c.maxTextureBlendStages = kGpuMaxStages;
    c.maxSimultaneousTextures = kGpuSampledStages;
    c.guardBandLeft = c.guardBandTop = -8192;
    c.guardBandRight = c.guardBandBottom = 8192;
    return true;
  }
  std::unique_ptr<GpuDevice> CreateDevice(int32_t adapter, const GpuPresentParams& params,
                                          std::string* error) override {
    if (!started_ || adapter < 0 || adapter >= AdapterCount() || params.width <= 0 ||
        params.height <= 0) {
      if (error) *error = started_ ? "no such adapter or size" : SDL_GetError();
      return nullptr;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    RequestFrameBuffers();
    auto* window = static_cast<SDL_Window*>(params.window);
    const bool own = window == nullptr;
    if (own)
      window = SDL_CreateWindow("cityrun", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                params.width, params.height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
      if (error) *error = SDL_GetError();
      if (own && window) SDL_DestroyWindow(window);
      return nullptr;
    }
    SDL_GL_SetSwapInterval(0);
    auto device = std::make_unique<GlDevice>(window, own, context, params);
    if (!device->Init(error)) return nullptr;
    return device;
  }

 private:
  std::vector<GpuDisplayMode> Sizes(int32_t adapter) {
    std::vector<GpuDisplayMode> out;
    if (adapter < 0 || adapter >= AdapterCount()) return out;
    for (int32_t i = 0; i < SDL_GetNumDisplayModes(adapter); ++i) {
      SDL_DisplayMode m;
      if (SDL_GetDisplayMode(adapter, i, &m) == 0 && m.w > 0 && m.h > 0)
        out.push_back({m.w, m.h, m.refresh_rate, GpuFormat::X8R8G8B8});
    }
    if (out.empty())
      for (auto [w, h] : {std::pair{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}})
        out.push_back({w, h, 60, GpuFormat::X8R8G8B8});
    return out;
  }

  bool started_ = false;
};

}  // namespace

std::unique_ptr<GpuSystem> CreateGlGpuSystem() {
  auto system = std::make_unique<GlGpuSystem>();
  if (!system->Started()) return nullptr;
  return system;
}

void RequestFrameBuffers() {
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
}

void InstallGlGpu() { SetGpuSystemFactory([] { return CreateGlGpuSystem(); }); }

}  // namespace platform
