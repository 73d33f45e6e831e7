#include "DXRender.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include "DXRender_Plan.h"

namespace DXRender {

using detail::Plan;
using detail::PlanStep;

namespace {

int HighestBit(uint32_t v) {
  int bit = 0;
  while (v > 1) {
    v >>= 1;
    ++bit;
  }
  return bit;
}

void FillGeometry(TPixelDescriptor& d, int32_t width, int32_t height, intptr_t pitch, void* pixels, int32_t bpp) {
  d.Width = width;
  d.Height = height;
  d.WidthBits = HighestBit(width > 0 ? static_cast<uint32_t>(width) : 0);
  d.HeightBits = HighestBit(height > 0 ? static_cast<uint32_t>(height) : 0);
  d.WidthPower = 1 << d.WidthBits;
  d.HeightPower = 1 << d.HeightBits;
  // Both masks follow the power of two: only wrapping addressing reads them.
  d.WidthMask = d.WidthPower - 1;
  d.HeightMask = d.HeightPower - 1;
  d.BitsPerPixel = bpp;
  d.Pixels = static_cast<uint8_t*>(pixels);
  d.Pitch = pitch;
  const uint64_t absPitch = pitch < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(pitch)) : static_cast<uint64_t>(pitch);
  d.PitchBits = HighestBit(static_cast<uint32_t>(absPitch));
}

std::atomic<bool> g_forceInterpreter{false};
std::atomic<bool> g_forceRoutines{false};

}  // namespace

TPixelChannel MakeChannel(uint32_t mask, bool isIndex) {
  TPixelChannel c{};
  c.Mask = mask;
  const int low = mask == 0 ? 31 : __builtin_ctz(mask);
  c.BitCount = __builtin_popcount(mask >> low);
  if (isIndex) {
    c.RightShift = low;
    c.LeftShift = 0;
  } else {
    const int s = low + c.BitCount - 8;
    c.RightShift = s < 0 ? 0 : s;
    c.LeftShift = s < 0 ? -s : 0;
  }
  return c;
}

void MakeIndexedDescriptor(TPixelDescriptor& desc, int32_t width, int32_t height, uint32_t alphaMask,
                           uint32_t indexMask, intptr_t pitch, void* pixels, int32_t bitsPerPixel) {
  std::memset(&desc, 0, sizeof desc);
  desc.Kind = pdkIndexed;
  FillGeometry(desc, width, height, pitch, pixels, bitsPerPixel);
  desc.Channels[0] = MakeChannel(indexMask, true);
  desc.Channels[1] = MakeChannel(0, false);
  desc.Channels[2] = MakeChannel(0, false);
  desc.Channels[3] = MakeChannel(0, false);
  (void)alphaMask;  // indexed pixels carry no alpha
}

void MakeRGBDescriptor(TPixelDescriptor& desc, int32_t width, int32_t height, uint32_t alphaMask,
                       uint32_t blueMask, uint32_t greenMask, uint32_t redMask, intptr_t pitch, void* pixels,
                       int32_t bitsPerPixel) {
  std::memset(&desc, 0, sizeof desc);
  desc.Kind = pdkRGB;
  FillGeometry(desc, width, height, pitch, pixels, bitsPerPixel);
  desc.Channels[0] = MakeChannel(redMask, false);
  desc.Channels[1] = MakeChannel(greenMask, false);
  desc.Channels[2] = MakeChannel(blueMask, false);
  // An alpha field of the pixel format is ignored: the engine never reads or writes alpha pixels.
  desc.Channels[3] = MakeChannel(0, false);
  (void)alphaMask;
}

bool SameFormat(const TPixelDescriptor& a, const TPixelDescriptor& b) {
  if (a.Kind != b.Kind || a.BitsPerPixel != b.BitsPerPixel) return false;
  if (a.Kind == pdkIndexed)
    return a.Channels[0].Mask == b.Channels[0].Mask && a.Channels[1].Mask == b.Channels[1].Mask;
  for (int i = 0; i < 4; ++i)
    if (a.Channels[i].Mask != b.Channels[i].Mask) return false;
  return true;
}

uint8_t DescriptorChannels(const TPixelDescriptor& d) {
  if (d.Kind == pdkIndexed)
    return static_cast<uint8_t>((d.Channels[0].Mask ? chColors : 0) | (d.Channels[1].Mask ? chAlpha : 0));
  uint8_t m = 0;
  for (int i = 0; i < 4; ++i)
    if (d.Channels[i].Mask) m |= static_cast<uint8_t>(1 << i);
  return m;
}

bool LockSurface(IDirectDrawSurface7* surface, TPixelDescriptor& desc, DDSURFACEDESC2& sd) {
  if (!surface) return false;
  DDSURFACEDESC2 local{};
  local.dwSize = sizeof local;
  if (FAILED(surface->Lock(nullptr, &local, DDLOCK_WAIT, nullptr))) return false;
  const DDPIXELFORMAT& pf = local.ddpfPixelFormat;
  const int32_t bpp = static_cast<int32_t>(pf.dwRGBBitCount);
  if (pf.dwFlags & (DDPF_PALETTEINDEXED1 | DDPF_PALETTEINDEXED2 | DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8)) {
    const uint32_t indexMask = bpp >= 32 ? 0xFFFFFFFFu : (1u << bpp) - 1;
    MakeIndexedDescriptor(desc, static_cast<int32_t>(local.dwWidth), static_cast<int32_t>(local.dwHeight), 0,
                          indexMask, local.lPitch, local.lpSurface, bpp);
    // Indexed texels expand through the surface's own palette (black without one).
    IDirectDrawPalette* palette = nullptr;
    if (SUCCEEDED(surface->GetPalette(&palette)) && palette) {
      PALETTEENTRY entries[256] = {};
      DWORD caps = 0;
      palette->GetCaps(&caps);
      const DWORD count = (caps & DDPCAPS_8BIT) ? 256 : (caps & DDPCAPS_4BIT) ? 16 : (caps & DDPCAPS_2BIT) ? 4 : 2;
      if (SUCCEEDED(palette->GetEntries(0, 0, count, entries)))
        for (DWORD i = 0; i < count; ++i)
          desc.Palette[i] = {entries[i].peRed, entries[i].peGreen, entries[i].peBlue, 0};
      palette->Release();
    }
  } else {
    MakeRGBDescriptor(desc, static_cast<int32_t>(local.dwWidth), static_cast<int32_t>(local.dwHeight), 0,
                      pf.dwBBitMask, pf.dwGBitMask, pf.dwRBitMask, local.lPitch, local.lpSurface, bpp);
  }
  sd = local;
  return true;
}

bool LockSurface(IDirectDrawSurface7* surface, TPixelDescriptor& desc) {
  DDSURFACEDESC2 sd;
  return LockSurface(surface, desc, sd);
}

void UnlockSurface(IDirectDrawSurface7* surface, const TPixelDescriptor& desc) {
  (void)desc;
  if (surface) surface->Unlock(nullptr);
}

void ReadPixelChannels(const TPixelDescriptor& d, uint32_t pixel, uint8_t out[4]) {
  if (d.Kind == pdkIndexed) {
    const TPixelChannel& c = d.Channels[0];
    const uint32_t index = ((pixel & c.Mask) >> c.RightShift) & 0xFF;
    out[0] = d.Palette[index].Red;
    out[1] = d.Palette[index].Green;
    out[2] = d.Palette[index].Blue;
    out[3] = 0;
    return;
  }
  for (int i = 0; i < 4; ++i) {
    const TPixelChannel& c = d.Channels[i];
    out[i] = c.Mask ? static_cast<uint8_t>(((pixel & c.Mask) >> c.RightShift) << c.LeftShift) : 0;
  }
}

uint32_t WritePixelChannels(const TPixelDescriptor& d, const uint8_t values[4], uint8_t channels) {
  uint32_t pixel = 0;
  for (int i = 0; i < 4; ++i) {
    const TPixelChannel& c = d.Channels[i];
    if ((channels & (1 << i)) && c.Mask)
      pixel |= ((static_cast<uint32_t>(values[i]) << c.RightShift) >> c.LeftShift) & c.Mask;
  }
  return pixel;
}

// ---- The machine -------------------------------------------------------------------------------

TDXRMachine& TDXRMachine::Instance() {
  static TDXRMachine machine;
  return machine;
}

TDXRMachine::TDXRMachine() { Reset(); }
TDXRMachine::~TDXRMachine() = default;

void TDXRMachine::ForceInterpreter(bool force) { g_forceInterpreter = force; }
bool TDXRMachine::InterpreterForced() { return g_forceInterpreter; }
void TDXRMachine::ForceRoutines(bool force) { g_forceRoutines = force; }
bool TDXRMachine::RoutinesForced() { return g_forceRoutines; }
bool TDXRMachine::CompiledNative() const { return Compiled && span_ && span_->Native(); }

void TDXRMachine::Reset() {
  nodeCount_ = 0;
  Dest = nullptr;
  for (auto& r : Registers) r = {};
  for (auto& s : Stages) s = TDXRTextureStage{};
  SpanX = SpanY = 0;
  Dither = false;
  Compiled = false;
  span_.reset();
}

TDXRNode* TDXRMachine::NewNode(TDXRNodeKind kind) {
  if (nodeCount_ >= kMaxNodes) return nullptr;
  TDXRNode* n = &nodes_[nodeCount_++];
  *n = TDXRNode{};
  n->Kind = kind;
  return n;
}

TDXRNode* TDXRMachine::CreateZero() { return NewNode(nkZero); }

TDXRNode* TDXRMachine::CreateRegister(uint8_t index) {
  if (index >= kMaxRegisters) return nullptr;
  TDXRNode* n = NewNode(nkRegister);
  if (n) n->Register = index;
  return n;
}

TDXRNode* TDXRMachine::CreateColor(uint16_t r, uint16_t g, uint16_t b, uint16_t a) {
  TDXRNode* n = NewNode(nkColor);
  if (n) {
    n->Color[0] = r;
    n->Color[1] = g;
    n->Color[2] = b;
    n->Color[3] = a;
  }
  return n;
}

TDXRNode* TDXRMachine::CreateTexture(uint8_t stage) {
  if (stage >= kMaxStages) return nullptr;
  TDXRNode* n = NewNode(nkTexture);
  if (n) n->Stage = stage;
  return n;
}

TDXRNode* TDXRMachine::CreateDest() { return NewNode(nkDest); }

TDXRNode* TDXRMachine::CreateOperation(uint8_t op, TDXRNode* l, TDXRNode* r) {
  if (op > 14) return nullptr;
  TDXRNode* n = NewNode(nkOperation);
  if (n) {
    n->Op = op;
    n->L = l;
    n->R = r;
  }
  return n;
}

namespace {

// Channels an operation needs of its operands, given its own required mask.
void OperandMasks(uint8_t op, uint8_t m, uint8_t* l, uint8_t* r) {
  const uint8_t colors = m & chColors;
  switch (op) {
    case 0: *l = 0; *r = 0; break;
    case 1: *l = m; *r = 0; break;
    case 2: *l = 0; *r = m; break;
    case 3: case 4: case 5: case 6: case 14: *l = m; *r = m; break;
    case 7: *l = colors | chAlpha; *r = 0; break;
    case 8: case 9: case 10: case 11: *l = colors | chAlpha; *r = m; break;
    case 12: *l = colors; *r = m & chAlpha; break;
    case 13: *l = colors | chAlpha; *r = colors | chAlpha; break;
    default: *l = 0; *r = 0; break;
  }
}

void PushMasks(TDXRNode* n, uint8_t mask, int depth) {
  if (!n || depth > kMaxNodes) return;
  n->Mask = mask;
  if (n->Kind != nkOperation) return;
  uint8_t lm, rm;
  OperandMasks(n->Op, mask, &lm, &rm);
  PushMasks(n->L, lm, depth + 1);
  PushMasks(n->R, rm, depth + 1);
}

bool IsZero(const TDXRNode* n) { return n && n->Kind == nkZero; }

// Bottom-up simplification; answers the node that replaces n (possibly n itself or null).
TDXRNode* Simplify(TDXRNode* n, int depth) {
  if (!n || depth > kMaxNodes) return n;
  if (n->Kind != nkOperation) return n;
  n->L = Simplify(n->L, depth + 1);
  n->R = Simplify(n->R, depth + 1);
  auto replaceBy = [n](TDXRNode* with) {
    if (with) with->Mask = n->Mask;
    return with;
  };
  switch (n->Op) {
    case 0:
      n->Kind = nkZero;
      n->L = n->R = nullptr;
      return n;
    case 1:
      return replaceBy(n->L);
    case 2:
      return replaceBy(n->R);
    case 3:
      if (IsZero(n->R)) return replaceBy(n->L);
      if (IsZero(n->L)) return replaceBy(n->R);
      break;
    case 4:
      if (IsZero(n->R)) return replaceBy(n->L);
      break;
  }
  if (n->L && n->L->Mask == 0) n->L = nullptr;
  if (n->R && n->R->Mask == 0) n->R = nullptr;
  return n;
}

// Flattens the tree (children first); -1 when it does not fit or a node is unusable.
int Flatten(const TDXRNode* n, const TDXRMachine& m, Plan& plan, int depth) {
  if (!n) return -1;
  if (depth > kMaxNodes) return -2;
  int l = -1, r = -1;
  if (n->Kind == nkOperation) {
    l = Flatten(n->L, m, plan, depth + 1);
    r = Flatten(n->R, m, plan, depth + 1);
    if (l == -2 || r == -2) return -2;
  }
  if (plan.StepCount >= kMaxNodes) return -2;
  PlanStep& s = plan.Steps[plan.StepCount];
  s = PlanStep{};
  s.Kind = n->Kind;
  s.Op = n->Op;
  s.Mask = n->Mask;
  s.Left = static_cast<int8_t>(l);
  s.Right = static_cast<int8_t>(r);
  s.Stage = n->Stage;
  if (n->Kind == nkColor) std::memcpy(s.Value, n->Color, sizeof s.Value);
  if (n->Kind == nkRegister) {
    if (n->Register >= kMaxRegisters) return -2;
    for (int c = 0; c < 4; ++c) s.Value[c] = m.Registers[n->Register][c];
  }
  if (n->Kind == nkTexture) {
    if (n->Stage >= kMaxStages || !m.Stages[n->Stage].Source) return -2;
    plan.StageMask |= static_cast<uint8_t>(1 << n->Stage);
  }
  return plan.StepCount++;
}

bool UsableDescriptor(const TPixelDescriptor* d) {
  if (!d || !d->Pixels || d->Width <= 0 || d->Height <= 0) return false;
  switch (d->BitsPerPixel) {
    case 8: case 16: case 24: case 32: return true;
    default: return false;  // sub-byte pixels are not addressed by the engine
  }
}

}  // namespace

bool TDXRMachine::Compile(TDXRNode* root) {
  Compiled = false;
  span_.reset();
  if (!root || !UsableDescriptor(Dest)) return false;
  PushMasks(root, DescriptorChannels(*Dest), 0);
  root = Simplify(root, 0);

  Plan plan;
  for (auto& s : Stages) s.InUse = false, s.RequiredMask = 0;
  if (root) {
    if (Flatten(root, *this, plan, 0) < 0) return false;
  } else {
    plan.Steps[0] = PlanStep{};
    plan.Steps[0].Kind = nkZero;
    plan.Steps[0].Left = plan.Steps[0].Right = -1;
    plan.StepCount = 1;
  }
  for (int i = 0; i < plan.StepCount; ++i) {
    const PlanStep& s = plan.Steps[i];
    if (s.Kind != nkTexture) continue;
    TDXRTextureStage& st = Stages[s.Stage];
    if (!UsableDescriptor(st.Source)) return false;
    st.InUse = true;
    st.RequiredMask |= s.Mask & DescriptorChannels(*st.Source);
  }
  const PlanStep& top = plan.Steps[plan.StepCount - 1];
  plan.WriteMask = static_cast<uint8_t>(DescriptorChannels(*Dest) & (root ? root->Mask : chAll));
  plan.FastCopy = top.Kind == nkTexture && !Stages[top.Stage].Filter && !Dither &&
                  SameFormat(*Stages[top.Stage].Source, *Dest);
  // Nothing but a same-format copy writes into an indexed destination.
  if (Dest->Kind == pdkIndexed && !plan.FastCopy) return false;

  if (!InterpreterForced()) span_ = detail::CompileNative(plan, *this);
  if (!span_) span_ = detail::CompileInterpreted(plan, *this);
  Compiled = span_ != nullptr;
  return Compiled;
}

void TDXRMachine::Run(int32_t count) {
  if (count < 1 || !Compiled || !span_) return;
  detail::SpanArgs args{};
  args.Dst = Dest->Pixels + static_cast<intptr_t>(SpanY) * Dest->Pitch +
             static_cast<intptr_t>(SpanX) * detail::BytesPerPixel(*Dest);
  args.Count = count;
  for (int i = 0; i < kMaxStages; ++i) {
    const TDXRTextureStage& s = Stages[i];
    if (!s.InUse) continue;
    args.Stages[i] = {s.Source->Pixels, static_cast<int64_t>(s.Source->Pitch), s.U, s.V, s.DU, s.DV,
                      s.Source->Palette, nullptr, nullptr};
  }
  span_->Run(args);
  for (int i = 0; i < kMaxStages; ++i) {
    if (!Stages[i].InUse) continue;
    Stages[i].U = args.Stages[i].U;
    Stages[i].V = args.Stages[i].V;
  }
}

}  // namespace DXRender
