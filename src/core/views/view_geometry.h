#pragma once

#include <span>

#include "core/design/round_half_away.h"
#include "core/platform/host.h"
#include "core/views/infobar_layout.h"
#include "core/views/view_state.h"

namespace orvendi {

// Scale commands and the scale each gives.
inline constexpr int kScalePercents[] = {50, 75, 100, 150, 200};

// How far a scroll bar's line and page steps move its position (of 0..1000).
inline constexpr int kScrollLineStep = 5;
inline constexpr int kScrollPageStep = 50;

// Window pixels the views compute with lie within +-kPixelLimit: pointer positions are clamped
// to it and projected points saturate there, so sums of a few of them stay inside int.
inline constexpr int kPixelLimit = kRoundSaturation;
int ClampPointer(long long v);

struct WindowPoint {
  int x = 0;
  int y = 0;
};

// Of `points`, the index of the one nearest to (x, y), the lower index on ties; -1 when even
// that one lies farther than `radius` pixels.
int NearestWithin(int x, int y, std::span<const WindowPoint> points, double radius);

// Window pixel of a world point. Callers pass (x, y) and (y, z) of the point; a view other
// than 0, 1, 2 gives 0. Far-away or non-finite coordinates saturate instead of overflowing.
int WorldToWindowX(const ViewState& view, double x, double y);
int WorldToWindowY(const ViewState& view, double y, double z);

// World coordinate under a window pixel; the axis a view hides reads as the view centre's
// coordinate. Any int pixel is accepted (the pixel difference is formed without overflow).
double WindowToWorldX(const ViewState& view, int window_x);
double WindowToWorldY(const ViewState& view, int window_x, int window_y);
double WindowToWorldZ(const ViewState& view, int window_y);

// Repaint of the whole drawing area with background erase.
void InvalidateDrawing(Host& host);

// Scale command (50, 75, 100, 150 or 200 percent): all three scales, then a full repaint.
void SetScale(ViewState& view, int percent, Host& host);

// View command (0 plan, 1 front, 2 side): invalidates the strip's view-name field, moves both
// scroll bars to the view centre, repaints.
void SelectView(ViewState& view, int view_number, Host& host, const InfobarLayout& infobar);

// After the drawing window changed hscroll_pos / vscroll_pos: set the thumb, derive the view
// centre coordinate on the bar's axis, repaint.
void ApplyHorizontalScroll(ViewState& view, Host& host);
void ApplyVerticalScroll(ViewState& view, Host& host);

// Scroll positions from the view centre (not clamped to 0..1000), thumb set, repaint.
void SyncHorizontalScroll(ViewState& view, Host& host);
void SyncVerticalScroll(ViewState& view, Host& host);

// X, Y, Z keys: axis 0, 1, 2 of the view centre moves by +0.1 m, or -0.1 m with Shift; then
// both scroll bars follow, the strip's coordinate field and the drawing are repainted.
void NudgeViewCentre(ViewState& view, int axis, bool shift, Host& host, const InfobarLayout& infobar);

// The scroll requests a bar can send. Back is left or up, forward right or down.
enum class ScrollRequest { kLineBack, kLineForward, kPageBack, kPageForward, kThumbPosition, kOther };

// Applies one request to the bar's position (thumb_position is used by kThumbPosition only)
// and then ApplyHorizontalScroll / ApplyVerticalScroll. Returns false for requests left to the
// platform (kOther), which change nothing.
bool ApplyScrollRequest(ViewState& view, ScrollBar bar, ScrollRequest request, int thumb_position,
                        Host& host);

// After a resize of the drawing area: its size and the window centre (halved by shift).
void UpdateWindowCentre(ViewState& view, int width, int height);

}  // namespace orvendi
