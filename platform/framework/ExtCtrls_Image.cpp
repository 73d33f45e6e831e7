// TImage: a picture drawn on the parent's surface, placed by Center, Stretch and Proportional.
#include "ExtCtrls.h"

#include "TypInfo.h"

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(std::make_unique<TPicture>()) {
  control_style_.Include(csReplicatable);
  picture_->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
  width_ = 105;
  height_ = 105;
}

TImage::~TImage() { picture_->OnChange = nullptr; }

TRect TImage::DestRect() {
  int w = picture_->Width();
  int h = picture_->Height();
  const TRect client = ClientRect();
  const int cw = client.right - client.left;
  const int ch = client.bottom - client.top;
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_ && w > 0 && h > 0) {
      // The longer side fills the control; the other follows, unless that overflows.
      const double aspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<int>(cw / aspect);
        if (h > ch) {
          h = ch;
          w = static_cast<int>(ch * aspect);
        }
      } else {
        h = ch;
        w = static_cast<int>(ch * aspect);
        if (w > cw) {
          w = cw;
          h = static_cast<int>(cw / aspect);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r{0, 0, w, h};
  if (center_) OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  if (TGraphic* g = picture_->Graphic()) Canvas()->StretchDraw(DestRect(), g);
}

void TImage::PictureChanged(TObject*) {
  if (auto_size_ && picture_->Width() > 0 && picture_->Height() > 0)
    SetBounds(left_, top_, picture_->Width(), picture_->Height());
  TGraphic* g = picture_->Graphic();
  if (g) {
    // An icon keeps its own mask. Handing the setting on may call back here once more; the
    // graphic then already has it and stays quiet.
    if (!dynamic_cast<TIcon*>(g)) g->SetTransparent(transparent_);
    const bool covers = stretch_ || (g->Width() >= width_ && g->Height() >= height_);
    if (!g->Transparent() && covers) control_style_.Include(csOpaque);
    else control_style_.Exclude(csOpaque);
  } else {
    control_style_.Exclude(csOpaque);
  }
  Invalidate();
}

void TImage::SetAutoSize(bool Value) {
  if (auto_size_ == Value) return;
  auto_size_ = Value;
  PictureChanged(this);
}

void TImage::SetCenter(bool Value) {
  if (center_ == Value) return;
  center_ = Value;
  PictureChanged(this);
}

void TImage::SetStretch(bool Value) {
  if (stretch_ == Value) return;
  stretch_ = Value;
  PictureChanged(this);
}

void TImage::SetProportional(bool Value) {
  if (proportional_ == Value) return;
  proportional_ = Value;
  PictureChanged(this);
}

void TImage::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  transparent_ = Value;
  PictureChanged(this);
}

static const bool registered =
    DeclareClass<TImage, TGraphicControl>("TImage")
        .Boolean("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, Default(0))
        .Boolean("Center", &TImage::Center, &TImage::SetCenter, Default(0))
        .Object("Picture", &TImage::Picture)
        .Boolean("Proportional", &TImage::Proportional, &TImage::SetProportional, Default(0))
        .Boolean("Stretch", &TImage::Stretch, &TImage::SetStretch, Default(0))
        .Boolean("Transparent", &TImage::Transparent, &TImage::SetTransparent, Default(0))
        .Done();
