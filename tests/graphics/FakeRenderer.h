#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "engine/graphics/Graphics.h"

// A renderer that draws nothing, loads nothing and answers every call with success.
// The recording fakes of the tests derive from it and override what they watch.
class NullGraphics : public Graphics {
 public:
  bool Init() override { return true; }
  bool CreateDevice(uint32_t, uint32_t, bool, bool) override { return true; }
  void RegisterImageTypes() override {}
  void DetectWidescreen(uint32_t&, uint32_t&) override {}
  bool Release() override { return true; }
  bool ReleaseDevice() override { return true; }
  bool BeginFrame() override { return true; }
  void EndFrame() override {}
  void Clear(uint32_t, float, uint32_t, bool, bool, bool) override {}
  bool Present() override { return true; }
  void ResetRenderStates() override {}
  void SetDefaultTextureStages() override {}
  void SetTextureStage(uint32_t, TextureStageKind, TextureStageValue) override {}
  void SetRenderState(RenderState, uint32_t) override {}
  void SetTexture(uint32_t, Image*) override {}
  void SetTransform(TransformKind, const float[16]) override {}
  void SetViewport(const Viewport&) override {}
  void DrawArray(const ScreenVertex*, uint32_t, PrimitiveType) override {}
  void DrawIndexedArray(const ScreenVertex*, uint32_t, const uint16_t*, uint32_t,
                        PrimitiveType) override {}
  void DrawIndexedArray2(const ScreenVertex2*, uint32_t, const uint16_t*, uint32_t,
                         PrimitiveType) override {}
  void DrawArray3D(const WorldVertex*, uint32_t, PrimitiveType) override {}
  void DrawIndexedArray3D(const WorldVertex*, uint32_t, const uint16_t*, uint32_t,
                          PrimitiveType) override {}
  Image* LoadImage(const std::string&) override { return nullptr; }
  Image* LoadImageFromMemory(const void*, uint32_t) override { return nullptr; }
  DynamicImage* CreateDynamicImage(uint32_t, uint32_t, uint32_t) override { return nullptr; }
  Font* CreateFont(const std::string&) override { return nullptr; }
  AviImage* LoadMovie(const std::string&) override { return nullptr; }
  void DestroyMovie(AviImage*) override {}
  ImageCache* CreateCache(uint32_t, uint32_t, uint32_t) override { return nullptr; }
  Image* CreateComposite(uint32_t, uint32_t, uint32_t, const std::vector<CompositeLayer>&) override {
    return nullptr;
  }
  bool ResetDevice(uint32_t, uint32_t, bool) override { return true; }
};

// A renderer that draws nothing and records what it is asked: every call by name in
// order, the vertices of each DrawArray (and of each DrawIndexedArray, taken in index
// order), the render states, texture stages and transforms. Installs itself as the process-wide renderer while it lives.
class FakeRenderer : public NullGraphics {
 public:
  struct Draw {
    std::vector<ScreenVertex> vertices;
    PrimitiveType type;
  };
  struct StageCall {
    uint32_t stage;
    TextureStageKind kind;
    TextureStageValue value;
  };
  struct TransformCall {
    TransformKind kind;
    std::array<float, 16> matrix;
  };

  FakeRenderer(uint16_t w = 800, uint16_t h = 600) {
    width = w;
    height = h;
    previous_ = GetGraphics();
    SetGraphics(this);
  }
  ~FakeRenderer() override { SetGraphics(previous_); }

  bool Init() override { return Note("Init"), true; }
  bool BeginFrame() override { return Note("BeginFrame"), beginFrameResult; }
  void EndFrame() override { Note("EndFrame"); }
  void Clear(uint32_t color, float depth, uint32_t stencil, bool clearTarget, bool clearDepth,
             bool clearStencil) override {
    Note("Clear");
    clearColor = color;
    clearedTarget = clearTarget;
  }
  bool Present() override { return Note("Present"), true; }
  void ResetRenderStates() override { Note("ResetRenderStates"); }
  void SetDefaultTextureStages() override { Note("SetDefaultTextureStages"); }
  void SetTextureStage(uint32_t stage, TextureStageKind kind, TextureStageValue value) override {
    Note("SetTextureStage");
    stages.push_back({stage, kind, value});
  }
  void SetRenderState(RenderState state, uint32_t value) override {
    Note("SetRenderState");
    renderStates.emplace_back(state, value);
  }
  void SetTexture(uint32_t stage, Image* image) override {
    Note("SetTexture");
    textures.emplace_back(stage, image);
  }
  void SetTransform(TransformKind kind, const float matrix[16]) override {
    Note("SetTransform");
    TransformCall call{kind, {}};
    for (int i = 0; i < 16; ++i) call.matrix[static_cast<size_t>(i)] = matrix[i];
    transforms.push_back(call);
  }
  void SetViewport(const Viewport& viewport) override {
    Note("SetViewport");
    viewports.push_back(viewport);
  }
  void DrawArray(const ScreenVertex* vertices, uint32_t count, PrimitiveType type) override {
    Note("DrawArray");
    draws.push_back({std::vector<ScreenVertex>(vertices, vertices + count), type});
  }
  // Recorded as the vertices it draws, in index order.
  void DrawIndexedArray(const ScreenVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                        uint32_t indexCount, PrimitiveType type) override {
    Note("DrawIndexedArray");
    Draw draw{{}, type};
    for (uint32_t i = 0; i < indexCount; ++i) {
      if (indices[i] < vertexCount) draw.vertices.push_back(vertices[indices[i]]);
    }
    draws.push_back(std::move(draw));
  }

  // All vertices drawn, in order, across every DrawArray.
  std::vector<ScreenVertex> AllVertices() const {
    std::vector<ScreenVertex> all;
    for (const Draw& draw : draws) all.insert(all.end(), draw.vertices.begin(), draw.vertices.end());
    return all;
  }

  bool beginFrameResult = true;
  std::vector<std::string> calls;
  std::vector<Draw> draws;
  std::vector<StageCall> stages;
  std::vector<std::pair<RenderState, uint32_t>> renderStates;
  std::vector<std::pair<uint32_t, Image*>> textures;
  std::vector<TransformCall> transforms;
  std::vector<Viewport> viewports;
  uint32_t clearColor = 0;
  bool clearedTarget = false;

 private:
  void Note(const char* name) { calls.emplace_back(name); }
  Graphics* previous_ = nullptr;
};
