#include "styled/ScFormState.h"

#include <algorithm>

#include "platform/vcl/Monitors.h"

namespace {
// Enough of a window to take hold of with the mouse and drag back.
constexpr int kMinVisible = 40;
constexpr int kMinSize = 100;
// Farther than any screen reaches: a placement read from the settings is
// kept within it, so that adding its numbers cannot overflow.
constexpr int kFar = 1 << 20;

int Overlap(int a1, int a2, int b1, int b2) { return std::max(0, std::min(a2, b2) - std::max(a1, b1)); }

Int64 DistanceSquared(const TRect& a, const TRect& b) {
  auto gap = [](int a1, int a2, int b1, int b2) { return Int64{std::max({0, b1 - a2, a1 - b2})}; };
  const Int64 dx = gap(a.Left, a.Right, b.Left, b.Right);
  const Int64 dy = gap(a.Top, a.Bottom, b.Top, b.Bottom);
  return dx * dx + dy * dy;
}
}  // namespace

// ---------------------------------------------------------------- TScRegIniFile

TScRegIniFile::TScRegIniFile(TComponent* owner) : TComponent(owner) {}

std::unique_ptr<TCustomIniFile> TScRegIniFile::Open() const {
  if (fileName_.empty()) return nullptr;
  return std::make_unique<TMemIniFile>(fileName_);
}

// ---------------------------------------------------------------- placement

TRect ScFitOnScreens(const TRect& bounds, const std::vector<TRect>& workAreas) {
  if (workAreas.empty()) return bounds;
  // The top strip holds the title bar: the user must be able to reach it.
  const TRect titleStrip = Rect(bounds.Left, bounds.Top, bounds.Right, bounds.Top + kMinVisible);
  for (const TRect& area : workAreas) {
    if (Overlap(titleStrip.Left, titleStrip.Right, area.Left, area.Right) >= kMinVisible &&
        bounds.Top >= area.Top && bounds.Top + kMinVisible <= area.Bottom)
      return bounds;
  }
  const TRect* nearest = &workAreas.front();
  for (const TRect& area : workAreas)
    if (DistanceSquared(bounds, area) < DistanceSquared(bounds, *nearest)) nearest = &area;
  const TRect& area = *nearest;
  int width = std::clamp(bounds.Width(), std::min(kMinSize, area.Width()), area.Width());
  int height = std::clamp(bounds.Height(), std::min(kMinSize, area.Height()), area.Height());
  int left = std::clamp(bounds.Left, area.Left, area.Right - width);
  int top = std::clamp(bounds.Top, area.Top, area.Bottom - height);
  return Rect(left, top, left + width, top + height);
}

// ---------------------------------------------------------------- TScFormState

TScFormState::TScFormState(TCustomForm* owner) : TComponent(owner), form_(owner) {
  previousWindowProc_ = form_->WindowProc;
  form_->WindowProc = [this](TMessage& m) { FormMessage(m); };
}

TScFormState::~TScFormState() {
  // When the form itself is going away its window procedure went with it.
  if (form_ && TCustomForm::IsLiveControlPublic(form_)) form_->WindowProc = previousWindowProc_;
}

void TScFormState::SetRegIniFile(TScRegIniFile* file) {
  if (regIniFile_) regIniFile_->RemoveFreeNotification(this);
  regIniFile_ = file;
  if (regIniFile_) regIniFile_->FreeNotification(this);
}

void TScFormState::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == regIniFile_) regIniFile_ = nullptr;
}

AnsiString TScFormState::SectionName() const { return form_->Name() + "FormState"; }

void TScFormState::FormMessage(TMessage& m) {
  // Before the form shows (so it shows where it was) and before it hides
  // (while its bounds are still those the user left it with).
  if (m.Msg == CM_VISIBLECHANGED && m.WParam != 0 && !restored_) RestoreState();
  if (m.Msg == CM_VISIBLECHANGED && m.WParam == 0 && restored_) {
    // A placement that cannot be written is not worth keeping a window open for.
    try {
      SaveState();
    } catch (const EIniFileException&) {
    }
  }
  if (previousWindowProc_) previousWindowProc_(m);
  else form_->WndProc(m);
}

void TScFormState::RestoreState() {
  restored_ = true;
  if (!regIniFile_) return;
  std::unique_ptr<TCustomIniFile> ini = regIniFile_->Open();
  if (!ini) return;
  const AnsiString section = SectionName();
  if (!ini->SectionExists(section)) return;
  int left = ini->ReadInteger(section, "Left", form_->Left());
  int top = ini->ReadInteger(section, "Top", form_->Top());
  int width = ini->ReadInteger(section, "Width", form_->Width());
  int height = ini->ReadInteger(section, "Height", form_->Height());
  if (width < kMinSize) width = std::max(form_->Width(), kMinSize);
  if (height < kMinSize) height = std::max(form_->Height(), kMinSize);
  left = std::clamp(left, -kFar, kFar);
  top = std::clamp(top, -kFar, kFar);
  width = std::min(width, kFar);
  height = std::min(height, kFar);
  TRect placed = ScFitOnScreens(Rect(left, top, left + width, top + height), MonitorWorkAreas());
  form_->SetBounds(placed.Left, placed.Top, placed.Width(), placed.Height());
  int state = ini->ReadInteger(section, "WindowState", 0);
  // A window that was minimised comes back normal: a program that starts
  // as an icon looks as if it did not start.
  form_->SetWindowState(state == 2 ? wsMaximized : wsNormal);
}

void TScFormState::SaveState() {
  if (!regIniFile_) return;
  std::unique_ptr<TCustomIniFile> ini = regIniFile_->Open();
  if (!ini) return;
  const AnsiString section = SectionName();
  // A maximised or minimised form is kept with the place it had before, so
  // that un-maximising it next time gives back the window the user had.
  const TWindowState state = ShownWindowState(form_);
  const TRect normal = NormalWindowBounds(form_);
  ini->WriteInteger(section, "Left", normal.Left);
  ini->WriteInteger(section, "Top", normal.Top);
  ini->WriteInteger(section, "Width", normal.Width());
  ini->WriteInteger(section, "Height", normal.Height());
  ini->WriteInteger(section, "WindowState", state == wsMaximized ? 2 : 0);
  ini->UpdateFile();
}
