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

}  // namespace DXRender::detail
