// Render states, the translation tables and the draw calls, on the recording device.

#include "engine/graphics/Image.h"
#include "engine/graphics/dx8/Dx8Tables.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/GraphicsTestSupport.h"

namespace gfxtest {
namespace {

using d3d8::DeviceCall;

TEST(Dx8TablesTest, RenderStatesAndTheirValues) {
  struct Case {
    uint32_t state, value;
    D3DRENDERSTATETYPE expectedState;
    uint32_t expectedValue;
  };
  const Case cases[] = {
      {RS_AlphaBlend, 1, D3DRS_ALPHABLENDENABLE, 1},
      {RS_AlphaTest, 0, D3DRS_ALPHATESTENABLE, 0},
      {RS_AlphaRef, 200, D3DRS_ALPHAREF, 200},
      {RS_Lighting, 0, D3DRS_LIGHTING, 0},
      {RS_ZWrite, 1, D3DRS_ZWRITEENABLE, 1},
      {RS_ZEnable, 1, D3DRS_ZENABLE, 1},
      {RS_SrcBlend, BF_One, D3DRS_SRCBLEND, D3DBLEND_ONE},
      {RS_SrcBlend, 2, D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},  // not a factor: source alpha
      {RS_DestBlend, BF_InvSrcAlpha, D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
      {RS_DestBlend, BF_Zero, D3DRS_DESTBLEND, D3DBLEND_ZERO},
      {RS_DestBlend, BF_InvDestAlpha, D3DRS_DESTBLEND, D3DBLEND_INVDESTALPHA},
      {RS_CullMode, 0, D3DRS_CULLMODE, D3DCULL_CW},
      {RS_CullMode, 1, D3DRS_CULLMODE, D3DCULL_CCW},
      {RS_CullMode, 2, D3DRS_CULLMODE, D3DCULL_NONE},
      {RS_CullMode, 9, D3DRS_CULLMODE, D3DCULL_CCW},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.state << " " << c.value);
    ASSERT_TRUE(dx8::RenderStateOf(c.state).has_value());
    EXPECT_EQ(*dx8::RenderStateOf(c.state), c.expectedState);
    EXPECT_EQ(dx8::RenderStateValueOf(c.state, c.value), c.expectedValue);
  }
  EXPECT_FALSE(dx8::RenderStateOf(9).has_value());
}

TEST(Dx8TablesTest, StagesTransformsAndPrimitives) {
  EXPECT_EQ(dx8::StageKindOf(TSK_ColorArg2), D3DTSS_COLORARG2);
  EXPECT_EQ(dx8::StageKindOf(TSK_AlphaOp), D3DTSS_ALPHAOP);
  EXPECT_EQ(dx8::StageKindOf(9), D3DTSS_COLOROP);
  EXPECT_EQ(dx8::StageValueOf(TSV_SelectArg2), static_cast<uint32_t>(D3DTOP_SELECTARG2));
  EXPECT_EQ(dx8::StageValueOf(TSV_Texture), D3DTA_TEXTURE);
  EXPECT_EQ(dx8::StageValueOf(TSV_Diffuse), D3DTA_DIFFUSE);
  EXPECT_EQ(dx8::StageValueOf(42), static_cast<uint32_t>(D3DTOP_MODULATE));
  EXPECT_EQ(dx8::TransformOf(TK_World), D3DTS_WORLD);
  EXPECT_EQ(dx8::TransformOf(TK_Projection), D3DTS_PROJECTION);
  EXPECT_EQ(dx8::TransformOf(TK_Texture0 + 7), D3DTS_TEXTURE7);
  EXPECT_EQ(dx8::TransformOf(11), D3DTS_VIEW);

  struct Case {
    uint32_t type, n;
    D3DPRIMITIVETYPE primitive;
    uint32_t count;
  };
  const Case cases[] = {
      {PT_Points, 5, D3DPT_POINTLIST, 5},        {PT_Lines, 5, D3DPT_LINELIST, 2},
      {PT_LineStrip, 5, D3DPT_LINESTRIP, 4},     {PT_Triangles, 7, D3DPT_TRIANGLELIST, 2},
      {PT_TriangleStrip, 5, D3DPT_TRIANGLESTRIP, 3}, {PT_TriangleFan, 5, D3DPT_TRIANGLEFAN, 4},
      {9, 6, D3DPT_TRIANGLELIST, 2},
      // Too few vertices for one primitive draw nothing rather than a wrapped count.
      {PT_LineStrip, 0, D3DPT_LINESTRIP, 0},     {PT_TriangleStrip, 1, D3DPT_TRIANGLESTRIP, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dx8::PrimitiveOf(c.type), c.primitive) << c.type;
    EXPECT_EQ(dx8::PrimitiveCount(c.type, c.n), c.count) << c.type << " " << c.n;
  }
}

class Dx8StatesTest : public RecordingGraphicsTest {
 protected:
  void SetUp() override {
    RecordingGraphicsTest::SetUp();
    ASSERT_TRUE(StartDevice());
    ASSERT_TRUE(Device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture_) ==
                D3D_OK);
    Device()->ClearCalls();
  }
  void TearDown() override {
    if (texture_) texture_->Release();
    RecordingGraphicsTest::TearDown();
  }
  IDirect3DTexture8* texture_ = nullptr;
};

TEST_F(Dx8StatesTest, TheDefaultTwoDStateBlock) {
  // Start from something else, then reset.
  Device()->SetRenderState(D3DRS_ALPHAREF, 0);
  Device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  Device()->SetRenderState(D3DRS_ZENABLE, 1);
  Device()->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  Device()->SetTexture(0, texture_);
  Device()->SetTexture(1, texture_);
  graphics_->filtering = true;
  graphics_->ResetRenderStates();

  const d3d8::DeviceState& s = Device()->State();
  EXPECT_EQ(s.RenderState(D3DRS_LIGHTING), 0u);
  EXPECT_EQ(s.RenderState(D3DRS_ALPHABLENDENABLE), 1u);
  EXPECT_EQ(s.RenderState(D3DRS_SRCBLEND), static_cast<uint32_t>(D3DBLEND_SRCALPHA));
  EXPECT_EQ(s.RenderState(D3DRS_DESTBLEND), static_cast<uint32_t>(D3DBLEND_INVSRCALPHA));
  EXPECT_EQ(s.RenderState(D3DRS_ALPHATESTENABLE), 1u);
  EXPECT_EQ(s.RenderState(D3DRS_ALPHAREF), 16u);
  EXPECT_EQ(s.RenderState(D3DRS_ALPHAFUNC), static_cast<uint32_t>(D3DCMP_GREATER));
  EXPECT_EQ(s.RenderState(D3DRS_CULLMODE), static_cast<uint32_t>(D3DCULL_CCW));
  EXPECT_EQ(s.RenderState(D3DRS_FILLMODE), static_cast<uint32_t>(D3DFILL_SOLID));
  EXPECT_EQ(s.RenderState(D3DRS_ZENABLE), 0u);
  EXPECT_EQ(s.RenderState(D3DRS_ZWRITEENABLE), 0u);
  EXPECT_EQ(s.RenderState(D3DRS_FOGENABLE), 0u);
  EXPECT_EQ(s.RenderState(D3DRS_WRAP0), 0u);
  EXPECT_EQ(s.StageState(0, D3DTSS_COLOROP), static_cast<uint32_t>(D3DTOP_MODULATE));
  EXPECT_EQ(s.StageState(0, D3DTSS_COLORARG1), D3DTA_TEXTURE);
  EXPECT_EQ(s.StageState(0, D3DTSS_COLORARG2), D3DTA_DIFFUSE);
  EXPECT_EQ(s.StageState(0, D3DTSS_ALPHAOP), static_cast<uint32_t>(D3DTOP_MODULATE));
  EXPECT_EQ(s.StageState(0, D3DTSS_ALPHAARG1), D3DTA_TEXTURE);
  EXPECT_EQ(s.StageState(0, D3DTSS_ALPHAARG2), D3DTA_DIFFUSE);
  EXPECT_EQ(s.StageState(1, D3DTSS_COLOROP), static_cast<uint32_t>(D3DTOP_DISABLE));
  EXPECT_EQ(s.StageState(1, D3DTSS_ALPHAOP), static_cast<uint32_t>(D3DTOP_DISABLE));
  EXPECT_EQ(s.textures[0], nullptr);
  EXPECT_EQ(s.textures[1], nullptr);
  EXPECT_EQ(s.StageState(0, D3DTSS_MAGFILTER), static_cast<uint32_t>(D3DTEXF_LINEAR));

  graphics_->SetFiltering(false);
  EXPECT_EQ(s.StageState(0, D3DTSS_MINFILTER), static_cast<uint32_t>(D3DTEXF_POINT));
  EXPECT_FALSE(graphics_->filtering);
}

TEST_F(Dx8StatesTest, SettersGoThroughTheTables) {
  graphics_->SetRenderState(RS_SrcBlend, 2);
  graphics_->SetRenderState(RS_CullMode, 1);
  graphics_->SetRenderState(static_cast<RenderState>(9), 1);
  graphics_->SetTextureStage(0, static_cast<TextureStageKind>(9), TSV_Add);
  graphics_->SetTextureStage(1, TSK_AlphaArg1, static_cast<TextureStageValue>(42));
  const auto states = Device()->CallsOf(DeviceCall::SetRenderState);
  ASSERT_EQ(states.size(), 2u);
  EXPECT_EQ(states[0]->type, static_cast<uint32_t>(D3DRS_SRCBLEND));
  EXPECT_EQ(states[0]->value, static_cast<uint32_t>(D3DBLEND_SRCALPHA));
  EXPECT_EQ(states[1]->value, static_cast<uint32_t>(D3DCULL_CCW));
  const auto stages = Device()->CallsOf(DeviceCall::SetTextureStageState);
  ASSERT_EQ(stages.size(), 2u);
  EXPECT_EQ(stages[0]->type, static_cast<uint32_t>(D3DTSS_COLOROP));
  EXPECT_EQ(stages[0]->value, static_cast<uint32_t>(D3DTOP_ADD));
  EXPECT_EQ(stages[1]->stage, 1u);
  EXPECT_EQ(stages[1]->value, static_cast<uint32_t>(D3DTOP_MODULATE));

  float matrix[16] = {};
  matrix[12] = 5;  // translation x, row-major
  graphics_->SetTransform(TK_World, matrix);
  const auto transforms = Device()->CallsOf(DeviceCall::SetTransform);
  ASSERT_EQ(transforms.size(), 1u);
  EXPECT_EQ(transforms[0]->type, static_cast<uint32_t>(D3DTS_WORLD));
  EXPECT_FLOAT_EQ(transforms[0]->matrix._41, 5);
}

TEST_F(Dx8StatesTest, ScreenDrawsUnbindStageZeroAndThreeDDrawsDoNot) {
  ScreenVertex quad[7] = {};
  Device()->SetTexture(0, texture_);
  graphics_->DrawArray(quad, 0, PT_Triangles);  // nothing, the texture stays
  EXPECT_EQ(Device()->CountOf(DeviceCall::DrawPrimitiveUP), 0u);
  EXPECT_EQ(Device()->State().textures[0], texture_);

  graphics_->DrawArray(quad, 7, PT_Triangles);
  auto draws = Device()->CallsOf(DeviceCall::DrawPrimitiveUP);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->primitiveCount, 2u);
  EXPECT_EQ(draws[0]->stride, 28u);
  EXPECT_EQ(draws[0]->state->vertexShader, 0x144u);
  EXPECT_EQ(draws[0]->state->textures[0], texture_);  // bound during the draw
  EXPECT_EQ(Device()->State().textures[0], nullptr);  // and not after it

  graphics_->DrawArray(quad, 5, PT_Lines);
  draws = Device()->CallsOf(DeviceCall::DrawPrimitiveUP);
  EXPECT_EQ(draws.back()->primitive, D3DPT_LINELIST);
  EXPECT_EQ(draws.back()->primitiveCount, 2u);

  const uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
  Device()->SetTexture(0, texture_);
  graphics_->DrawIndexedArray(quad, 4, indices, 6, PT_Triangles);
  auto indexed = Device()->CallsOf(DeviceCall::DrawIndexedPrimitiveUP);
  ASSERT_EQ(indexed.size(), 1u);
  EXPECT_EQ(indexed[0]->primitiveCount, 2u);
  EXPECT_EQ(indexed[0]->vertexCount, 4u);
  EXPECT_EQ(indexed[0]->indexFormat, D3DFMT_INDEX16);
  EXPECT_EQ(Device()->State().textures[0], nullptr);

  WorldVertex world[3] = {};
  Device()->SetTexture(0, texture_);
  graphics_->DrawArray3D(world, 3, PT_Triangles);
  graphics_->DrawIndexedArray3D(world, 3, indices, 3, PT_Triangles);
  graphics_->DrawIndexedArray3D(world, 0, indices, 3, PT_Triangles);  // nothing
  draws = Device()->CallsOf(DeviceCall::DrawPrimitiveUP);
  EXPECT_EQ(draws.back()->state->vertexShader, 0x142u);
  EXPECT_EQ(draws.back()->stride, 24u);
  EXPECT_EQ(Device()->CountOf(DeviceCall::DrawIndexedPrimitiveUP), 2u);
  EXPECT_EQ(Device()->State().textures[0], texture_);
}

TEST_F(Dx8StatesTest, SecondStageBlendsOnlyDuringTheTwoSetDraw) {
  ScreenVertex2 quad[4] = {};
  const uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
  Device()->SetTexture(0, texture_);
  Device()->SetTexture(1, texture_);
  graphics_->DrawIndexedArray2(quad, 4, indices, 6, PT_Triangles);
  const auto draws = Device()->CallsOf(DeviceCall::DrawIndexedPrimitiveUP);
  ASSERT_EQ(draws.size(), 1u);
  const d3d8::DeviceState& during = *draws[0]->state;
  EXPECT_EQ(draws[0]->stride, 36u);
  EXPECT_EQ(during.vertexShader, 0x244u);
  EXPECT_EQ(during.StageState(1, D3DTSS_COLOROP), static_cast<uint32_t>(D3DTOP_BLENDCURRENTALPHA));
  EXPECT_EQ(during.StageState(1, D3DTSS_COLORARG1), D3DTA_CURRENT);
  EXPECT_EQ(during.StageState(1, D3DTSS_COLORARG2), D3DTA_TEXTURE);
  EXPECT_EQ(during.StageState(1, D3DTSS_ALPHAOP), static_cast<uint32_t>(D3DTOP_SELECTARG2));
  EXPECT_EQ(during.StageState(1, D3DTSS_ALPHAARG2), D3DTA_TEXTURE);
  const d3d8::DeviceState& after = Device()->State();
  EXPECT_EQ(after.StageState(1, D3DTSS_COLOROP), static_cast<uint32_t>(D3DTOP_DISABLE));
  EXPECT_EQ(after.StageState(1, D3DTSS_ALPHAOP), static_cast<uint32_t>(D3DTOP_DISABLE));
  EXPECT_EQ(after.textures[0], nullptr);
}

TEST_F(Dx8StatesTest, FailedDrawsAreLoggedAndAbsorbed) {
  ScreenVertex quad[6] = {};
  Device()->FailCalls(DeviceCall::DrawPrimitiveUP, D3DERR_INVALIDCALL, 1);
  Device()->FailCalls(DeviceCall::SetTextureStageState, D3DERR_INVALIDCALL, 1);
  LogCapture log;
  graphics_->DrawArray(quad, 6, PT_Triangles);
  graphics_->SetTextureStage(0, TSK_ColorOp, TSV_Modulate);
  EXPECT_TRUE(log.Contains("Unable to draw array : DX Error: D3DERR_INVALIDCALL"));
  EXPECT_TRUE(log.Contains("Unable to set texture stage because D3DERR_INVALIDCALL"));
  EXPECT_EQ(Device()->State().textures[0], nullptr);
}

}  // namespace
}  // namespace gfxtest
