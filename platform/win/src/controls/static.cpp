// The STATIC class: text (left, centred, right, simple, no wrap), filled rectangles and frames,
// etched lines, bitmaps, icons, and owner drawing.
#include "controls/control_window.h"
#include "controls/paint.h"
#include "wingdi.h"
#include "wintext.h"

namespace winplat::controls {

namespace {

struct StaticData {
  HFONT font = nullptr;
  HANDLE image = nullptr;  // STM_SETIMAGE: a bitmap (not owned)
  HICON icon = nullptr;    // STM_SETICON or STM_SETIMAGE with IMAGE_ICON (not owned)
  SIZE iconSize{};
};

HICON SwapIcon(HWND h, StaticData& d, HICON icon) {
  HICON old = d.icon;
  d.icon = icon;
  d.iconSize = {};
  ICONINFO ii{};
  if (icon && GetIconInfo(icon, &ii)) {
    BITMAP bm{};
    if (GetObjectW(ii.hbmColor, sizeof(bm), &bm)) d.iconSize = {bm.bmWidth, bm.bmHeight};
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
  }
  InvalidateRect(h, nullptr, FALSE);
  return old;
}

void Paint(HWND h, HDC dc, StaticData& d) {
  DWORD style = Style(h);
  UINT kind = style & SS_TYPEMASK;
  RECT r;
  GetClientRect(h, &r);
  HGDIOBJ oldFont = SelectObject(dc, ControlFont(d.font));
  bool disabled = (style & WS_DISABLED) != 0;
  auto background = [&] {
    HBRUSH bg = ParentBrush(h, dc, WM_CTLCOLORSTATIC);
    if (bg) FillRect(dc, &r, bg);
    else paint::FillSys(dc, r, COLOR_BTNFACE);
  };
  switch (kind) {
    case SS_BLACKRECT: paint::FillSys(dc, r, COLOR_WINDOWFRAME); break;
    case SS_GRAYRECT: paint::FillSys(dc, r, COLOR_BTNSHADOW); break;
    case SS_WHITERECT: paint::FillSys(dc, r, COLOR_BTNHIGHLIGHT); break;
    case SS_BLACKFRAME: case SS_GRAYFRAME: case SS_WHITEFRAME: {
      int c = kind == SS_BLACKFRAME ? COLOR_WINDOWFRAME : kind == SS_GRAYFRAME ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT;
      HBRUSH b = CreateSolidBrush(GetSysColor(c));
      FrameRect(dc, &r, b);
      DeleteObject(b);
      break;
    }
    case SS_ETCHEDHORZ: {
      RECT line{r.left, r.top, r.right, r.top + 2};
      paint::DrawEdge3D(dc, line, paint::Edge::SunkenThin);
      break;
    }
    case SS_ETCHEDVERT: {
      RECT line{r.left, r.top, r.left + 2, r.bottom};
      paint::DrawEdge3D(dc, line, paint::Edge::SunkenThin);
      break;
    }
    case SS_ETCHEDFRAME: paint::DrawEdge3D(dc, r, paint::Edge::Etched); break;
    case SS_OWNERDRAW: {
      DRAWITEMSTRUCT di{};
      di.CtlType = ODT_STATIC;
      di.CtlID = static_cast<UINT>(GetDlgCtrlID(h));
      di.itemAction = ODA_DRAWENTIRE;
      di.itemState = disabled ? ODS_DISABLED : 0;
      di.hwndItem = h;
      di.hDC = dc;
      di.rcItem = r;
      if (HWND p = NotifyTarget(h)) SendMessageW(p, WM_DRAWITEM, static_cast<WPARAM>(di.CtlID), reinterpret_cast<LPARAM>(&di));
      break;
    }
    case SS_BITMAP: {
      background();
      BITMAP bm{};
      if (d.image && GetObjectW(d.image, sizeof(bm), &bm)) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, d.image);
        int x = 0, y = 0;
        if (style & SS_CENTERIMAGE) {
          x = (r.right - bm.bmWidth) / 2;
          y = (r.bottom - bm.bmHeight) / 2;
        }
        BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
      }
      break;
    }
    case SS_ICON: {
      background();
      if (d.icon) {
        int x = 0, y = 0;
        if (style & SS_CENTERIMAGE) {
          x = (r.right - d.iconSize.cx) / 2;
          y = (r.bottom - d.iconSize.cy) / 2;
        }
        DrawIconEx(dc, x, y, d.icon, 0, 0, 0, nullptr, DI_NORMAL);
      }
      break;
    }
    default: {
      background();
      UINT flags = DT_NOCLIP | DT_EXPANDTABS;
      if (style & SS_NOPREFIX) flags |= DT_NOPREFIX;
      switch (kind) {
        case SS_CENTER: flags |= DT_CENTER | DT_WORDBREAK; break;
        case SS_RIGHT: flags |= DT_RIGHT | DT_WORDBREAK; break;
        case SS_SIMPLE: flags |= DT_SINGLELINE; break;
        case SS_LEFTNOWORDWRAP: break;
        default: flags |= DT_WORDBREAK; break;
      }
      if (style & SS_CENTERIMAGE) flags |= DT_VCENTER | DT_SINGLELINE;
      if (style & SS_ENDELLIPSIS) flags |= DT_END_ELLIPSIS;
      if (style & SS_PATHELLIPSIS) flags |= DT_PATH_ELLIPSIS;
      paint::StaticText(dc, r, WindowText(h), flags, disabled);
      break;
    }
  }
  if (style & SS_SUNKEN) paint::DrawEdge3D(dc, r, paint::Edge::SunkenThin);
  SelectObject(dc, oldFont);
}

LRESULT CALLBACK StaticProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  StaticData* d = StateOf<StaticData>(h);
  if (msg == WM_NCCREATE) {
    d = new StaticData;
    SetState(h, d);
    SetControlKind(h, u"STATIC");
  }
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_NCDESTROY:
      SetState<StaticData>(h, nullptr);
      delete d;
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = wp ? reinterpret_cast<HDC>(wp) : BeginPaint(h, &ps);
      Paint(h, dc, *d);
      if (!wp) EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(h, reinterpret_cast<HDC>(wp), *d);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      if (!(Style(h) & SS_NOTIFY)) return HTTRANSPARENT;
      return HTCLIENT;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(h, msg, wp, lp);
      InvalidateRect(h, nullptr, FALSE);
      return r;
    }
    case WM_SETFONT:
      d->font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(d->font);
    case WM_ENABLE:
      InvalidateRect(h, nullptr, FALSE);
      if (Style(h) & SS_NOTIFY) NotifyParent(h, wp ? STN_ENABLE : STN_DISABLE);
      return 0;
    case WM_LBUTTONDOWN:
      if (Style(h) & SS_NOTIFY) NotifyParent(h, STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (Style(h) & SS_NOTIFY) NotifyParent(h, STN_DBLCLK);
      return 0;
    case STM_SETICON:
      return reinterpret_cast<LRESULT>(SwapIcon(h, *d, reinterpret_cast<HICON>(wp)));
    case STM_GETICON:
      return reinterpret_cast<LRESULT>(d->icon);
    case STM_SETIMAGE: {
      if (wp == IMAGE_ICON) return reinterpret_cast<LRESULT>(SwapIcon(h, *d, reinterpret_cast<HICON>(lp)));
      if (wp != IMAGE_BITMAP) return 0;
      HANDLE old = d->image;
      d->image = reinterpret_cast<HANDLE>(lp);
      InvalidateRect(h, nullptr, FALSE);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE:
      return wp == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(d->image)
             : wp == IMAGE_ICON ? reinterpret_cast<LRESULT>(d->icon)
                                : 0;
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

ATOM RegisterStaticClass() {
  return RegisterControlClass(u"Static", StaticProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW);
}

}  // namespace winplat::controls
