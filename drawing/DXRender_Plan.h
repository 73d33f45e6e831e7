// The compiler's output for one operation: the simplified tree flattened into steps (children
// before parents), shared by the interpreter and the native code generator.
#pragma once
#include "DXRender.h"

namespace DXRender::detail {

struct PlanStep {
  TDXRNodeKind Kind;
  uint8_t Op;
  uint8_t Mask;
  int8_t Left;   // step index, -1 when absent (reads as zero)
  int8_t Right;
  uint8_t Stage;
  uint16_t Value[4];  // constant colour or register contents
};

struct Plan {
  bool FastCopy = false;  // raw copy of same-format texels
  int StepCount = 0;
  PlanStep Steps[kMaxNodes];
  uint8_t WriteMask = 0;  // channels written into the destination
  uint8_t StageMask = 0;  // stages in use, one bit each
};

// The per-run inputs of a routine: where the span starts and the stages' coordinates.
struct SpanArgs {
  uint8_t* Dst;
  int64_t Count;
  struct Stage {
    const uint8_t* Base;
    int64_t Pitch;
    int32_t U, V, DU, DV;
    const TPaletteEntryRGB* Palette;
    const uint8_t* Row;  // routine's own: start of the texel row when DV is 0
    const uint8_t* Ptr;  // routine's own: the texel when DU is one texel and DV is 0
  } Stages[kMaxStages];
};

struct CompiledSpanBase {
  virtual ~CompiledSpanBase() = default;
  virtual void Run(SpanArgs& args) = 0;
  virtual bool Native() const = 0;
};

// Native routine for the plan, or null when this machine cannot generate one (not x86-64,
// executable memory refused, or the routine does not fit its buffer).
std::unique_ptr<CompiledSpanBase> CompileNative(const Plan& plan, const TDXRMachine& machine);
std::unique_ptr<CompiledSpanBase> CompileInterpreted(const Plan& plan, const TDXRMachine& machine);

inline int BytesPerPixel(const TPixelDescriptor& d) { return d.BitsPerPixel / 8; }

// A span loop written out for a texture of the destination's own 32-bit format, copied (op 1)
// or blended with a constant alpha (op 10, channels of whole bytes): the same bytes as the
// operation's routine at the same 16.16 coordinates.
struct DirectSpan {
  // Whether the operation has such a loop (never while either engine is forced).
  bool Prepare(const TPixelDescriptor& dest, const TPixelDescriptor& source, uint8_t op, uint32_t colorKey,
               bool useColorKey, int32_t alpha);
  void Run(uint8_t* dst, int32_t u, int32_t v, int32_t du, int32_t dv, int64_t count) const;

  bool Blend = false;
  bool UseKey = false;
  bool Narrow = false;  // every texel within 32-bit byte offsets of row 0
  uint32_t Key = 0;
  const uint8_t* Base = nullptr;
  intptr_t Pitch = 0;
  int32_t Width = 0, Height = 0;  // of the source
  uint16_t LMul[4]{}, RMul[4]{};  // per byte of the pixel: out = (l * LMul + r * RMul) >> 8
};

}  // namespace DXRender::detail
