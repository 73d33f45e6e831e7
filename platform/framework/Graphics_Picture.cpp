// TGraphic's common part, TPicture and the registry of picture file formats.
#include <algorithm>
#include <mutex>
#include <typeinfo>
#include <vector>

#include "Graphics.h"
#include "Jpeg.h"

// ---- TGraphic ----------------------------------------------------------------------------------

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed(this);
}

void TGraphic::SetModified(bool value) {
  if (value) Changed(this);
  else FModified = false;
}

void TGraphic::Changed(TObject* sender) {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

const char* const SUnknownClipboardFormat = "サポートされていないクリップボード形式です";

void TGraphic::LoadFromClipboardFormat(uint16_t, HANDLE, HPALETTE) { throw EInvalidGraphic(SUnknownClipboardFormat); }

void TGraphic::SaveToClipboardFormat(uint16_t&, HANDLE&, HPALETTE&) { throw EInvalidGraphic(SUnknownClipboardFormat); }

void TGraphic::AssignTo(TPersistent* dest) {
  if (auto* b = dynamic_cast<TBitmap*>(dest)) {
    // Drawn onto a fresh (black) bitmap of this picture's size.
    b->SetSize(0, 0);
    b->SetSize(Width(), Height());
    b->Canvas()->Draw(0, 0, this);
    return;
  }
  TPersistent::AssignTo(dest);
}

// ---- TSharedImage ------------------------------------------------------------------------------

void TSharedImage::Release() {
  if (--FRefCount <= 0) {
    FreeHandle();
    delete this;
  }
}

// ---- Registry ----------------------------------------------------------------------------------

namespace {

struct FileFormat {
  AnsiString extension;  // lower case, no dot
  AnsiString description;
  TGraphicClass graphicClass;
};

AnsiString LowerAscii(AnsiString s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::mutex g_formatsLock;

struct ClipboardFormat {
  uint16_t format;
  TGraphicClass graphicClass;
};

std::vector<ClipboardFormat>& ClipboardFormats() {
  static std::vector<ClipboardFormat> formats;
  return formats;
}

std::vector<FileFormat>& Formats() {
  static std::vector<FileFormat> formats = {
      {"bmp", "Bitmaps", &GraphicClassOf<TBitmap>},
      {"ico", "Icons", &GraphicClassOf<TIcon>},
      {"jpeg", "JPEG Image File", &GraphicClassOf<TJPEGImage>},
      {"jpg", "JPEG Image File", &GraphicClassOf<TJPEGImage>},
  };
  return formats;
}

// The extension of a file name: after the last '.' of its last component. The name is converted
// to UTF-16 first, since a CP932 trail byte can look like a path separator.
AnsiString ExtensionOf(const AnsiString& fileName) {
  const WideString w = AnsiToWide(fileName);
  size_t i = w.size();
  while (i > 0) {
    const char16_t c = w[i - 1];
    if (c == u'.') return WideToAnsi(w.substr(i));
    if (c == u'\\' || c == u'/' || c == u':') break;
    --i;
  }
  return AnsiString();
}

// A new graphic of the same class as `g`, when that class is registered.
TGraphic* NewOfSameClass(const TGraphic* g) {
  const std::type_info& wanted = typeid(*g);
  if (wanted == typeid(TBitmap)) return new TBitmap();
  std::vector<TGraphicClass> classes;
  {
    std::lock_guard<std::mutex> lock(g_formatsLock);
    for (const FileFormat& f : Formats()) classes.push_back(f.graphicClass);
  }
  for (TGraphicClass c : classes) {
    std::unique_ptr<TGraphic> probe(c());
    if (!probe) continue;
    const TGraphic& p = *probe;
    if (typeid(p) == wanted) return probe.release();
  }
  return nullptr;
}

}  // namespace

void TPicture::RegisterFileFormat(const AnsiString& extension, const AnsiString& description, TGraphicClass graphicClass) {
  AnsiString ext = LowerAscii(extension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  std::lock_guard<std::mutex> lock(g_formatsLock);
  Formats().push_back(FileFormat{ext, description, graphicClass});
}

void TPicture::RegisterClipboardFormat(uint16_t format, TGraphicClass graphicClass) {
  std::lock_guard<std::mutex> lock(g_formatsLock);
  ClipboardFormats().push_back(ClipboardFormat{format, graphicClass});
}

TGraphicClass TPicture::ClipboardFormatClass(uint16_t format) {
  std::lock_guard<std::mutex> lock(g_formatsLock);
  const auto& f = ClipboardFormats();
  for (auto it = f.rbegin(); it != f.rend(); ++it)
    if (it->format == format) return it->graphicClass;
  return nullptr;
}

void TPicture::UnregisterGraphicClass(TGraphicClass graphicClass) {
  std::lock_guard<std::mutex> lock(g_formatsLock);
  auto& f = Formats();
  f.erase(std::remove_if(f.begin(), f.end(), [&](const FileFormat& e) { return e.graphicClass == graphicClass; }), f.end());
  auto& c = ClipboardFormats();
  c.erase(std::remove_if(c.begin(), c.end(), [&](const ClipboardFormat& e) { return e.graphicClass == graphicClass; }), c.end());
}

TGraphicClass TPicture::FileFormatClass(const AnsiString& extension) {
  AnsiString ext = LowerAscii(extension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  std::lock_guard<std::mutex> lock(g_formatsLock);
  const auto& f = Formats();
  // The latest registration of an extension wins.
  for (auto it = f.rbegin(); it != f.rend(); ++it)
    if (it->extension == ext) return it->graphicClass;
  return nullptr;
}

// ---- TPicture ----------------------------------------------------------------------------------

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed(TObject* sender) {
  if (OnChange) OnChange(this);
}

void TPicture::TakeGraphic(TGraphic* graphic) {
  FGraphic.reset(graphic);
  if (FGraphic) FGraphic->OnChange = [this](TObject* s) { Changed(s); };
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* value) {
  if (value == FGraphic.get()) return;
  if (!value) {
    TakeGraphic(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> copy(NewOfSameClass(value));
  if (!copy) copy = std::make_unique<TBitmap>();  // an unregistered class is kept as a drawing of it
  copy->Assign(value);
  TakeGraphic(copy.release());
}

TBitmap* TPicture::Bitmap() {
  if (auto* b = dynamic_cast<TBitmap*>(FGraphic.get())) return b;
  auto bmp = std::make_unique<TBitmap>();
  if (FGraphic) bmp->Assign(FGraphic.get());
  TakeGraphic(bmp.release());
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::Assign(TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* p = dynamic_cast<TPicture*>(source)) {
    if (p != this) SetGraphic(p->Graphic());
  } else if (auto* g = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(source);
  }
}

void TPicture::AssignTo(TPersistent* dest) {
  if (auto* g = dynamic_cast<TGraphic*>(dest)) {
    g->Assign(FGraphic.get());
    return;
  }
  TPersistent::AssignTo(dest);
}

void TPicture::LoadFromFile(const AnsiString& fileName) {
  const AnsiString ext = LowerAscii(ExtensionOf(fileName));
  TGraphicClass cls = FileFormatClass(ext);
  if (!cls) throw EInvalidGraphic(Format(SUnknownExtension, {ext}));
  std::unique_ptr<TGraphic> g(cls());
  g->LoadFromFile(fileName);
  TakeGraphic(g.release());
}

void TPicture::SaveToFile(const AnsiString& fileName) {
  if (FGraphic) FGraphic->SaveToFile(fileName);
}
