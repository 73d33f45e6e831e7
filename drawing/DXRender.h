// Software pixel engine: pixel descriptors of locked surfaces, an expression-tree blend machine
// that compiles one span routine per operation (x86-64 code, or a portable interpreter), and the
// stretched, filled and rotated blend entry points.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include "ddraw.h"

namespace DXRender {

enum TPixelDescriptorKind : int32_t { pdkIndexed = 0, pdkRGB = 1 };

struct TPixelChannel {
  uint32_t Mask;
  int32_t BitCount;
  int32_t RightShift;
  int32_t LeftShift;
};

struct TPaletteEntryRGB {
  uint8_t Red, Green, Blue, Reserved;
};

struct TPixelDescriptor {
  TPixelDescriptorKind Kind;
  int32_t Width, Height;
  int32_t WidthBits, HeightBits;
  int32_t WidthPower, HeightPower;
  int32_t WidthMask, HeightMask;
  int32_t BitsPerPixel;
  uint8_t* Pixels;   // first byte of row 0
  intptr_t Pitch;    // signed bytes from one row to the next
  int32_t PitchBits;
  TPixelChannel Channels[4];  // RGB: red, green, blue, alpha; indexed: the index
  TPaletteEntryRGB Palette[256];
};

// Channel bits (required-channel masks).
constexpr uint8_t chRed = 1, chGreen = 2, chBlue = 4, chAlpha = 8;
constexpr uint8_t chColors = chRed | chGreen | chBlue;
constexpr uint8_t chAll = chColors | chAlpha;

TPixelChannel MakeChannel(uint32_t mask, bool isIndex);
void MakeIndexedDescriptor(TPixelDescriptor& desc, int32_t width, int32_t height, uint32_t alphaMask,
                           uint32_t indexMask, intptr_t pitch, void* pixels, int32_t bitsPerPixel);
void MakeRGBDescriptor(TPixelDescriptor& desc, int32_t width, int32_t height, uint32_t alphaMask,
                       uint32_t blueMask, uint32_t greenMask, uint32_t redMask, intptr_t pitch, void* pixels,
                       int32_t bitsPerPixel);
bool SameFormat(const TPixelDescriptor& a, const TPixelDescriptor& b);
// The channels a descriptor provides (a required-channel mask).
uint8_t DescriptorChannels(const TPixelDescriptor& desc);

bool LockSurface(IDirectDrawSurface7* surface, TPixelDescriptor& desc);
bool LockSurface(IDirectDrawSurface7* surface, TPixelDescriptor& desc, DDSURFACEDESC2& surfaceDesc);
void UnlockSurface(IDirectDrawSurface7* surface, const TPixelDescriptor& desc);

// Channel values: reading a pixel gives 8-bit values; writing takes them.
void ReadPixelChannels(const TPixelDescriptor& desc, uint32_t pixel, uint8_t out[4]);
uint32_t WritePixelChannels(const TPixelDescriptor& desc, const uint8_t values[4], uint8_t channels);

// Expression nodes.
enum TDXRNodeKind : uint8_t { nkZero = 0, nkRegister = 1, nkColor = 2, nkTexture = 3, nkDest = 4, nkOperation = 5 };

struct TDXRNode {
  TDXRNodeKind Kind;
  uint8_t Mask;  // required channels
  uint8_t Register;
  uint8_t Stage;
  uint16_t Color[4];  // 8.8 values: red, green, blue, alpha
  uint8_t Op;
  TDXRNode* L;
  TDXRNode* R;
};

struct TDXRTextureStage {
  bool InUse;
  TPixelDescriptor* Source;
  int32_t U, V;    // 16.16
  int32_t DU, DV;  // 16.16 per destination pixel
  int32_t AddressMode;
  bool Filter;
  bool UseColorKey;
  uint32_t ColorKey;
  uint8_t RequiredMask;
  uint16_t Default[4];  // 8.8 values for channels the source lacks
};

constexpr int kMaxNodes = 64;
constexpr int kMaxStages = 8;
constexpr int kMaxRegisters = 8;
constexpr size_t kCodeBufferSize = 2048;

namespace detail {
struct CompiledSpanBase;  // the routine of one operation (native or interpreted)
}

class TDXRMachine {
 public:
  static TDXRMachine& Instance();
  TDXRMachine();
  ~TDXRMachine();

  void Reset();
  TDXRNode* CreateZero();
  TDXRNode* CreateRegister(uint8_t index);
  TDXRNode* CreateColor(uint16_t r, uint16_t g, uint16_t b, uint16_t a);
  TDXRNode* CreateTexture(uint8_t stage);
  TDXRNode* CreateDest();
  TDXRNode* CreateOperation(uint8_t op, TDXRNode* l, TDXRNode* r);

  bool Compile(TDXRNode* root);
  void Run(int32_t count);

  TPixelDescriptor* Dest = nullptr;
  std::array<uint16_t, 4> Registers[kMaxRegisters]{};
  TDXRTextureStage Stages[kMaxStages]{};
  int32_t SpanX = 0, SpanY = 0;
  bool Dither = false;
  bool Compiled = false;

  // Whether the last Compile produced native code (false: the interpreter runs it).
  bool CompiledNative() const;
  // Forces the interpreter for every later Compile (tests compare both engines).
  static void ForceInterpreter(bool force);
  static bool InterpreterForced();
  // Forces the compiled routine where a written-out loop would draw (tests compare them).
  static void ForceRoutines(bool force);
  static bool RoutinesForced();

 private:
  TDXRNode nodes_[kMaxNodes];
  int nodeCount_ = 0;
  std::unique_ptr<detail::CompiledSpanBase> span_;
  TDXRNode* NewNode(TDXRNodeKind kind);
};

int32_t MulDiv64(int32_t a, int32_t b, int32_t c);

void DrawRectBlend(TPixelDescriptor& dest, TPixelDescriptor& source, const RECT& destRect, uint32_t colorKey,
                   bool useColorKey, int32_t alpha, uint8_t op, const RECT& srcRect);
void FillRectBlend(TPixelDescriptor& dest, const RECT& rect, uint8_t op, uint32_t color);
void DrawRotatedBlend(TPixelDescriptor& dest, TPixelDescriptor& source, int32_t x, int32_t y, int32_t width,
                      int32_t height, double centerX, double centerY, int32_t angle, const RECT& srcRect,
                      uint32_t colorKey, bool useColorKey, int32_t alpha, uint8_t op);

}  // namespace DXRender
