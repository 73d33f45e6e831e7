// The portable engine: evaluates the plan pixel by pixel. It is the fallback where native code
// cannot be generated, and the reference the native routines must equal byte for byte.
#include <cstring>
#include "DXPixelRow.h"
#include "DXRender_Ops.h"
#include "DXRender_Plan.h"

namespace DXRender::detail {
namespace {

uint32_t LoadPixel(const uint8_t* p, int bytes) { return DXPixelRow::Read(p, bytes * 8, 0); }
void StorePixel(uint8_t* p, int bytes, uint32_t v) { DXPixelRow::Write(p, bytes * 8, 0, v); }

struct StageInfo {
  TPixelDescriptor Format;  // copy without the memory address
  int Bytes;
  bool UseKey;
  uint32_t Key;
  uint8_t Provides;
  int32_t Default[4];
};

class Interpreted final : public CompiledSpanBase {
 public:
  Interpreted(const Plan& plan, const TDXRMachine& m) : plan_(plan), dest_(*m.Dest) {
    destBytes_ = BytesPerPixel(dest_);
    for (int i = 0; i < kMaxStages; ++i) {
      if (!(plan.StageMask & (1 << i))) continue;
      const TDXRTextureStage& s = m.Stages[i];
      StageInfo& info = stages_[i];
      info.Format = *s.Source;
      info.Bytes = BytesPerPixel(*s.Source);
      info.UseKey = s.UseColorKey;
      info.Key = info.Bytes == 3 ? (s.ColorKey & 0xFFFFFF) : s.ColorKey;
      info.Provides = DescriptorChannels(*s.Source);
      for (int c = 0; c < 4; ++c) info.Default[c] = s.Default[c];
    }
  }
  bool Native() const override { return false; }

  void Run(SpanArgs& a) override {
    uint8_t* dst = a.Dst;
    for (int64_t n = 0; n < a.Count; ++n, dst += destBytes_) {
      if (plan_.FastCopy) CopyPixel(a, dst);
      else BlendPixel(a, dst);
      for (int i = 0; i < kMaxStages; ++i) {
        if (!(plan_.StageMask & (1 << i))) continue;
        a.Stages[i].U += a.Stages[i].DU;
        a.Stages[i].V += a.Stages[i].DV;
      }
    }
  }

 private:
  const uint8_t* Texel(const SpanArgs& a, int stage) const {
    const SpanArgs::Stage& s = a.Stages[stage];
    return s.Base + static_cast<int64_t>(s.V >> 16) * s.Pitch + static_cast<int64_t>(s.U >> 16) * stages_[stage].Bytes;
  }

  void CopyPixel(const SpanArgs& a, uint8_t* dst) const {
    const int stage = plan_.Steps[plan_.StepCount - 1].Stage;
    const StageInfo& info = stages_[stage];
    const uint32_t texel = LoadPixel(Texel(a, stage), info.Bytes);
    if (info.UseKey && texel == info.Key) return;
    StorePixel(dst, destBytes_, texel);
  }

  void BlendPixel(const SpanArgs& a, uint8_t* dst) const {
    Value values[kMaxNodes];
    static const Value kZero{{0, 0, 0, 0}};
    for (int i = 0; i < plan_.StepCount; ++i) {
      const PlanStep& s = plan_.Steps[i];
      Value& v = values[i];
      v = kZero;
      switch (s.Kind) {
        case nkZero: break;
        case nkColor:
        case nkRegister:
          for (int c = 0; c < 4; ++c) v.C[c] = s.Value[c];
          break;
        case nkDest: {
          uint8_t ch[4];
          ReadPixelChannels(dest_, LoadPixel(dst, destBytes_), ch);
          for (int c = 0; c < 4; ++c) v.C[c] = ch[c] << 8;
          break;
        }
        case nkTexture: {
          const StageInfo& info = stages_[s.Stage];
          const uint32_t texel = LoadPixel(Texel(a, s.Stage), info.Bytes);
          if (info.UseKey && texel == info.Key) return;  // the whole pixel is skipped
          uint8_t ch[4];
          ReadPixelChannels(info.Format, texel, ch);
          for (int c = 0; c < 4; ++c) v.C[c] = (info.Provides & (1 << c)) ? ch[c] << 8 : info.Default[c];
          break;
        }
        case nkOperation:
          v = Apply(s.Op, s.Mask, s.Left >= 0 ? values[s.Left] : kZero, s.Right >= 0 ? values[s.Right] : kZero);
          break;
      }
    }
    const Value& out = values[plan_.StepCount - 1];
    uint8_t ch[4];
    for (int c = 0; c < 4; ++c) ch[c] = static_cast<uint8_t>(Hi(out.C[c]));
    StorePixel(dst, destBytes_, WritePixelChannels(dest_, ch, plan_.WriteMask));
  }

  Plan plan_;
  TPixelDescriptor dest_;
  int destBytes_;
  StageInfo stages_[kMaxStages]{};
};

}  // namespace

std::unique_ptr<CompiledSpanBase> CompileInterpreted(const Plan& plan, const TDXRMachine& machine) {
  return std::make_unique<Interpreted>(plan, machine);
}

}  // namespace DXRender::detail
