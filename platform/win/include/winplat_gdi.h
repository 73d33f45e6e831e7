// What the platform's GDI tells its own class library beyond the Windows calls: whether the pixels
// of a bitmap may have changed since a caller last looked, so that copies made from a bitmap (a
// picture's surfaces) are made again only when needed, and which way a DIB section's rows run.
#pragma once
#include <cstdint>

#include "wintypes.h"

namespace winplat {

// A number that changes whenever the bitmap's pixels or colour table may have changed: any
// drawing through a DC that holds it selected, SetDIBits, SetBitmapBits, SetDIBColorTable, and
// MarkBitmapChanged. Values are never repeated, also between bitmaps; 0 for no bitmap.
uint64_t BitmapChangeStamp(HBITMAP bitmap);
// The part of the bitmap whose pixels may have changed since `since`, a value BitmapChangeStamp or
// this call answered for this same bitmap (a caller keeps the handle beside it): empty when none,
// the whole bitmap after a change without a rectangle (SetDIBits and its kin, MarkBitmapChanged)
// or for a stamp older than the bitmap. Answers the bitmap's stamp now; 0 for no bitmap (and
// `changed` empty).
uint64_t BitmapChangesSince(HBITMAP bitmap, uint64_t since, RECT* changed);
// For writes straight into a DIB section's memory, which GDI cannot see.
void MarkBitmapChanged(HBITMAP bitmap);
// Whether `bitmap` is a DIB section made with a negative height (its first stored row is the top
// of the picture). GetObject cannot say: it reports a positive height for every section. False
// for bottom-up sections, device bitmaps and what is not a bitmap.
bool DibSectionIsTopDown(HBITMAP bitmap);

}  // namespace winplat
