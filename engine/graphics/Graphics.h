#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "platform/win32/Handles.h"

class Image;
class Font;
class DynamicImage;
class AviImage;

// Pre-transformed vertex of the 2-D path: back-buffer pixels, rhw 1.
struct ScreenVertex {
  float x, y, z, rhw;
  uint32_t color;  // 0xAARRGGBB
  float u, v;
};
static_assert(sizeof(ScreenVertex) == 28);

// Pre-transformed vertex with two texture coordinate sets.
struct ScreenVertex2 {
  float x, y, z, rhw;
  uint32_t color;
  float u0, v0, u1, v1;
};
static_assert(sizeof(ScreenVertex2) == 36);

// Untransformed vertex of the 3-D path.
struct WorldVertex {
  float x, y, z;
  uint32_t color;
  float u, v;
};
static_assert(sizeof(WorldVertex) == 24);

enum PrimitiveType : uint32_t {
  PT_Points = 0,
  PT_Lines = 1,
  PT_LineStrip = 2,
  PT_Triangles = 3,
  PT_TriangleStrip = 4,
  PT_TriangleFan = 5,
};

enum RenderState : uint32_t {
  RS_AlphaBlend = 0,
  RS_AlphaTest = 1,
  RS_AlphaRef = 2,
  RS_Lighting = 3,
  RS_ZWrite = 4,
  RS_ZEnable = 5,
  RS_SrcBlend = 6,
  RS_DestBlend = 7,
  RS_CullMode = 8,
};

enum BlendFactor : uint32_t {
  BF_One = 3,
  BF_Zero = 4,
  BF_SrcColor = 5,
  BF_InvSrcColor = 6,
  BF_SrcAlpha = 7,
  BF_InvSrcAlpha = 8,
  BF_DestColor = 9,
  BF_InvDestColor = 10,
  BF_DestAlpha = 11,
  BF_InvDestAlpha = 12,
};

enum CullModeValue : uint32_t {
  CULL_Clockwise = 0,
  CULL_None = 2,
  CULL_CounterClockwise = 1,
};

enum TextureStageKind : uint32_t {
  TSK_ColorArg1 = 0,
  TSK_ColorArg2 = 1,
  TSK_AlphaArg1 = 2,
  TSK_AlphaArg2 = 3,
  TSK_ColorOp = 4,
  TSK_AlphaOp = 5,
};

enum TextureStageValue : uint32_t {
  TSV_Modulate = 0,
  TSV_Add = 1,
  TSV_SelectArg1 = 2,
  TSV_SelectArg2 = 3,
  TSV_Disable = 4,
  TSV_Diffuse = 5,
  TSV_Current = 6,
  TSV_Texture = 7,
  TSV_TFactor = 8,
};

enum TransformKind : uint32_t {
  TK_World = 0,
  TK_View = 1,
  TK_Projection = 2,
  TK_Texture0 = 3,  // ..TK_Texture0 + 7
};

struct Viewport {
  uint32_t x, y, width, height;
  float minZ, maxZ;
};

// Abstract render-to-texture target. Creating one registers it with the renderer
// (AddCache); destroying one unregisters it (RemoveCache).
class ImageCache {
 public:
  virtual ~ImageCache() = default;
  virtual bool Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel) = 0;
  virtual void Clear(uint32_t color) = 0;
  virtual bool BeginRender() = 0;
  virtual void EndRender() = 0;
  virtual void Release() = 0;
  virtual void Recreate() = 0;
  virtual void SetTexture(uint32_t stage) = 0;
};

// One layer of Graphics::CreateComposite.
struct CompositeLayer {
  Image* image = nullptr;
  int32_t x = 0;
  int32_t y = 0;
};

// The one abstract renderer of the system, reached through GetGraphics(). Its only
// implementation is Dx8Graphics. Screen positions and sizes given to the quad builders
// are fractions of the 800 x 600 play area.
class Graphics {
 public:
  Graphics() = default;
  virtual ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  virtual bool Init() = 0;
  virtual bool CreateDevice(uint32_t width, uint32_t height, bool fullscreen, bool useReference) = 0;
  virtual void RegisterImageTypes() = 0;
  virtual void DetectWidescreen(uint32_t& width, uint32_t& height) = 0;
  virtual bool Release() = 0;
  virtual bool ReleaseDevice() = 0;
  virtual bool SetResolution(uint32_t width, uint32_t height);
  virtual bool BeginFrame() = 0;
  virtual void EndFrame() = 0;
  virtual void Clear(uint32_t color, float depth, uint32_t stencil, bool clearTarget,
                     bool clearDepth, bool clearStencil) = 0;
  virtual bool Present() = 0;
  virtual void ResetRenderStates() = 0;
  virtual void SetDefaultTextureStages() = 0;
  virtual void SetTextureStage(uint32_t stage, TextureStageKind kind, TextureStageValue value) = 0;
  virtual void SetRenderState(RenderState state, uint32_t value) = 0;
  virtual void SetTexture(uint32_t stage, Image* image) = 0;
  virtual void SetTransform(TransformKind kind, const float matrix[16]) = 0;
  virtual void SetViewport(const Viewport& viewport) = 0;
  virtual void DrawArray(const ScreenVertex* vertices, uint32_t count, PrimitiveType type) = 0;
  virtual void DrawIndexedArray(const ScreenVertex* vertices, uint32_t vertexCount,
                                const uint16_t* indices, uint32_t indexCount,
                                PrimitiveType type) = 0;
  virtual void DrawIndexedArray2(const ScreenVertex2* vertices, uint32_t vertexCount,
                                 const uint16_t* indices, uint32_t indexCount,
                                 PrimitiveType type) = 0;
  virtual void DrawArray3D(const WorldVertex* vertices, uint32_t count, PrimitiveType type) = 0;
  virtual void DrawIndexedArray3D(const WorldVertex* vertices, uint32_t vertexCount,
                                  const uint16_t* indices, uint32_t indexCount,
                                  PrimitiveType type) = 0;
  virtual Image* LoadImage(const std::string& fileName) = 0;
  virtual Image* LoadImageFromMemory(const void* bytes, uint32_t size) = 0;
  virtual DynamicImage* CreateDynamicImage(uint32_t width, uint32_t height, uint32_t bitsPerPixel) = 0;
  virtual Font* CreateFont(const std::string& fontName) = 0;
  virtual AviImage* LoadMovie(const std::string& fileName) = 0;
  virtual void DestroyMovie(AviImage* movie) = 0;
  virtual ImageCache* CreateCache(uint32_t width, uint32_t height, uint32_t bitsPerPixel) = 0;
  virtual void SetFiltering(bool on);
  virtual Image* CreateComposite(uint32_t width, uint32_t height, uint32_t ignored,
                                 const std::vector<CompositeLayer>& layers) = 0;
  virtual void ReleaseResources();
  virtual void RestoreResources();
  virtual bool ResetDevice(uint32_t width, uint32_t height, bool fullscreen) = 0;

  // The window's client area changed size (a restore or a resize of the window). The
  // logical resolution stays 800 x 600: only the presentation, which fits the back buffer
  // into the client area, reads this size.
  void SetClientSize(uint32_t clientWidthPixels, uint32_t clientHeightPixels) {
    clientWidth = clientWidthPixels;
    clientHeight = clientHeightPixels;
  }

  // Releases, deletes and forgets the renderer; nothing when there is none.
  static void SHUTDOWN();

  // The next EndFrame writes "<name>.bmp" (at half size when asked).
  void TakeScreenshot(const std::string& name, bool halfSize);
  void AddCache(ImageCache* cache);
  void RemoveCache(ImageCache* cache);
  // Black bars outside the play area on a wider back buffer; called by EndFrame.
  void DrawBorders();

  uint16_t width = 0;
  uint16_t height = 0;
  bool windowed = false;
  bool filtering = false;
  uint32_t frameCount = 0;
  int32_t storedOffsetX = 0;
  int32_t storedOffsetY = 0;
  std::string screenshotName;
  bool screenshotHalfSize = false;
  // Frames that failed to write the pending screenshot; a request that keeps failing is
  // dropped after a few tries instead of being retried every frame.
  uint32_t screenshotAttempts = 0;
  HWND window = nullptr;
  int32_t cardClass = 3;
  std::vector<ImageCache*> caches;
  std::vector<AviImage*> movies;
  // The last client size the window reported (0 x 0 until it reports one).
  uint32_t clientWidth = 0;
  uint32_t clientHeight = 0;
};

// The renderer, or null before it is created and after SHUTDOWN.
Graphics* GetGraphics();
// Set by the renderer factory.
void SetGraphics(Graphics* graphics);
// The play area in pixels: the renderer's resolution, or the 800 x 600 area every
// renderer sets before one exists (quad builders and fonts work before the renderer).
void PlayAreaSize(float& width, float& height);

// A frame drawn outside the game flow's frames (the loading bar, the splash pages):
// filtering on, the default 2-D states, the whole target cleared to clearColor, draw()
// between the frame's begin and end, then presented; the filtering is put back after. A
// lost device begins no frame, and draw() is not called.
template <typename Draw>
void DrawStandaloneFrame(Graphics& graphics, uint32_t clearColor, Draw&& draw) {
  const bool filtering = graphics.filtering;
  graphics.SetFiltering(true);
  graphics.ResetRenderStates();
  graphics.Clear(clearColor, 1.0f, 0, true, true, true);
  if (graphics.BeginFrame()) {
    draw();
    graphics.EndFrame();
    graphics.Present();
  }
  graphics.SetFiltering(filtering);
}

// Process-wide play-area state read by every quad builder.
namespace screen {
extern int32_t g_offsetX;
extern int32_t g_offsetY;
extern float g_heightOverWidth;  // 0.75 at start
extern float g_widthOverHeight;  // 1.3333334 at start
extern bool g_pixelSnapping;     // false; nothing in the system turns it on
// The desktop is wide (width / height above 1.5 and width above 800): a full-screen
// request then runs as a desktop-sized window with a 960 x 600 back buffer. Set by the
// application at start; read by the application's mode switches and by the renderer.
extern bool g_wideScreen;
}  // namespace screen

// Maps a point of the window's client area (the coordinates of mouse messages) to the
// play area: fraction gets x and y as fractions of the 800 x 600 play area, each clamped
// to [0, 1]. It goes through the transform by which the renderer presents the back buffer
// into a client area of that size (uniform scale, centred, black bars) and then through
// the play area's offsets in the back buffer, so the cursor meets what is shown whatever
// the shape of the window. The client size is the one the window really has (the window
// layer's), which is what the renderer presents into. Returns false when the point lies
// outside the play area (on a bar).
bool WindowToPlayArea(float windowX, float windowY, int clientWidth, int clientHeight,
                      math::Vec2& fraction);

// Packs four [0, 1] floats into 0xAARRGGBB by truncation (no clamping: values wrap).
uint32_t PackColor(float r, float g, float b, float a);

// Quad builders: write into a caller-owned array and return the vertex count.
uint32_t BuildScreenQuad(const math::Vec2& position, const math::Vec2& size,
                         const math::Vec2& uv0, const math::Vec2& uv1, uint32_t color,
                         ScreenVertex* out);
// Corners in order top-left, bottom-left, top-right, bottom-right; uvs and colors may be null.
uint32_t BuildCornerQuad(const math::Vec2 corners[4], const math::Vec2* uvs,
                         const uint32_t* colors, ScreenVertex* out);
uint32_t BuildRotatedQuad(const math::Vec2& center, const math::Vec2& size, float angleDegrees,
                          const math::Vec2& uv0, const math::Vec2& uv1, uint32_t color,
                          ScreenVertex* out);
uint32_t BuildOrientedQuad(uint32_t orientation, const math::Vec2& position, const math::Vec2& size,
                           const math::Vec2& uv0, const math::Vec2& uv1, uint32_t color,
                           ScreenVertex* out);
// A textured band of the given half-width across the segment from..to (play-area
// fractions): 12 vertices, four triangles, the band split along its centre line so that
// the colours run from fromColor to toColor along it. The texture rectangle uv0..uv1
// covers the band, u across it and v along it (v0 at from). The half-width is measured
// in pixels of the play area's width on both axes. A segment of no length keeps its
// direction zero (no division by zero) and gives a band of no area. Returns 12.
uint32_t BuildLineQuad(const math::Vec2& from, const math::Vec2& to, float halfWidth,
                       uint32_t fromColor, uint32_t toColor, const math::Vec2& uv0,
                       const math::Vec2& uv1, ScreenVertex* out);
// A filled disc of 16 triangles; returns 48.
uint32_t BuildRing(const math::Vec2& center, float radius, uint32_t innerColor,
                   uint32_t outerColor, ScreenVertex* out);
