// JPEG decoding through libjpeg. libjpeg reports errors by calling an exit routine that must not
// return; ours long-jumps back to the setjmp in the small functions below, which create no C++
// objects between setjmp and the jump, so no destructor is ever skipped.
#include "Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

extern "C" {
#include <jpeglib.h>
}

#include "Graphics_BmpCodec.h"

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  volatile int code;
};

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
  e->code = e->pub.msg_code;
  longjmp(e->jump, 1);
}

extern "C" void JpegSilentMessage(j_common_ptr) {}

// A progressive file can hold any number of scans, each a full pass over the image: refuse files
// with more than a real encoder writes, so a small file cannot keep the decoder busy for minutes.
constexpr int kMaxScans = 200;

extern "C" void JpegProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
    e->code = -1;
    longjmp(e->jump, 1);
  }
}

struct JpegInfo {
  uint32_t width;
  uint32_t height;
  bool grayscale;
};

// Reads the header. 0 on success, else libjpeg's message code (or -1).
int ReadJpegHeader(const uint8_t* data, size_t size, JpegInfo* info) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegErrorExit;
  err.pub.output_message = JpegSilentMessage;
  err.code = 0;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return err.code > 0 ? err.code : -1;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  info->width = cinfo.image_width;
  info->height = cinfo.image_height;
  info->grayscale = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  jpeg_destroy_decompress(&cinfo);
  return 0;
}

// Decodes into a bottom-up 24-bit image (blue, green, red) whose bottom row is at `bits`, rows
// `stride` bytes apart, of exactly the size the header gave. 0 on success, else as above.
int DecodeJpeg(const uint8_t* data, size_t size, uint8_t* bits, size_t stride, uint32_t width, uint32_t height) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegErrorExit;
  err.pub.output_message = JpegSilentMessage;
  err.code = 0;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return err.code > 0 ? err.code : -1;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_progress_mgr progress{};
  progress.progress_monitor = JpegProgress;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_width != width || cinfo.output_height != height ||
      cinfo.output_components != (cmyk ? 4 : 3)) {
    jpeg_destroy_decompress(&cinfo);
    return -1;
  }
  JSAMPARRAY scratch = cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * 4, 1) : nullptr;
  while (cinfo.output_scanline < height) {
    uint8_t* row = bits + static_cast<size_t>(height - 1 - cinfo.output_scanline) * stride;
    if (!cmyk) {
      JSAMPROW rows[1] = {row};
      jpeg_read_scanlines(&cinfo, rows, 1);
      continue;
    }
    jpeg_read_scanlines(&cinfo, scratch, 1);
    // Adobe files store CMYK inverted: each colour is its inverted ink times the inverted black.
    const uint8_t* s = scratch[0];
    for (uint32_t x = 0; x < width; ++x, s += 4) {
      const unsigned k = s[3];
      row[3 * x] = static_cast<uint8_t>(s[2] * k / 255);
      row[3 * x + 1] = static_cast<uint8_t>(s[1] * k / 255);
      row[3 * x + 2] = static_cast<uint8_t>(s[0] * k / 255);
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return 0;
}

[[noreturn]] void JpegError(int code) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "JPEG error #%d", code);
  throw EInvalidGraphic(buf);
}

}  // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(TPersistent* source) {
  if (!source) {
    FBitmap.reset();
    FData.clear();
    FGrayscale = false;
    Changed(this);
    return;
  }
  if (auto* j = dynamic_cast<TJPEGImage*>(source)) {
    if (j == this) return;
    FData = j->FData;
    FGrayscale = j->FGrayscale;
    if (j->FBitmap) {
      FBitmap = std::make_unique<TBitmap>();
      FBitmap->Assign(j->FBitmap.get());
    } else {
      FBitmap.reset();
    }
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TJPEGImage::SetWidth(int32_t) { throw EInvalidGraphicOperation("JPEG イメージのサイズは変更できません"); }
void TJPEGImage::SetHeight(int32_t) { throw EInvalidGraphicOperation("JPEG イメージのサイズは変更できません"); }

void TJPEGImage::LoadFromStream(TStream* stream) {
  const int64_t avail = stream->Size() - stream->Position();
  if (avail <= 0) JpegError(-1);
  if (static_cast<uint64_t>(avail) > vse::bmp::MaxImageBytes()) throw EInvalidGraphic("JPEG イメージが大きすぎます");
  std::vector<uint8_t> data(static_cast<size_t>(avail));
  stream->ReadBuffer(data.data(), static_cast<int32_t>(data.size()));
  JpegInfo info{};
  if (int code = ReadJpegHeader(data.data(), data.size(), &info)) JpegError(code);
  const uint64_t bytes = ((static_cast<uint64_t>(info.width) * 24 + 31) / 32) * 4 * info.height;
  if (info.width == 0 || info.height == 0 || bytes > vse::bmp::MaxImageBytes())
    throw EInvalidGraphic("JPEG イメージが大きすぎます");
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(static_cast<int32_t>(info.width), static_cast<int32_t>(info.height));
  uint8_t* bottom = bmp->ScanLine(bmp->Height() - 1);
  if (int code = DecodeJpeg(data.data(), data.size(), bottom, bmp->Stride(), info.width, info.height)) JpegError(code);
  FBitmap = std::move(bmp);
  FData = std::move(data);
  FGrayscale = info.grayscale;
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream* stream) {
  if (!FData.empty()) stream->WriteBuffer(FData.data(), static_cast<int32_t>(FData.size()));
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& r) {
  if (!Empty()) canvas->StretchDraw(r, FBitmap.get());
}

void TJPEGImage::AssignTo(TPersistent* dest) {
  if (auto* b = dynamic_cast<TBitmap*>(dest)) {
    if (FBitmap) b->Assign(FBitmap.get());
    else b->Assign(nullptr);
    return;
  }
  TGraphic::AssignTo(dest);
}
