#include "engine/swf/render/render_handler_d3d.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "engine/swf/base/image.h"
#include "engine/swf/base/log.h"
#include "platform/d3d8/D3DX8.h"

namespace swf {

namespace {

constexpr uint32_t kShapeVertexBytes = 12;   // x, y, z
constexpr uint32_t kBitmapVertexBytes = 20;  // x, y, z, u, v
constexpr int kInitialShapeCapacity = 128;

// Each handler gets its own generation; bitmaps remember theirs.
std::atomic<uint32_t> s_next_generation{1};

D3DMATRIX identity_matrix() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

int next_power_of_two(int value) {
  int result = 1;
  while (result < value && result < (1 << 30)) result <<= 1;
  return result;
}

D3DCOLOR to_d3d_color(int r, int g, int b, int a) {
  auto c = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
  return (c(a) << 24) | (c(r) << 16) | (c(g) << 8) | c(b);
}

D3DCOLOR to_d3d_color(const rgba& c) { return to_d3d_color(c.m_r, c.m_g, c.m_b, c.m_a); }

int16_t to_i16(float v) {
  if (!(v == v)) return 0;
  return static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
}

// The handlers alive, so that a bitmap going away can free its texture in its own.
std::vector<render_handler_d3d*>& live_handlers() {
  static auto* handlers = new std::vector<render_handler_d3d*>;
  return *handlers;
}

}  // namespace

bitmap_info_d3d::~bitmap_info_d3d() {
  if (m_texture_id < 0) return;
  for (render_handler_d3d* handler : live_handlers()) {
    if (handler->generation() == m_generation) handler->release_texture(this);
  }
}

render_handler_d3d::render_handler_d3d(IDirect3DDevice8* device)
    : m_device(device), m_generation(s_next_generation.fetch_add(1)), m_view(identity_matrix()) {
  live_handlers().push_back(this);
  if (m_device) m_device->AddRef();
  m_shape_capacity = kInitialShapeCapacity;
  if (m_device) {
    if (FAILED(m_device->CreateVertexBuffer(kInitialShapeCapacity * kShapeVertexBytes,
                                            D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DFVF_XYZ, D3DPOOL_DEFAULT,
                                            &m_shape_buffer))) {
      m_shape_buffer = nullptr;
      m_shape_capacity = 0;
    }
    if (FAILED(m_device->CreateVertexBuffer(4 * kBitmapVertexBytes, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                            D3DFVF_XYZ | D3DFVF_TEX1, D3DPOOL_DEFAULT, &m_bitmap_buffer))) {
      m_bitmap_buffer = nullptr;
    }
  } else {
    m_shape_capacity = 0;
  }
  choose_formats();
}

render_handler_d3d::~render_handler_d3d() {
  std::vector<render_handler_d3d*>& handlers = live_handlers();
  handlers.erase(std::remove(handlers.begin(), handlers.end(), this), handlers.end());
  for (IDirect3DTexture8*& texture : m_textures) {
    if (texture) texture->Release();
    texture = nullptr;
  }
  if (m_shape_buffer) m_shape_buffer->Release();
  if (m_bitmap_buffer) m_bitmap_buffer->Release();
  if (m_device) m_device->Release();
}

void render_handler_d3d::choose_formats() {
  m_rgb_format = m_rgba_format = m_alpha_format = D3DFMT_A8R8G8B8;
  if (!m_device) return;
  IDirect3D8* d3d = nullptr;
  if (FAILED(m_device->GetDirect3D(&d3d)) || !d3d) return;
  D3DCAPS8 caps{};
  m_device->GetDeviceCaps(&caps);
  D3DDISPLAYMODE mode{};
  m_device->GetDisplayMode(&mode);
  auto supported = [&](D3DFORMAT format) {
    return SUCCEEDED(d3d->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType ? caps.DeviceType : D3DDEVTYPE_HAL,
                                            mode.Format, 0, D3DRTYPE_TEXTURE, format));
  };
  auto first = [&](std::initializer_list<D3DFORMAT> formats) {
    for (D3DFORMAT f : formats) {
      if (supported(f)) return f;
    }
    return D3DFMT_A8R8G8B8;
  };
  m_rgb_format = first({D3DFMT_DXT1, D3DFMT_R8G8B8});
  m_rgba_format = first({D3DFMT_DXT5});
  m_alpha_format = first({D3DFMT_A8, D3DFMT_A8L8, D3DFMT_A8P8});
  d3d->Release();
}

bitmap_info* render_handler_d3d::make_bitmap(const void* pixels, D3DFORMAT source_format, int pitch, int width,
                                             int height, D3DFORMAT format) {
  if (!m_device || !pixels || width <= 0 || height <= 0) return new bitmap_info_d3d(-1, 0, 0, m_generation);
  int id = static_cast<int>(m_textures.size());
  if (!m_free_slots.empty()) {
    id = m_free_slots.back();
    m_free_slots.pop_back();
  } else {
    m_textures.push_back(nullptr);
  }
  auto* bitmap = new bitmap_info_d3d(id, width, height, m_generation);
  const uint32_t tw = static_cast<uint32_t>(next_power_of_two(width));
  const uint32_t th = static_cast<uint32_t>(next_power_of_two(height));
  IDirect3DTexture8* texture = nullptr;
  HRESULT hr = m_device->CreateTexture(tw, th, 1, 0, format, D3DPOOL_MANAGED, &texture);
  if (FAILED(hr) && format != D3DFMT_A8R8G8B8) {
    hr = m_device->CreateTexture(tw, th, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
  }
  if (FAILED(hr) || !texture) {
    log_error("error: can't create texture\n");
    return bitmap;
  }
  m_textures[static_cast<size_t>(id)] = texture;
  IDirect3DSurface8* surface = nullptr;
  if (FAILED(texture->GetSurfaceLevel(0, &surface)) || !surface) {
    log_error("error: can't get surface\n");
    return bitmap;
  }
  const RECT source{0, 0, width, height};
  hr = D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, pixels, source_format, static_cast<uint32_t>(pitch),
                                 nullptr, &source, D3DX_DEFAULT, 0);
  if (FAILED(hr)) log_error("error: can't load surface from memory, result = %d\n", static_cast<int>(hr));
  surface->Release();
  return bitmap;
}

bitmap_info* render_handler_d3d::create_bitmap_empty() { return nullptr; }

bitmap_info* render_handler_d3d::create_bitmap_alpha(int width, int height, const uint8_t* data) {
  return make_bitmap(data, D3DFMT_A8, width, width, height, m_alpha_format);
}

bitmap_info* render_handler_d3d::create_bitmap_rgb(image_rgb* image) {
  if (!image || !image->m_data || image->m_width <= 0 || image->m_height <= 0) {
    return make_bitmap(nullptr, D3DFMT_A8R8G8B8, 0, 0, 0, m_rgb_format);
  }
  const int w = image->m_width, h = image->m_height;
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = image->m_data + static_cast<size_t>(y) * image->m_pitch;
    uint8_t* dst = pixels.data() + static_cast<size_t>(y) * w * 4;
    for (int x = 0; x < w; ++x, src += 3, dst += 4) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
      dst[3] = 255;
    }
  }
  return make_bitmap(pixels.data(), D3DFMT_A8R8G8B8, w * 4, w, h, m_rgb_format);
}

bitmap_info* render_handler_d3d::create_bitmap_rgba(image_rgba* image) {
  if (!image || !image->m_data || image->m_width <= 0 || image->m_height <= 0) {
    return make_bitmap(nullptr, D3DFMT_A8R8G8B8, 0, 0, 0, m_rgba_format);
  }
  // The upload wants B, G, R, A; a copy is swapped so that the caller's image stays as
  // it was (it may be uploaded again, or kept).
  const int w = image->m_width, h = image->m_height;
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = image->m_data + static_cast<size_t>(y) * image->m_pitch;
    uint8_t* dst = pixels.data() + static_cast<size_t>(y) * w * 4;
    for (int x = 0; x < w; ++x, src += 4, dst += 4) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
      dst[3] = src[3];
    }
  }
  return make_bitmap(pixels.data(), D3DFMT_A8R8G8B8, w * 4, w, h, m_rgba_format);
}

void render_handler_d3d::delete_bitmap(bitmap_info* bitmap) {
  // A bitmap that something still holds is left to its holders.
  if (bitmap && bitmap->get_ref_count() == 0) delete bitmap;
}

IDirect3DTexture8* render_handler_d3d::texture_of(const bitmap_info* bitmap) const {
  const auto* b = dynamic_cast<const bitmap_info_d3d*>(bitmap);
  if (!b || b->m_generation != m_generation || b->m_texture_id < 0 ||
      static_cast<size_t>(b->m_texture_id) >= m_textures.size()) {
    return nullptr;
  }
  return m_textures[static_cast<size_t>(b->m_texture_id)];
}

int render_handler_d3d::live_texture_count() const {
  return static_cast<int>(std::count_if(m_textures.begin(), m_textures.end(),
                                        [](const IDirect3DTexture8* t) { return t != nullptr; }));
}

void render_handler_d3d::release_texture(const bitmap_info_d3d* bitmap) {
  const int id = bitmap->m_texture_id;
  if (bitmap->m_generation != m_generation || id < 0 || static_cast<size_t>(id) >= m_textures.size()) return;
  IDirect3DTexture8*& texture = m_textures[static_cast<size_t>(id)];
  if (texture) texture->Release();
  texture = nullptr;
  // A style may still name the bitmap going away: it draws without it from now on.
  for (style* s : {&m_fill[0], &m_fill[1], &m_line}) {
    if (s->m_bitmap == bitmap) s->m_bitmap = nullptr;
  }
  m_free_slots.push_back(id);
}

void render_handler_d3d::begin_frame(rgba background, int vx, int vy, int vw, int vh, float x0, float x1, float y0,
                                     float y1) {
  const float fw = x1 - x0, fh = y1 - y0;
  // A stage or a viewport without area draws nothing (and divides by nothing).
  m_skip_frame = !m_device || vw <= 0 || vh <= 0 || !std::isfinite(fw) || !std::isfinite(fh) || fw == 0.0f ||
                 fh == 0.0f || vx < 0 || vy < 0;
  if (m_skip_frame) return;

  D3DMATRIX projection = identity_matrix();
  projection._11 = 2.0f / fw;
  projection._22 = -2.0f / fh;
  projection._41 = -(x0 + x1) / fw;
  projection._42 = (y0 + y1) / fh;
  m_view = identity_matrix();
  m_view._41 = 2.0f * static_cast<float>(vx) / static_cast<float>(vw);
  m_view._42 = -2.0f * static_cast<float>(vy) / static_cast<float>(vh);
  const D3DMATRIX identity = identity_matrix();
  m_device->SetTransform(D3DTS_PROJECTION, &projection);
  m_device->SetTransform(D3DTS_VIEW, &m_view);
  m_device->SetTransform(D3DTS_WORLD, &identity);
  m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  m_device->SetRenderState(D3DRS_LIGHTING, 0);

  m_device->GetViewport(&m_saved_viewport);
  const D3DVIEWPORT8 viewport{static_cast<uint32_t>(vx), static_cast<uint32_t>(vy), static_cast<uint32_t>(vw),
                              static_cast<uint32_t>(vh), 0.0f, 1.0f};
  m_device->SetViewport(&viewport);

  m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  m_device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
  m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  m_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  m_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  m_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
  m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  m_device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);

  if (background.m_a == 0) return;
  if (background.m_a == 255) {
    // The viewport just set: Clear takes target pixels, and the frame rectangle is in twips.
    const D3DRECT area{vx, vy, vx + vw, vy + vh};
    m_device->Clear(1, &area, D3DCLEAR_TARGET, to_d3d_color(background), 1.0f, 0);
    return;
  }
  m_device->SetRenderState(D3DRS_TEXTUREFACTOR, to_d3d_color(background));
  m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  const int16_t corners[8] = {to_i16(x0), to_i16(y0), to_i16(x1), to_i16(y0),
                              to_i16(x0), to_i16(y1), to_i16(x1), to_i16(y1)};
  if (upload(corners, 4)) m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

void render_handler_d3d::end_frame() {
  if (m_skip_frame) {
    m_skip_frame = false;
    return;
  }
  const D3DMATRIX identity = identity_matrix();
  m_device->SetTransform(D3DTS_VIEW, &identity);
  m_device->SetTransform(D3DTS_WORLD, &identity);
  m_device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
  m_device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
  m_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  m_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
  m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  m_device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  m_device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  // A mask left open by the movie must not clip what the engine draws next.
  m_device->SetRenderState(D3DRS_STENCILENABLE, 0);
  m_device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
  m_device->SetViewport(&m_saved_viewport);
}

void render_handler_d3d::set_matrix(const matrix& m) { m_current_matrix = m; }

void render_handler_d3d::set_color_transform(const cxform& cx) { m_current_cxform = cx; }

void render_handler_d3d::set_world(const matrix& m) {
  D3DMATRIX world = identity_matrix();
  world._11 = m.m_[0][0];
  world._21 = m.m_[0][1];
  world._41 = m.m_[0][2];
  world._12 = m.m_[1][0];
  world._22 = m.m_[1][1];
  world._42 = m.m_[1][2];
  m_device->SetTransform(D3DTS_WORLD, &world);
}

bool render_handler_d3d::upload(const int16_t* coords, int n) {
  if (n > m_shape_capacity || !m_shape_buffer) {
    if (m_shape_buffer) m_shape_buffer->Release();
    m_shape_buffer = nullptr;
    m_shape_capacity = 0;
    if (FAILED(m_device->CreateVertexBuffer(static_cast<uint32_t>(n) * kShapeVertexBytes,
                                            D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DFVF_XYZ, D3DPOOL_DEFAULT,
                                            &m_shape_buffer))) {
      m_shape_buffer = nullptr;
      return false;
    }
    m_shape_capacity = n;
  }
  uint8_t* data = nullptr;
  if (FAILED(m_shape_buffer->Lock(0, static_cast<uint32_t>(n) * kShapeVertexBytes, &data, D3DLOCK_DISCARD))) {
    return false;
  }
  for (int i = 0; i < n; ++i) {
    const float v[3] = {static_cast<float>(coords[2 * i]), static_cast<float>(coords[2 * i + 1]), 1.0f};
    std::memcpy(data + static_cast<size_t>(i) * kShapeVertexBytes, v, sizeof v);
  }
  m_shape_buffer->Unlock();
  m_device->SetStreamSource(0, m_shape_buffer, kShapeVertexBytes);
  m_device->SetVertexShader(D3DFVF_XYZ);
  return true;
}

void render_handler_d3d::apply_style(const style& s) {
  if (s.m_mode == MODE_DISABLED) return;
  if (s.m_mode == MODE_COLOR) {
    m_device->SetRenderState(D3DRS_TEXTUREFACTOR, to_d3d_color(s.m_color));
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    return;
  }
  const D3DCOLOR bitmap_color =
      to_d3d_color(static_cast<int>(s.m_bitmap_mult[0] * 255.0f), static_cast<int>(s.m_bitmap_mult[1] * 255.0f),
                   static_cast<int>(s.m_bitmap_mult[2] * 255.0f), static_cast<int>(s.m_bitmap_mult[3] * 255.0f));
  m_device->SetRenderState(D3DRS_TEXTUREFACTOR, bitmap_color);
  IDirect3DTexture8* texture = texture_of(s.m_bitmap);
  const auto* b = dynamic_cast<const bitmap_info_d3d*>(s.m_bitmap);
  if (!texture || !b || b->m_width <= 0 || b->m_height <= 0) {
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    return;
  }
  m_device->SetTexture(0, texture);
  m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  const uint32_t address = s.m_mode == MODE_BITMAP_CLAMP ? D3DTADDRESS_CLAMP : D3DTADDRESS_WRAP;
  m_device->SetTextureStageState(0, D3DTSS_ADDRESSU, address);
  m_device->SetTextureStageState(0, D3DTSS_ADDRESSV, address);

  // Camera space back to the shape's own space (through the view's offset and the
  // current matrix), then into the bitmap's pixels and on to 0..1 of the image.
  matrix to_local;
  to_local.set_inverse(m_current_matrix);
  matrix undo_view;
  undo_view.m_[0][2] = -m_view._41;
  undo_view.m_[1][2] = -m_view._42;
  matrix t;
  t.m_[0][0] = 1.0f / static_cast<float>(b->m_width);
  t.m_[1][1] = 1.0f / static_cast<float>(b->m_height);
  t.concatenate(s.m_bitmap_matrix);
  t.concatenate(to_local);
  t.concatenate(undo_view);
  D3DMATRIX tex{};
  tex._11 = t.m_[0][0];
  tex._21 = t.m_[0][1];
  tex._41 = t.m_[0][2];
  tex._12 = t.m_[1][0];
  tex._22 = t.m_[1][1];
  tex._42 = t.m_[1][2];
  tex._44 = 1.0f;
  m_device->SetTransform(D3DTS_TEXTURE0, &tex);
  m_device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  m_device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
}

void render_handler_d3d::draw_triangle_strip(const int16_t* coords, int n) {
  // Fewer than three vertices make no triangle.
  if (m_skip_frame || !m_device || !coords || n < 3) return;
  const style& fill = m_fill[0];
  apply_style(fill);
  set_world(m_current_matrix);
  if (!upload(coords, n)) return;
  m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, static_cast<uint32_t>(n - 2));
  if ((fill.m_mode == MODE_BITMAP_WRAP || fill.m_mode == MODE_BITMAP_CLAMP) && fill.m_has_additive_color) {
    m_device->SetRenderState(D3DRS_TEXTUREFACTOR,
                             to_d3d_color(static_cast<int>(fill.m_bitmap_add[0]), static_cast<int>(fill.m_bitmap_add[1]),
                                          static_cast<int>(fill.m_bitmap_add[2]),
                                          static_cast<int>(fill.m_bitmap_add[3])));
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, static_cast<uint32_t>(n - 2));
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  }
}

void render_handler_d3d::draw_line_strip(const int16_t* coords, int n) {
  // Fewer than two vertices make no line.
  if (m_skip_frame || !m_device || !coords || n < 2) return;
  apply_style(m_line);
  set_world(m_current_matrix);
  if (!upload(coords, n)) return;
  m_device->DrawPrimitive(D3DPT_LINESTRIP, 0, static_cast<uint32_t>(n - 1));
}

void render_handler_d3d::disable_fill(int side) {
  if (side == 0 || side == 1) m_fill[side].m_mode = MODE_DISABLED;
}

void render_handler_d3d::set_fill_color(int side, rgba color) {
  if (side != 0 && side != 1) return;
  m_fill[side].m_mode = MODE_COLOR;
  m_fill[side].m_color = m_current_cxform.transform(color);
}

void render_handler_d3d::set_fill_bitmap(int side, bitmap_info* bitmap, const matrix& m, bitmap_wrap_mode wrap) {
  if (side != 0 && side != 1) return;
  style& s = m_fill[side];
  s.m_mode = wrap == WRAP_REPEAT ? MODE_BITMAP_WRAP : MODE_BITMAP_CLAMP;
  s.m_bitmap = bitmap;
  s.m_bitmap_matrix = m;
  s.m_has_additive_color = false;
  for (int i = 0; i < 4; ++i) {
    const float mult = m_current_cxform.m_[i][0], add = m_current_cxform.m_[i][1];
    s.m_bitmap_mult[i] = std::clamp(mult == mult ? mult : 0.0f, 0.0f, 1.0f);
    s.m_bitmap_add[i] = std::clamp(add == add ? add : 0.0f, -255.0f, 255.0f);
    if (s.m_bitmap_add[i] > 1.0f) s.m_has_additive_color = true;
  }
}

void render_handler_d3d::disable_line() { m_line.m_mode = MODE_DISABLED; }

void render_handler_d3d::set_line_color(rgba color) {
  m_line.m_mode = MODE_COLOR;
  m_line.m_color = m_current_cxform.transform(color);
}

void render_handler_d3d::set_line_width(float) {}

void render_handler_d3d::draw_bitmap_quad(const matrix& m, bitmap_info* bitmap, const rect& coords, const rect& uv,
                                          rgba color) {
  if (m_skip_frame || !m_device || !m_bitmap_buffer) return;
  m_device->SetRenderState(D3DRS_TEXTUREFACTOR, to_d3d_color(color));
  const D3DMATRIX identity = identity_matrix();
  m_device->SetTransform(D3DTS_WORLD, &identity);
  point a, b, c;
  m.transform(&a, point(coords.m_x_min, coords.m_y_min));
  m.transform(&b, point(coords.m_x_max, coords.m_y_min));
  m.transform(&c, point(coords.m_x_min, coords.m_y_max));
  const point d(b.m_x + c.m_x - a.m_x, b.m_y + c.m_y - a.m_y);
  m_device->SetTexture(0, texture_of(bitmap));
  // The colour comes from the factor; the glyph's coverage times the colour's alpha gives
  // the alpha, so that a faded text fades whether drawn from outlines or from textures.
  m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  m_device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  m_device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  uint8_t* data = nullptr;
  if (FAILED(m_bitmap_buffer->Lock(0, 4 * kBitmapVertexBytes, &data, D3DLOCK_DISCARD))) return;
  const float v[4][5] = {{a.m_x, a.m_y, 1.0f, uv.m_x_min, uv.m_y_min},
                         {b.m_x, b.m_y, 1.0f, uv.m_x_max, uv.m_y_min},
                         {c.m_x, c.m_y, 1.0f, uv.m_x_min, uv.m_y_max},
                         {d.m_x, d.m_y, 1.0f, uv.m_x_max, uv.m_y_max}};
  std::memcpy(data, v, sizeof v);
  m_bitmap_buffer->Unlock();
  m_device->SetStreamSource(0, m_bitmap_buffer, kBitmapVertexBytes);
  m_device->SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1);
  m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

void render_handler_d3d::set_antialiased(bool) {}

void render_handler_d3d::begin_mask() {
  if (m_skip_frame || !m_device) return;
  m_device->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  m_device->SetRenderState(D3DRS_STENCILENABLE, 1);
  m_device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0);
  m_device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  m_device->SetRenderState(D3DRS_STENCILREF, 1);
  m_device->SetRenderState(D3DRS_STENCILMASK, 1);
  m_device->SetRenderState(D3DRS_STENCILWRITEMASK, 1);
  m_device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
  m_device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
  m_device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
  // The mask shapes mark the stencil only: a clip layer itself is never seen.
  m_device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
}

void render_handler_d3d::end_mask() {
  if (m_skip_frame || !m_device) return;
  m_device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
  m_device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  m_device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
  m_device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  m_device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  m_device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
}

void render_handler_d3d::disable_mask() {
  if (m_skip_frame || !m_device) return;
  m_device->SetRenderState(D3DRS_STENCILENABLE, 0);
  m_device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
}

render_handler* create_render_handler_d3d(IDirect3DDevice8* device) { return new render_handler_d3d(device); }

}  // namespace swf
