#pragma once

#include <string>

#include "engine/graphics/Graphics.h"
#include "platform/d3d8/D3D8.h"

// The renderer over Direct3D 8: device, window and frame (Dx8Graphics.cpp), its system
// report (Dx8SystemReport.cpp), render states and drawing (Dx8States.cpp), and images,
// render targets and screenshots (Dx8Images.cpp).
class Dx8Graphics final : public Graphics {
 public:
  // A screenshot that cannot be taken or written is tried again at the next frames, this
  // many times in all, then dropped.
  static constexpr uint32_t kScreenshotAttempts = 5;

  // The factory: when no renderer exists, makes a Dx8Graphics, stores it as the renderer
  // and registers the surface image types. Returns the renderer (the existing one when
  // there was one).
  static Graphics* Create();
  // The renderer as a Dx8Graphics, or null.
  static Dx8Graphics* Current();
  // That renderer's device, or null without one.
  static IDirect3DDevice8* CurrentDevice();

  Dx8Graphics();
  ~Dx8Graphics() override;

  bool Init() override;
  bool CreateDevice(uint32_t width, uint32_t height, bool fullscreen, bool useReference) override;
  void RegisterImageTypes() override;
  void DetectWidescreen(uint32_t& width, uint32_t& height) override;
  bool Release() override;
  bool ReleaseDevice() override;
  bool BeginFrame() override;
  void EndFrame() override;
  void Clear(uint32_t color, float depth, uint32_t stencil, bool clearTarget, bool clearDepth,
             bool clearStencil) override;
  bool Present() override;
  bool ResetDevice(uint32_t width, uint32_t height, bool fullscreen) override;

  void ResetRenderStates() override;
  void SetDefaultTextureStages() override;
  void SetTextureStage(uint32_t stage, TextureStageKind kind, TextureStageValue value) override;
  void SetRenderState(RenderState state, uint32_t value) override;
  void SetTexture(uint32_t stage, Image* image) override;
  void SetTransform(TransformKind kind, const float matrix[16]) override;
  void SetViewport(const Viewport& viewport) override;
  void SetFiltering(bool on) override;
  void DrawArray(const ScreenVertex* vertices, uint32_t count, PrimitiveType type) override;
  void DrawIndexedArray(const ScreenVertex* vertices, uint32_t vertexCount,
                        const uint16_t* indices, uint32_t indexCount,
                        PrimitiveType type) override;
  void DrawIndexedArray2(const ScreenVertex2* vertices, uint32_t vertexCount,
                         const uint16_t* indices, uint32_t indexCount,
                         PrimitiveType type) override;
  void DrawArray3D(const WorldVertex* vertices, uint32_t count, PrimitiveType type) override;
  void DrawIndexedArray3D(const WorldVertex* vertices, uint32_t vertexCount,
                          const uint16_t* indices, uint32_t indexCount,
                          PrimitiveType type) override;

  // Null for an empty name, a name without a three-letter extension (both with a warning),
  // an extension that is no image (silently) or a file that cannot be loaded.
  Image* LoadImage(const std::string& fileName) override;
  Image* LoadImageFromMemory(const void* bytes, uint32_t size) override;
  // A Dx8DynamicImage of that size and depth, loaded; returned (the caller's) even when
  // its texture could not be made.
  DynamicImage* CreateDynamicImage(uint32_t width, uint32_t height, uint32_t bitsPerPixel) override;
  // A new, empty TrueType font (DX8Font) of that name; Resize makes it usable.
  Font* CreateFont(const std::string& fontName) override;
  // A Dx8AviImage, loaded, appended to the movie list and returned whatever the load
  // gave; it lives until DestroyMovie.
  AviImage* LoadMovie(const std::string& fileName) override;
  // Deletes a movie of the list and removes it; nothing for null or any other movie.
  void DestroyMovie(AviImage* movie) override;
  ImageCache* CreateCache(uint32_t width, uint32_t height, uint32_t bitsPerPixel) override;
  // An A8R8G8B8 image of the given size with every layer blended in, in list order, at its
  // pixel position (clipped to the image). Null when the texture cannot be made.
  Image* CreateComposite(uint32_t width, uint32_t height, uint32_t ignored,
                         const std::vector<CompositeLayer>& layers) override;

  // What the rest of the Direct3D back end reads.
  IDirect3DDevice8* Device() const { return device_; }
  bool DeviceLost() const { return deviceLost_; }
  bool SquareTexturesOnly() const { return squareTexturesOnly_; }
  bool Prefer16Bit() const { return prefer16Bit_; }
  uint32_t Adapter() const { return adapter_; }
  const D3DPRESENT_PARAMETERS& PresentParameters() const { return presentParameters_; }
  const D3DCAPS8& Caps() const { return caps_; }

 private:
  // Writes the system report to the log; false when no adapter gives its capabilities.
  bool WriteSystemReport();
  void BuildPresentParameters(uint32_t width, uint32_t height, bool fullscreen);
  void SetUpWindow(uint32_t width, uint32_t height, bool fullscreen);
  // Logs the three lines of a failed device creation.
  static void LogCreateFailure(HRESULT hr);
  // Writes the pending screenshot from the back buffer; false when it could not be taken
  // or written.
  bool WriteScreenshot();

  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  D3DDISPLAYMODE displayMode_{};
  D3DCAPS8 caps_{};
  D3DPRESENT_PARAMETERS presentParameters_{};
  bool deviceLost_ = true;
  bool prefer16Bit_ = false;
  bool squareTexturesOnly_ = false;
  uint32_t adapter_ = 0;
};

// The text of a Direct3D result for log lines ("no error" when there is none).
std::string DxErrorText(HRESULT hr);
