// Published properties of the framework's own streamed classes.
#include "Graphics.h"
#include "Jpeg.h"
#include "TypInfo.h"

namespace {

void DefineStrings(TStrings* s, TFiler* f) {
  bool has_data;
  if (auto* anc = dynamic_cast<TStrings*>(f->Ancestor())) has_data = !s->Equals(anc);
  else has_data = s->Count() > 0;
  f->DefineProperty(
      "Strings",
      [s](TReader* r) {
        s->BeginUpdate();
        try {
          s->Clear();
          r->ReadListBegin();
          while (!r->EndOfList()) s->Add(r->ReadString());
          r->ReadListEnd();
        } catch (...) {
          s->EndUpdate();
          throw;
        }
        s->EndUpdate();
      },
      [s](TWriter* w) {
        w->WriteListBegin();
        for (int i = 0; i < s->Count(); ++i) w->WriteString(s->Strings(i));
        w->WriteListEnd();
      },
      has_data);
}

// Bitmap data: a 32-bit size, then the bitmap file.
void DefineBitmapData(TBitmap* b, TFiler* f) {
  f->DefineBinaryProperty(
      "Data",
      [b](TStream* s) {
        uint32_t n = 0;
        if (s->Read(&n, 4) != 4 || n > s->Size() - s->Position()) throw EReadError(SInvalidImage);
        if (n == 0) {
          b->SetSize(0, 0);
          return;
        }
        TMemoryStream data;
        data.CopyFrom(s, n);
        data.SetPosition(0);
        b->LoadFromStream(&data);
      },
      [b](TStream* s) {
        TMemoryStream ms;
        b->SaveToStream(&ms);
        uint32_t n = static_cast<uint32_t>(ms.Size());
        s->WriteBuffer(&n, 4);
        s->WriteBuffer(ms.Memory(), static_cast<int32_t>(ms.Size()));
      },
      !b->Empty());
}

// Picture data: the graphic's class name as a short string, a 32-bit size, then the graphic's
// own stream (a bitmap file, a JPEG file).
void DefinePictureData(TPicture* p, TFiler* f) {
  TGraphic* g = p->Graphic();
  f->DefineBinaryProperty(
      "Data",
      [p](TStream* s) {
        uint8_t n = 0;
        s->ReadBuffer(&n, 1);
        AnsiString name(n, '\0');
        s->ReadBuffer(name.data(), n);
        const TClassInfo* ci = FindClassInfo(name);
        std::unique_ptr<TPersistent> made(ci && ci->CreatePersistent ? ci->CreatePersistent() : nullptr);
        auto* graphic = dynamic_cast<TGraphic*>(made.get());
        if (!graphic) throw EReadError(SClassNotFound, {name});
        uint32_t size = 0;
        s->ReadBuffer(&size, 4);
        if (size > s->Size() - s->Position()) throw EReadError(SInvalidImage);
        if (size) {
          TMemoryStream data;
          data.CopyFrom(s, size);
          data.SetPosition(0);
          graphic->LoadFromStream(&data);
        }
        p->SetGraphic(graphic);
      },
      [g](TStream* s) {
        AnsiString name = g->ClassName();
        uint8_t n = static_cast<uint8_t>(name.size());
        s->WriteBuffer(&n, 1);
        s->WriteBuffer(name.data(), n);
        TMemoryStream data;
        g->SaveToStream(&data);
        uint32_t size = static_cast<uint32_t>(data.Size());
        s->WriteBuffer(&size, 4);
        s->WriteBuffer(data.Memory(), static_cast<int32_t>(size));
      },
      g && !g->Empty());
}

}  // namespace

void RegisterFrameworkClasses() {
  DeclareClass<TPersistent, TObject>("TPersistent").Done();
  DeclareClass<TComponent, TPersistent>("TComponent")
      .String("Name", &TComponent::Name, &TComponent::SetName, false)
      .Integer("Tag", &TComponent::Tag, &TComponent::SetTag, Default(0))
      .Done();
  DeclareClass<TCollection, TPersistent>("TCollection").Done();
  DeclareClass<TCollectionItem, TPersistent>("TCollectionItem").Done();
  DeclareClass<TStrings, TPersistent>("TStrings").Define(&DefineStrings).Done();
  DeclareClass<TStringList, TStrings>("TStringList").Done();

  DeclareClass<TGraphicsObject, TPersistent>("TGraphicsObject").Done();
  DeclareClass<TFont, TGraphicsObject>("TFont")
      .Integer("Charset", &TFont::Charset, &TFont::SetCharset)
      .Integer("Color", &TFont::Color, &TFont::SetColor).Idents(&IdentToColor, &ColorToIdent)
      .Integer("Height", &TFont::Height, &TFont::SetHeight)
      .String("Name", [](TFont* f) { return f->Name(); }, &TFont::SetName)
      .Enum("Pitch", {"fpDefault", "fpVariable", "fpFixed"}, &TFont::Pitch, &TFont::SetPitch, Default(fpDefault))
      .Integer("Size", &TFont::Size, &TFont::SetSize, NoDefault, false)
      .Set("Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, &TFont::Style, &TFont::SetStyle)
      .Done();
  DeclareClass<TPen, TGraphicsObject>("TPen")
      .Integer("Color", &TPen::Color, &TPen::SetColor, Default(clBlack)).Idents(&IdentToColor, &ColorToIdent)
      .Enum("Mode", {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                     "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask",
                     "pmNotMask", "pmXor", "pmNotXor"},
            &TPen::Mode, &TPen::SetMode, Default(pmCopy))
      .Enum("Style", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"},
            &TPen::Style, &TPen::SetStyle, Default(psSolid))
      .Integer("Width", &TPen::Width, &TPen::SetWidth, Default(1))
      .Done();
  DeclareClass<TBrush, TGraphicsObject>("TBrush")
      .Integer("Color", &TBrush::Color, &TBrush::SetColor, Default(clWhite)).Idents(&IdentToColor, &ColorToIdent)
      .Enum("Style", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
                      "bsCross", "bsDiagCross"},
            &TBrush::Style, &TBrush::SetStyle, Default(bsSolid))
      .Done();
  DeclareClass<TGraphic, TPersistent>("TGraphic").Done();
  DeclareClass<TBitmap, TGraphic>("TBitmap").Define(&DefineBitmapData).Done();
  DeclareClass<TJPEGImage, TGraphic>("TJPEGImage").Done();
  DeclareClass<TIcon, TGraphic>("TIcon").Done();
  DeclareClass<TPicture, TPersistent>("TPicture").Define(&DefinePictureData).Done();
}
