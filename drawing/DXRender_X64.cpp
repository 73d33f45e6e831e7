// Native span routines for x86-64 (System V): one routine per operation, generated from the plan
// into a fresh page that is written, then made executable and never written again. The routine
// takes the span arguments in rdi and calls nothing. Register use:
//   rdi  span arguments          r8   destination pixel        rcx  pixels left
//   rax, rdx, rsi, r9, r10       temporaries
//   [rsp + 16 * step + 4 * channel]   working values of the plan's steps
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>
#include "DXRender_Ops.h"
#include "DXRender_Plan.h"
#include "winbase.h"

namespace DXRender::detail {

#if defined(__x86_64__)
namespace {

enum Reg : uint8_t { RAX = 0, RCX = 1, RDX = 2, RBX = 3, RSP = 4, RBP = 5, RSI = 6, RDI = 7,
                     R8 = 8, R9 = 9, R10 = 10, R11 = 11 };
enum Cond : uint8_t { CC_E = 4, CC_NE = 5, CC_L = 0xC, CC_G = 0xF };
enum AluOp : uint8_t { ALU_ADD = 0, ALU_OR = 1, ALU_AND = 4, ALU_SUB = 5, ALU_XOR = 6, ALU_CMP = 7 };

constexpr size_t kCapacity = 4096;  // one page; a routine that does not fit falls back

// A small assembler with capacity checks: an overflow marks the routine as failed instead of
// writing past the buffer.
class Assembler {
 public:
  bool Failed() const { return failed_; }
  size_t Size() const { return code_.size(); }
  const uint8_t* Data() const { return code_.data(); }

  void Byte(uint8_t b) {
    if (code_.size() >= kCapacity) { failed_ = true; return; }
    code_.push_back(b);
  }
  void Dword(uint32_t v) { for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(v >> (8 * i))); }

  // REX prefix when needed (or forced for 64-bit operands).
  void Rex(bool w, uint8_t reg, uint8_t base) {
    const uint8_t rex = static_cast<uint8_t>(0x40 | (w ? 8 : 0) | ((reg & 8) ? 4 : 0) | ((base & 8) ? 1 : 0));
    if (rex != 0x40) Byte(rex);
  }
  // ModRM for [base + disp32], with the SIB byte that rsp and r12 need.
  void Mem(uint8_t reg, uint8_t base, int32_t disp) {
    Byte(static_cast<uint8_t>(0x80 | ((reg & 7) << 3) | (base & 7)));
    if ((base & 7) == 4) Byte(0x24);
    Dword(static_cast<uint32_t>(disp));
  }
  void RegReg(uint8_t reg, uint8_t rm) { Byte(static_cast<uint8_t>(0xC0 | ((reg & 7) << 3) | (rm & 7))); }

  void Load32(uint8_t reg, uint8_t base, int32_t disp) { Rex(false, reg, base); Byte(0x8B); Mem(reg, base, disp); }
  void Load64(uint8_t reg, uint8_t base, int32_t disp) { Rex(true, reg, base); Byte(0x8B); Mem(reg, base, disp); }
  void Store32(uint8_t base, int32_t disp, uint8_t reg) { Rex(false, reg, base); Byte(0x89); Mem(reg, base, disp); }
  void Store16(uint8_t base, int32_t disp, uint8_t reg) { Byte(0x66); Rex(false, reg, base); Byte(0x89); Mem(reg, base, disp); }
  void Store8(uint8_t base, int32_t disp, uint8_t reg) {
    // al, cl, dl, bl only (no REX needed for them)
    Rex(false, reg, base);
    Byte(0x88);
    Mem(reg, base, disp);
  }
  void StoreImm32(uint8_t base, int32_t disp, uint32_t imm) { Rex(false, 0, base); Byte(0xC7); Mem(0, base, disp); Dword(imm); }
  void MovImm32(uint8_t reg, uint32_t imm) { Rex(false, 0, reg); Byte(static_cast<uint8_t>(0xB8 | (reg & 7))); Dword(imm); }
  void MovzxByte(uint8_t reg, uint8_t base, int32_t disp) { Rex(false, reg, base); Byte(0x0F); Byte(0xB6); Mem(reg, base, disp); }
  void MovzxWord(uint8_t reg, uint8_t base, int32_t disp) { Rex(false, reg, base); Byte(0x0F); Byte(0xB7); Mem(reg, base, disp); }
  void Mov32(uint8_t dst, uint8_t src) { Rex(false, src, dst); Byte(0x89); RegReg(src, dst); }
  void Mov64(uint8_t dst, uint8_t src) { Rex(true, src, dst); Byte(0x89); RegReg(src, dst); }
  void AluImm32(AluOp op, uint8_t reg, uint32_t imm) { Rex(false, 0, reg); Byte(0x81); RegReg(op, reg); Dword(imm); }
  void AluImm64(AluOp op, uint8_t reg, uint32_t imm) { Rex(true, 0, reg); Byte(0x81); RegReg(op, reg); Dword(imm); }
  void Alu32(AluOp op, uint8_t dst, uint8_t src) {
    Rex(false, src, dst);
    Byte(static_cast<uint8_t>(op * 8 + 1));
    RegReg(src, dst);
  }
  void Add64Mem(uint8_t reg, uint8_t base, int32_t disp) { Rex(true, reg, base); Byte(0x03); Mem(reg, base, disp); }
  void Add32Mem(uint8_t reg, uint8_t base, int32_t disp) { Rex(false, reg, base); Byte(0x03); Mem(reg, base, disp); }
  void Add64(uint8_t dst, uint8_t src) { Rex(true, src, dst); Byte(0x01); RegReg(src, dst); }
  void Imul64Mem(uint8_t reg, uint8_t base, int32_t disp) { Rex(true, reg, base); Byte(0x0F); Byte(0xAF); Mem(reg, base, disp); }
  void Imul64Imm(uint8_t dst, uint8_t src, int32_t imm) { Rex(true, dst, src); Byte(0x69); RegReg(dst, src); Dword(static_cast<uint32_t>(imm)); }
  void Imul32(uint8_t dst, uint8_t src) { Rex(false, dst, src); Byte(0x0F); Byte(0xAF); RegReg(dst, src); }
  void Imul32Imm(uint8_t dst, uint8_t src, int32_t imm) { Rex(false, dst, src); Byte(0x69); RegReg(dst, src); Dword(static_cast<uint32_t>(imm)); }
  void Movsxd(uint8_t dst, uint8_t src) { Rex(true, dst, src); Byte(0x63); RegReg(dst, src); }
  void Shl32(uint8_t reg, uint8_t n) { Shift(4, reg, n); }
  void Shr32(uint8_t reg, uint8_t n) { Shift(5, reg, n); }
  void Sar32(uint8_t reg, uint8_t n) { Shift(7, reg, n); }
  void Cmov32(Cond cc, uint8_t dst, uint8_t src) { Rex(false, dst, src); Byte(0x0F); Byte(static_cast<uint8_t>(0x40 | cc)); RegReg(dst, src); }
  void DecRcx() { Byte(0x48); Byte(0xFF); Byte(0xC9); }
  void MovImm64(uint8_t reg, uint64_t imm) {
    Rex(true, 0, reg);
    Byte(static_cast<uint8_t>(0xB8 | (reg & 7)));
    Dword(static_cast<uint32_t>(imm));
    Dword(static_cast<uint32_t>(imm >> 32));
  }
  void RepMovsb() { Byte(0xF3); Byte(0xA4); }
  void Store64(uint8_t base, int32_t disp, uint8_t reg) { Rex(true, reg, base); Byte(0x89); Mem(reg, base, disp); }
  void AddMem64Imm(uint8_t base, int32_t disp, uint32_t imm) { Rex(true, 0, base); Byte(0x81); Mem(0, base, disp); Dword(imm); }
  void Shl64(uint8_t reg, uint8_t n) { Rex(true, 0, reg); Byte(0xC1); RegReg(4, reg); Byte(n); }

  // SSE2 on xmm0..xmm15: prefix, REX when needed, 0F, opcode, ModRM.
  void SseRR(uint8_t prefix, uint8_t opcode, uint8_t reg, uint8_t rm) {
    Byte(prefix);
    Rex(false, reg, rm);
    Byte(0x0F);
    Byte(opcode);
    RegReg(reg, rm);
  }
  void SseRM(uint8_t prefix, uint8_t opcode, uint8_t reg, uint8_t base, int32_t disp) {
    Byte(prefix);
    Rex(false, reg, base);
    Byte(0x0F);
    Byte(opcode);
    Mem(reg, base, disp);
  }
  void Movdqu(uint8_t xmm, uint8_t base, int32_t disp) { SseRM(0xF3, 0x6F, xmm, base, disp); }
  void MovdquStore(uint8_t base, int32_t disp, uint8_t xmm) { SseRM(0xF3, 0x7F, xmm, base, disp); }
  void Movdqa(uint8_t dst, uint8_t src) { SseRR(0x66, 0x6F, dst, src); }
  void Pxor(uint8_t dst, uint8_t src) { SseRR(0x66, 0xEF, dst, src); }
  void Punpcklbw(uint8_t dst, uint8_t src) { SseRR(0x66, 0x60, dst, src); }
  void Punpckhbw(uint8_t dst, uint8_t src) { SseRR(0x66, 0x68, dst, src); }
  void Punpcklqdq(uint8_t dst, uint8_t src) { SseRR(0x66, 0x6C, dst, src); }
  void Punpckldq(uint8_t dst, uint8_t src) { SseRR(0x66, 0x62, dst, src); }
  void MovdLoad(uint8_t xmm, uint8_t base, int32_t disp) { SseRM(0x66, 0x6E, xmm, base, disp); }
  void Pmullw(uint8_t dst, uint8_t src) { SseRR(0x66, 0xD5, dst, src); }
  void Paddw(uint8_t dst, uint8_t src) { SseRR(0x66, 0xFD, dst, src); }
  void Packuswb(uint8_t dst, uint8_t src) { SseRR(0x66, 0x67, dst, src); }
  void Pand(uint8_t dst, uint8_t src) { SseRR(0x66, 0xDB, dst, src); }
  void Pandn(uint8_t dst, uint8_t src) { SseRR(0x66, 0xDF, dst, src); }
  void Por(uint8_t dst, uint8_t src) { SseRR(0x66, 0xEB, dst, src); }
  void Pcmpeqd(uint8_t dst, uint8_t src) { SseRR(0x66, 0x76, dst, src); }
  void Psrlw(uint8_t xmm, uint8_t n) { SseRR(0x66, 0x71, 2, xmm); Byte(n); }
  void Pshufd(uint8_t dst, uint8_t src, uint8_t order) { SseRR(0x66, 0x70, dst, src); Byte(order); }
  void MovdToXmm(uint8_t xmm, uint8_t reg) { SseRR(0x66, 0x6E, xmm, reg); }
  void MovqToXmm(uint8_t xmm, uint8_t reg) {  // 66 REX.W 0F 6E
    Byte(0x66);
    Rex(true, xmm, reg);
    Byte(0x0F);
    Byte(0x6E);
    RegReg(xmm, reg);
  }
  void Ret() { Byte(0xC3); }

  // Labels: positions in the code; forward jumps are patched when the label is bound.
  int NewLabel() { labels_.push_back(-1); return static_cast<int>(labels_.size()) - 1; }
  void Bind(int label) {
    labels_[label] = static_cast<int>(code_.size());
    for (auto& f : fixups_)
      if (f.label == label) Patch(f.at, label);
  }
  void Jcc(Cond cc, int label) { Byte(0x0F); Byte(static_cast<uint8_t>(0x80 | cc)); Rel32(label); }
  void Jmp(int label) { Byte(0xE9); Rel32(label); }

 private:
  struct Fixup { size_t at; int label; };
  void Shift(uint8_t ext, uint8_t reg, uint8_t n) {
    if (n == 0) return;
    Rex(false, 0, reg);
    Byte(0xC1);
    RegReg(ext, reg);
    Byte(n);
  }
  void Rel32(int label) {
    const size_t at = code_.size();
    Dword(0);
    if (failed_) return;
    if (labels_[label] >= 0) Patch(at, label);
    else fixups_.push_back({at, label});
  }
  void Patch(size_t at, int label) {
    if (at + 4 > code_.size()) return;
    const int32_t rel = labels_[label] - static_cast<int32_t>(at + 4);
    for (int i = 0; i < 4; ++i) code_[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(rel) >> (8 * i));
  }

  std::vector<uint8_t> code_;
  std::vector<int> labels_;
  std::vector<Fixup> fixups_;
  bool failed_ = false;
};

constexpr int32_t kDst = offsetof(SpanArgs, Dst);
constexpr int32_t kCount = offsetof(SpanArgs, Count);
int32_t StageField(int stage, size_t field) {
  return static_cast<int32_t>(offsetof(SpanArgs, Stages) + stage * sizeof(SpanArgs::Stage) + field);
}
int32_t Slot(int step, int channel) { return step * 16 + channel * 4; }

class Generator {
 public:
  Generator(const Plan& plan, const TDXRMachine& m) : plan_(plan), m_(m) {}

  bool Emit() {
    const TPixelDescriptor& dest = *m_.Dest;
    destBytes_ = BytesPerPixel(dest);
    ClassifyStages();
    frame_ = plan_.FastCopy ? 0 : (plan_.StepCount * 16 + 15) / 16 * 16;
    a_.Load64(R8, RDI, kDst);
    a_.Load64(RCX, RDI, kCount);
    if (frame_) a_.AluImm64(ALU_SUB, RSP, static_cast<uint32_t>(frame_));
    EmitStagePrologue();
    const int loop = a_.NewLabel(), next = a_.NewLabel(), done = a_.NewLabel();
    if (plan_.FastCopy) EmitVectorCopy(done);
    else EmitVectorBlend(done);
    a_.Bind(loop);
    if (plan_.FastCopy) {
      const int stage = plan_.Steps[plan_.StepCount - 1].Stage;
      LoadTexel(stage, next);
      StorePixel(destBytes_);
    } else {
      for (int i = 0; i < plan_.StepCount; ++i) EmitStep(i, next);
      WriteResult(plan_.StepCount - 1);
    }
    a_.Bind(next);
    a_.AluImm64(ALU_ADD, R8, static_cast<uint32_t>(destBytes_));
    for (int s = 0; s < kMaxStages; ++s) {
      if (!(plan_.StageMask & (1 << s))) continue;
      if (walk_[s]) {
        a_.AddMem64Imm(RDI, StageField(s, offsetof(SpanArgs::Stage, Ptr)), static_cast<uint32_t>(stageBytes_[s]));
        continue;
      }
      a_.Load32(RAX, RDI, StageField(s, offsetof(SpanArgs::Stage, U)));
      a_.Add32Mem(RAX, RDI, StageField(s, offsetof(SpanArgs::Stage, DU)));
      a_.Store32(RDI, StageField(s, offsetof(SpanArgs::Stage, U)), RAX);
      if (row_[s]) continue;  // V does not move
      a_.Load32(RAX, RDI, StageField(s, offsetof(SpanArgs::Stage, V)));
      a_.Add32Mem(RAX, RDI, StageField(s, offsetof(SpanArgs::Stage, DV)));
      a_.Store32(RDI, StageField(s, offsetof(SpanArgs::Stage, V)), RAX);
    }
    a_.DecRcx();
    a_.Jcc(CC_NE, loop);
    a_.Bind(done);
    // A walking stage's U moved one texel per pixel: U += Count << 16.
    for (int s = 0; s < kMaxStages; ++s) {
      if (!(plan_.StageMask & (1 << s)) || !walk_[s]) continue;
      a_.Load32(RAX, RDI, kCount);
      a_.Shl32(RAX, 16);
      a_.Add32Mem(RAX, RDI, StageField(s, offsetof(SpanArgs::Stage, U)));
      a_.Store32(RDI, StageField(s, offsetof(SpanArgs::Stage, U)), RAX);
    }
    if (frame_) a_.AluImm64(ALU_ADD, RSP, static_cast<uint32_t>(frame_));
    a_.Ret();
    return !a_.Failed();
  }

  const Assembler& Code() const { return a_; }

 private:
  // Steps are fixed for the operation: a stage whose V does not move reads one texel row; one
  // that also moves one texel per pixel walks a pointer.
  void ClassifyStages() {
    for (int s = 0; s < kMaxStages; ++s) {
      if (!(plan_.StageMask & (1 << s))) continue;
      const TDXRTextureStage& st = m_.Stages[s];
      stageBytes_[s] = BytesPerPixel(*st.Source);
      row_[s] = st.DV == 0;
      walk_[s] = row_[s] && st.DU == 65536;
    }
  }

  void EmitStagePrologue() {
    for (int s = 0; s < kMaxStages; ++s) {
      if (!(plan_.StageMask & (1 << s)) || !row_[s]) continue;
      a_.Load32(RDX, RDI, StageField(s, offsetof(SpanArgs::Stage, V)));
      a_.Sar32(RDX, 16);
      a_.Movsxd(RDX, RDX);
      a_.Imul64Mem(RDX, RDI, StageField(s, offsetof(SpanArgs::Stage, Pitch)));
      a_.Add64Mem(RDX, RDI, StageField(s, offsetof(SpanArgs::Stage, Base)));
      a_.Store64(RDI, StageField(s, offsetof(SpanArgs::Stage, Row)), RDX);
      if (!walk_[s]) continue;
      a_.Load32(RAX, RDI, StageField(s, offsetof(SpanArgs::Stage, U)));
      a_.Sar32(RAX, 16);
      a_.Movsxd(RAX, RAX);
      a_.Imul64Imm(RAX, RAX, stageBytes_[s]);
      a_.Add64(RAX, RDX);
      a_.Store64(RDI, StageField(s, offsetof(SpanArgs::Stage, Ptr)), RAX);
    }
  }

  // Same-format copy of a walking stage: block moves without a key, four pixels at a time
  // with a 32-bit key. Leaves the remaining pixels (rcx) to the pixel loop.
  void EmitVectorCopy(int done) {
    const int stage = plan_.Steps[plan_.StepCount - 1].Stage;
    if (!walk_[stage]) return;
    const TDXRTextureStage& st = m_.Stages[stage];
    const int32_t ptr = StageField(stage, offsetof(SpanArgs::Stage, Ptr));
    if (!st.UseColorKey) {
      // Whole 64- and 16-byte blocks, then the last bytes one by one.
      a_.Mov64(R11, RDI);
      a_.Load64(RSI, RDI, ptr);
      a_.Mov64(RDI, R8);
      a_.Imul64Imm(RCX, RCX, destBytes_);
      const int blocks64 = a_.NewLabel(), blocks16 = a_.NewLabel(), bytes = a_.NewLabel();
      a_.Bind(blocks64);
      a_.AluImm64(ALU_CMP, RCX, 64);
      a_.Jcc(CC_L, blocks16);
      for (int i = 0; i < 4; ++i) a_.Movdqu(static_cast<uint8_t>(i), RSI, 16 * i);
      for (int i = 0; i < 4; ++i) a_.MovdquStore(RDI, 16 * i, static_cast<uint8_t>(i));
      a_.AluImm64(ALU_ADD, RSI, 64);
      a_.AluImm64(ALU_ADD, RDI, 64);
      a_.AluImm64(ALU_SUB, RCX, 64);
      a_.Jmp(blocks64);
      a_.Bind(blocks16);
      a_.AluImm64(ALU_CMP, RCX, 16);
      a_.Jcc(CC_L, bytes);
      a_.Movdqu(0, RSI, 0);
      a_.MovdquStore(RDI, 0, 0);
      a_.AluImm64(ALU_ADD, RSI, 16);
      a_.AluImm64(ALU_ADD, RDI, 16);
      a_.AluImm64(ALU_SUB, RCX, 16);
      a_.Jmp(blocks16);
      a_.Bind(bytes);
      a_.RepMovsb();
      a_.Mov64(RDI, R11);
      a_.Jmp(done);
      return;
    }
    if (destBytes_ != 4) return;
    const int loop = a_.NewLabel(), tail = a_.NewLabel();
    a_.MovImm32(RAX, st.ColorKey);
    a_.MovdToXmm(3, RAX);
    a_.Pshufd(3, 3, 0);
    a_.Bind(loop);
    a_.AluImm64(ALU_CMP, RCX, 4);
    a_.Jcc(CC_L, tail);
    a_.Load64(R9, RDI, ptr);
    a_.Movdqu(0, R9, 0);   // texels
    a_.Movdqu(1, R8, 0);   // destination
    a_.Movdqa(2, 0);
    a_.Pcmpeqd(2, 3);      // keyed lanes
    a_.Pand(1, 2);
    a_.Pandn(2, 0);
    a_.Por(1, 2);
    a_.MovdquStore(R8, 0, 1);
    a_.AluImm64(ALU_ADD, R8, 16);
    a_.AddMem64Imm(RDI, ptr, 16);
    a_.AluImm64(ALU_SUB, RCX, 4);
    a_.Jmp(loop);
    a_.Bind(tail);
    a_.AluImm64(ALU_CMP, RCX, 0);
    a_.Jcc(CC_E, done);
  }

  // The blend of a constant or a same-format texture over a 32-bit destination whose channels
  // are whole bytes, with a constant alpha, four pixels at a time. Per channel both forms of the
  // blend are (l * a + r * k) >> 8 with k = 255 - a for a paired channel and k = 256 - a for a
  // single one (r + floor((l - r) a / 256) == (l a + r (256 - a)) >> 8). A texture that walks
  // one texel per pixel is read sixteen bytes at a time; any other (stretched, rotated) has its
  // four texels fetched one by one from U and V, which live in r10 and r11 meanwhile.
  void EmitVectorBlend(int done) {
    const TPixelDescriptor& d = *m_.Dest;
    if (plan_.StepCount != 3 || destBytes_ != 4 || d.Kind != pdkRGB) return;
    const PlanStep& op = plan_.Steps[2];
    const PlanStep& l = plan_.Steps[0];
    if (op.Kind != nkOperation || (op.Op != 10 && op.Op != 11) || op.Left != 0 || op.Right != 1) return;
    if (plan_.Steps[1].Kind != nkDest) return;
    int channelAtByte[4] = {-1, -1, -1, -1};
    for (int c = 0; c < 4; ++c) {
      const uint32_t m = d.Channels[c].Mask;
      if (!m) continue;
      int b = 0;
      while (b < 4 && m != (0xFFu << (8 * b))) ++b;
      if (b == 4) return;
      channelAtByte[b] = c;
    }
    const bool texture = l.Kind == nkTexture;
    if (!texture && l.Kind != nkColor) return;
    if (texture && !SameFormat(*m_.Stages[l.Stage].Source, d)) return;
    const bool gather = texture && !walk_[l.Stage];
    int32_t lAlpha;
    if (texture) {
      if (DescriptorChannels(*m_.Stages[l.Stage].Source) & chAlpha) return;  // alpha varies per texel
      lAlpha = m_.Stages[l.Stage].Default[3];
    } else {
      lAlpha = l.Value[3];
    }
    int32_t a = (lAlpha >> 8) & 0xFF;
    if (op.Op == 11) a = 255 - a;
    uint64_t kLanes = 0, lLanes = 0;
    uint32_t keep = 0;
    for (int b = 0; b < 4; ++b) {
      const int c = channelAtByte[b];
      if (c < 0 || !(op.Mask & (1 << c)) || !(plan_.WriteMask & (1 << c))) continue;
      const bool paired = (op.Mask & (1 << (c ^ 1))) != 0;
      const uint64_t k = static_cast<uint64_t>(paired ? 255 - a : 256 - a);
      const uint64_t lv = texture ? static_cast<uint64_t>(a) : static_cast<uint64_t>(((l.Value[c] >> 8) & 0xFF) * a);
      kLanes |= k << (16 * b);
      lLanes |= lv << (16 * b);
      keep |= 0xFFu << (8 * b);
    }
    const TDXRTextureStage* st = texture ? &m_.Stages[l.Stage] : nullptr;
    const bool key = st && st->UseColorKey;
    const int32_t ptr = texture ? StageField(l.Stage, offsetof(SpanArgs::Stage, Ptr)) : 0;
    a_.Pxor(7, 7);
    a_.MovImm64(RAX, kLanes);
    a_.MovqToXmm(6, RAX);
    a_.Punpcklqdq(6, 6);
    a_.MovImm64(RAX, lLanes);
    a_.MovqToXmm(5, RAX);
    a_.Punpcklqdq(5, 5);
    a_.MovImm32(RAX, keep);
    a_.MovdToXmm(4, RAX);
    a_.Pshufd(4, 4, 0);
    if (key) {
      a_.MovImm32(RAX, st->ColorKey);
      a_.MovdToXmm(3, RAX);
      a_.Pshufd(3, 3, 0);
    }
    const int32_t fieldU = texture ? StageField(l.Stage, offsetof(SpanArgs::Stage, U)) : 0;
    const int32_t fieldV = texture ? StageField(l.Stage, offsetof(SpanArgs::Stage, V)) : 0;
    if (gather) {
      a_.Load32(R10, RDI, fieldU);
      a_.Load32(R11, RDI, fieldV);
    }
    const int loop = a_.NewLabel(), tail = a_.NewLabel();
    a_.Bind(loop);
    a_.AluImm64(ALU_CMP, RCX, 4);
    a_.Jcc(CC_L, tail);
    a_.Movdqu(0, R8, 0);
    a_.Movdqa(1, 0);
    a_.Punpcklbw(0, 7);
    a_.Punpckhbw(1, 7);
    a_.Pmullw(0, 6);
    a_.Pmullw(1, 6);
    if (texture) {
      if (gather) {
        GatherTexels(l.Stage, 2);
      } else {
        a_.Load64(R9, RDI, ptr);
        a_.Movdqu(2, R9, 0);
      }
      if (key) a_.Movdqa(10, 2);
      a_.Movdqa(8, 2);
      a_.Punpcklbw(2, 7);
      a_.Punpckhbw(8, 7);
      a_.Pmullw(2, 5);
      a_.Pmullw(8, 5);
      a_.Paddw(0, 2);
      a_.Paddw(1, 8);
    } else {
      a_.Paddw(0, 5);
      a_.Paddw(1, 5);
    }
    a_.Psrlw(0, 8);
    a_.Psrlw(1, 8);
    a_.Packuswb(0, 1);
    a_.Pand(0, 4);
    if (key) {  // keyed texels leave the destination as it was
      a_.Movdqu(9, R8, 0);
      a_.Pcmpeqd(10, 3);
      a_.Pand(9, 10);
      a_.Pandn(10, 0);
      a_.Por(9, 10);
      a_.MovdquStore(R8, 0, 9);
    } else {
      a_.MovdquStore(R8, 0, 0);
    }
    a_.AluImm64(ALU_ADD, R8, 16);
    if (texture && !gather) a_.AddMem64Imm(RDI, ptr, 16);
    a_.AluImm64(ALU_SUB, RCX, 4);
    a_.Jmp(loop);
    a_.Bind(tail);
    if (gather) {  // the pixel loop goes on from where the texels are
      a_.Store32(RDI, fieldU, R10);
      a_.Store32(RDI, fieldV, R11);
    }
    a_.AluImm64(ALU_CMP, RCX, 0);
    a_.Jcc(CC_E, done);
  }

  // xmm`to` := the four 32-bit texels of the stage at (U, V), (U + DU, V + DV), ... with U in
  // r10 and V in r11, both moved on four steps. Uses rax, rdx and xmm11 to xmm14.
  void GatherTexels(int stage, uint8_t to) {
    const int32_t base = StageField(stage, offsetof(SpanArgs::Stage, Base));
    const int32_t pitch = StageField(stage, offsetof(SpanArgs::Stage, Pitch));
    const int32_t du = StageField(stage, offsetof(SpanArgs::Stage, DU));
    const int32_t dv = StageField(stage, offsetof(SpanArgs::Stage, DV));
    for (uint8_t i = 0; i < 4; ++i) {
      a_.Mov32(RAX, R10);
      a_.Sar32(RAX, 16);
      a_.Movsxd(RAX, RAX);
      a_.Shl64(RAX, 2);
      a_.Mov32(RDX, R11);
      a_.Sar32(RDX, 16);
      a_.Movsxd(RDX, RDX);
      a_.Imul64Mem(RDX, RDI, pitch);
      a_.Add64Mem(RDX, RDI, base);
      a_.Add64(RAX, RDX);
      a_.MovdLoad(static_cast<uint8_t>(11 + i), RAX, 0);
      a_.Add32Mem(R10, RDI, du);
      a_.Add32Mem(R11, RDI, dv);
    }
    a_.Punpckldq(11, 12);
    a_.Punpckldq(13, 14);
    a_.Punpcklqdq(11, 13);
    a_.Movdqa(to, 11);
  }

  // eax := texel of the stage (skipping the pixel on a colour-key match); r9 := its address.
  void LoadTexel(int stage, int skip) {
    const TDXRTextureStage& st = m_.Stages[stage];
    const int bytes = BytesPerPixel(*st.Source);
    if (walk_[stage]) {
      a_.Load64(R9, RDI, StageField(stage, offsetof(SpanArgs::Stage, Ptr)));
      LoadTexelKeyed(st, bytes, skip);
      return;
    }
    if (row_[stage]) {
      a_.Load32(RAX, RDI, StageField(stage, offsetof(SpanArgs::Stage, U)));
      a_.Sar32(RAX, 16);
      a_.Movsxd(RAX, RAX);
      a_.Imul64Imm(RAX, RAX, bytes);
      a_.Add64Mem(RAX, RDI, StageField(stage, offsetof(SpanArgs::Stage, Row)));
      a_.Mov64(R9, RAX);
      LoadTexelKeyed(st, bytes, skip);
      return;
    }
    a_.Load32(RAX, RDI, StageField(stage, offsetof(SpanArgs::Stage, U)));
    a_.Sar32(RAX, 16);
    a_.Movsxd(RAX, RAX);
    a_.Imul64Imm(RAX, RAX, bytes);
    a_.Load32(RDX, RDI, StageField(stage, offsetof(SpanArgs::Stage, V)));
    a_.Sar32(RDX, 16);
    a_.Movsxd(RDX, RDX);
    a_.Imul64Mem(RDX, RDI, StageField(stage, offsetof(SpanArgs::Stage, Pitch)));
    a_.Add64(RAX, RDX);
    a_.Add64Mem(RAX, RDI, StageField(stage, offsetof(SpanArgs::Stage, Base)));
    a_.Mov64(R9, RAX);
    LoadTexelKeyed(st, bytes, skip);
  }

  void LoadTexelKeyed(const TDXRTextureStage& st, int bytes, int skip) {
    LoadPixel(R9, bytes);
    if (st.UseColorKey) {
      const uint32_t key = bytes == 3 ? (st.ColorKey & 0xFFFFFF) : st.ColorKey;
      // Keys wider than the pixel never match.
      if (bytes == 4 || key < (1u << (bytes * 8))) {
        a_.AluImm32(ALU_CMP, RAX, key);
        a_.Jcc(CC_E, skip);
      }
    }
  }

  // eax := pixel at [base] of the given size.
  void LoadPixel(uint8_t base, int bytes) {
    switch (bytes) {
      case 1: a_.MovzxByte(RAX, base, 0); break;
      case 2: a_.MovzxWord(RAX, base, 0); break;
      case 3:
        a_.MovzxWord(RAX, base, 0);
        a_.MovzxByte(RDX, base, 2);
        a_.Shl32(RDX, 16);
        a_.Alu32(ALU_OR, RAX, RDX);
        break;
      default: a_.Load32(RAX, base, 0); break;
    }
  }

  // [r8] := eax, of the given size.
  void StorePixel(int bytes) {
    switch (bytes) {
      case 1: a_.Store8(R8, 0, RAX); break;
      case 2: a_.Store16(R8, 0, RAX); break;
      case 3:
        a_.Store16(R8, 0, RAX);
        a_.Shr32(RAX, 16);
        a_.Store8(R8, 2, RAX);
        break;
      default: a_.Store32(R8, 0, RAX); break;
    }
  }

  // Channels of the pixel in eax, decoded through an RGB descriptor into a step's slot.
  void DecodeRGB(const TPixelDescriptor& d, int step, uint8_t provides, const uint16_t* defaults) {
    for (int c = 0; c < 4; ++c) {
      const TPixelChannel& ch = d.Channels[c];
      if ((provides & (1 << c)) && ch.Mask) {
        a_.Mov32(RDX, RAX);
        a_.AluImm32(ALU_AND, RDX, ch.Mask);
        a_.Shr32(RDX, static_cast<uint8_t>(ch.RightShift));
        a_.Shl32(RDX, static_cast<uint8_t>(ch.LeftShift));
        a_.AluImm32(ALU_AND, RDX, 0xFF);
        a_.Shl32(RDX, 8);
        a_.Store32(RSP, Slot(step, c), RDX);
      } else {
        SetKnown(step, c, defaults ? defaults[c] : 0);
      }
    }
  }

  void EmitStep(int i, int skip) {
    const PlanStep& s = plan_.Steps[i];
    switch (s.Kind) {
      case nkZero:
        for (int c = 0; c < 4; ++c) SetKnown(i, c, 0);
        break;
      case nkColor:
      case nkRegister:
        for (int c = 0; c < 4; ++c) SetKnown(i, c, s.Value[c]);
        break;
      case nkDest: {
        LoadPixel(R8, destBytes_);
        DecodeRGB(*m_.Dest, i, chAll, nullptr);
        break;
      }
      case nkTexture: {
        const TDXRTextureStage& st = m_.Stages[s.Stage];
        LoadTexel(s.Stage, skip);
        const uint8_t provides = DescriptorChannels(*st.Source);
        if (st.Source->Kind == pdkIndexed) {
          const TPixelChannel& ch = st.Source->Channels[0];
          a_.Mov32(RDX, RAX);
          a_.AluImm32(ALU_AND, RDX, ch.Mask);
          a_.Shr32(RDX, static_cast<uint8_t>(ch.RightShift));
          a_.AluImm32(ALU_AND, RDX, 0xFF);
          a_.Shl32(RDX, 2);
          a_.Add64Mem(RDX, RDI, StageField(s.Stage, offsetof(SpanArgs::Stage, Palette)));
          for (int c = 0; c < 4; ++c) {
            if (provides & (1 << c)) {
              a_.MovzxByte(RSI, RDX, c);
              a_.Shl32(RSI, 8);
              a_.Store32(RSP, Slot(i, c), RSI);
            } else {
              SetKnown(i, c, st.Default[c]);
            }
          }
        } else {
          DecodeRGB(*st.Source, i, provides, st.Default);
        }
        break;
      }
      case nkOperation:
        EmitOperation(i, s);
        break;
    }
  }

  void Hi(uint8_t reg) {
    a_.Shr32(reg, 8);
    a_.AluImm32(ALU_AND, reg, 0xFF);
  }
  void ClampAbove(uint8_t reg, uint32_t limit) {  // reg := min(reg, limit), signed
    a_.MovImm32(R10, limit);
    a_.Alu32(ALU_CMP, reg, R10);
    a_.Cmov32(CC_G, reg, R10);
  }
  void ClampBelowZero(uint8_t reg) {  // reg := max(reg, 0), signed
    a_.Alu32(ALU_XOR, R10, R10);
    a_.Alu32(ALU_CMP, reg, R10);
    a_.Cmov32(CC_L, reg, R10);
  }
  void LoadOperand(uint8_t reg, int step, int c) {
    if (IsKnown(step, c)) {
      const int32_t v = KnownValue(step, c);
      if (v == 0) a_.Alu32(ALU_XOR, reg, reg);
      else a_.MovImm32(reg, static_cast<uint32_t>(v));
    } else {
      a_.Load32(reg, RSP, Slot(step, c));
    }
  }
  Value KnownOperand(int step) const {
    Value v{{0, 0, 0, 0}};
    for (int c = 0; c < 4; ++c) v.C[c] = KnownValue(step, c);
    return v;
  }
  // Whether channel c of an operation depends only on known values.
  bool FoldsAtCompileTime(const PlanStep& s, int c) const {
    const bool needsAlpha = s.Op >= 7 && s.Op <= 11;
    if (needsAlpha && !IsKnown(s.Left, 3)) return false;
    return IsKnown(s.Left, c) && IsKnown(s.Right, c);
  }

  void EmitOperation(int i, const PlanStep& s) {
    const bool needsAlpha = s.Op >= 7 && s.Op <= 11;
    const Value folded = Apply(s.Op, s.Mask, KnownOperand(s.Left), KnownOperand(s.Right));
    bool anyRuntime = false;
    for (int c = 0; c < 4; ++c) {
      if (!(s.Mask & (1 << c))) SetKnown(i, c, 0);
      else if (FoldsAtCompileTime(s, c)) SetKnown(i, c, folded.C[c]);
      else anyRuntime = true;
    }
    if (!anyRuntime) return;
    const bool constAlpha = needsAlpha && IsKnown(s.Left, 3);
    int32_t a8 = 0;
    if (constAlpha) {
      a8 = (KnownValue(s.Left, 3) >> 8) & 0xFF;
      if (s.Op == 11) a8 = 255 - a8;
      a_.MovImm32(RSI, static_cast<uint32_t>(a8));
    } else if (needsAlpha) {
      LoadOperand(RSI, s.Left, 3);
      Hi(RSI);
      if (s.Op == 11) {
        a_.MovImm32(R10, 255);
        a_.Alu32(ALU_SUB, R10, RSI);
        a_.Mov32(RSI, R10);
      }
    }
    for (int c = 0; c < 4; ++c) {
      if (known_[i].Is[c]) continue;
      LoadOperand(RAX, s.Left, c);
      LoadOperand(RDX, s.Right, c);
      const bool alpha = c == 3;
      uint8_t op = s.Op;
      // Alpha of the operations that copy it.
      if ((op == 13 || op == 14) && alpha) op = 1;
      if (op == 12) op = alpha ? 2 : 1;
      if (op == 13) op = 6;
      if (op == 14) op = 3;
      switch (op) {
        case 0: a_.Alu32(ALU_XOR, RAX, RAX); break;
        case 1: break;
        case 2: a_.Mov32(RAX, RDX); break;
        case 3: a_.Alu32(ALU_ADD, RAX, RDX); ClampAbove(RAX, 65535); break;
        case 4: a_.Alu32(ALU_SUB, RAX, RDX); ClampBelowZero(RAX); break;
        case 5: a_.Alu32(ALU_SUB, RDX, RAX); a_.Mov32(RAX, RDX); ClampBelowZero(RAX); break;
        case 6: Hi(RAX); Hi(RDX); a_.Imul32(RAX, RDX); a_.Shr32(RAX, 8); a_.Shl32(RAX, 8); break;
        case 7: Hi(RAX); a_.Imul32(RAX, RSI); a_.Shr32(RAX, 8); a_.Shl32(RAX, 8); break;
        case 8:
          Hi(RAX); a_.Imul32(RAX, RSI); a_.Shr32(RAX, 8);
          Hi(RDX); a_.Alu32(ALU_ADD, RAX, RDX); ClampAbove(RAX, 255); a_.Shl32(RAX, 8);
          break;
        case 9:
          Hi(RAX); a_.Imul32(RAX, RSI); a_.Shr32(RAX, 8);
          Hi(RDX); a_.Alu32(ALU_SUB, RDX, RAX); a_.Mov32(RAX, RDX); ClampBelowZero(RAX); a_.Shl32(RAX, 8);
          break;
        case 10:
        case 11: {
          const bool paired = (s.Mask & (1 << (c ^ 1))) != 0;
          Hi(RAX);
          Hi(RDX);
          if (paired && constAlpha) {
            a_.Imul32Imm(RAX, RAX, a8);
            a_.Imul32Imm(RDX, RDX, 255 - a8);
            a_.Alu32(ALU_ADD, RAX, RDX);
            a_.Shr32(RAX, 8);
          } else if (paired) {  // floor((l * a + r * (255 - a)) / 256)
            a_.Imul32(RAX, RSI);
            a_.MovImm32(R10, 255);
            a_.Alu32(ALU_SUB, R10, RSI);
            a_.Imul32(RDX, R10);
            a_.Alu32(ALU_ADD, RAX, RDX);
            a_.Shr32(RAX, 8);
          } else {  // r + floor((l - r) * a / 256)
            a_.Alu32(ALU_SUB, RAX, RDX);
            a_.Imul32(RAX, RSI);
            a_.Sar32(RAX, 8);
            a_.Alu32(ALU_ADD, RAX, RDX);
          }
          a_.AluImm32(ALU_AND, RAX, 0xFF);
          a_.Shl32(RAX, 8);
          break;
        }
        default: a_.Alu32(ALU_XOR, RAX, RAX); break;
      }
      a_.Store32(RSP, Slot(i, c), RAX);
    }
  }

  void WriteResult(int step) {
    const TPixelDescriptor& d = *m_.Dest;
    uint32_t constantPart = 0;
    for (int c = 0; c < 4; ++c) {
      const TPixelChannel& ch = d.Channels[c];
      if (!(plan_.WriteMask & (1 << c)) || !ch.Mask || !IsKnown(step, c)) continue;
      const uint32_t v8 = static_cast<uint32_t>(KnownValue(step, c) >> 8) & 0xFF;
      constantPart |= ((v8 << ch.RightShift) >> ch.LeftShift) & ch.Mask;
    }
    a_.MovImm32(RSI, constantPart);
    for (int c = 0; c < 4; ++c) {
      const TPixelChannel& ch = d.Channels[c];
      if (!(plan_.WriteMask & (1 << c)) || !ch.Mask || IsKnown(step, c)) continue;
      a_.Load32(RDX, RSP, Slot(step, c));
      Hi(RDX);
      a_.Shl32(RDX, static_cast<uint8_t>(ch.RightShift));
      a_.Shr32(RDX, static_cast<uint8_t>(ch.LeftShift));
      a_.AluImm32(ALU_AND, RDX, ch.Mask);
      a_.Alu32(ALU_OR, RSI, RDX);
    }
    a_.Mov32(RAX, RSI);
    StorePixel(destBytes_);
  }

  // Channel values known while generating (constants, channels a format lacks, and what
  // operations compute from them) are folded instead of computed per pixel.
  struct Known {
    bool Is[4];
    int32_t Value[4];
  };
  void SetKnown(int step, int c, int32_t v) { known_[step].Is[c] = true; known_[step].Value[c] = v; }
  bool IsKnown(int step, int c) const { return step < 0 || known_[step].Is[c]; }
  int32_t KnownValue(int step, int c) const { return step < 0 ? 0 : known_[step].Value[c]; }

  const Plan& plan_;
  const TDXRMachine& m_;
  Known known_[kMaxNodes]{};
  bool row_[kMaxStages]{};
  bool walk_[kMaxStages]{};
  int stageBytes_[kMaxStages]{};
  Assembler a_;
  int destBytes_ = 4;
  int frame_ = 0;
};

class NativeSpan final : public CompiledSpanBase {
 public:
  explicit NativeSpan(std::shared_ptr<void> memory) : memory_(std::move(memory)) {}
  bool Native() const override { return true; }
  void Run(SpanArgs& args) override { reinterpret_cast<void (*)(SpanArgs*)>(memory_.get())(&args); }

 private:
  std::shared_ptr<void> memory_;
};

// Routines made lately, by their code: drawing calls compile the same few operations again and
// again, and a routine depends on nothing but its bytes (it holds no addresses), so equal code
// runs from the same page instead of a fresh mapping each time.
class RoutineCache {
 public:
  std::shared_ptr<void> Find(const Assembler& code) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Entry& e : entries_)
      if (e.code.size() == code.Size() && std::memcmp(e.code.data(), code.Data(), code.Size()) == 0) {
        e.used = ++clock_;
        return e.memory;
      }
    return nullptr;
  }
  void Add(const Assembler& code, std::shared_ptr<void> memory) {
    std::lock_guard<std::mutex> lock(mutex_);
    Entry* slot = nullptr;
    if (entries_.size() < kEntries) {
      slot = &entries_.emplace_back();
    } else {
      slot = &entries_[0];
      for (Entry& e : entries_)
        if (e.used < slot->used) slot = &e;
    }
    slot->code.assign(code.Data(), code.Data() + code.Size());
    slot->memory = std::move(memory);
    slot->used = ++clock_;
  }

 private:
  static constexpr size_t kEntries = 16;
  struct Entry {
    std::vector<uint8_t> code;
    std::shared_ptr<void> memory;
    uint64_t used = 0;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;
  uint64_t clock_ = 0;
};

RoutineCache& Cache() {
  static auto* cache = new RoutineCache;  // kept to the end: routines may run while statics go
  return *cache;
}

}  // namespace

std::unique_ptr<CompiledSpanBase> CompileNative(const Plan& plan, const TDXRMachine& machine) {
  Generator g(plan, machine);
  if (!g.Emit()) return nullptr;
  const Assembler& code = g.Code();
  if (std::shared_ptr<void> known = Cache().Find(code)) return std::make_unique<NativeSpan>(std::move(known));
  // Mapped writable, filled, then made executable and read-only: never writable and executable.
  void* mem = VirtualAlloc(nullptr, kCapacity, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!mem) return nullptr;
  std::memcpy(mem, code.Data(), code.Size());
  DWORD old;
  if (!VirtualProtect(mem, kCapacity, PAGE_EXECUTE_READ, &old)) {
    VirtualFree(mem, 0, MEM_RELEASE);
    return nullptr;
  }
  std::shared_ptr<void> memory(mem, [](void* p) { VirtualFree(p, 0, MEM_RELEASE); });
  Cache().Add(code, memory);
  return std::make_unique<NativeSpan>(std::move(memory));
}

#else

std::unique_ptr<CompiledSpanBase> CompileNative(const Plan&, const TDXRMachine&) { return nullptr; }

#endif

}  // namespace DXRender::detail
