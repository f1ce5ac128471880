// TEditLink: the protocol through which an application's own control edits
// edCustom cells. The grid asks the link to create, place, fill, show and
// focus its control, and to give the value back; the link's key handling
// leaves the cell on the keys the control does not want.
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"

TEditLink::TEditLink(TComponent* owner) : TComponent(owner) {}

TEditLink::~TEditLink() {
  RemoveHook();
  if (grid_) {
    if (TGridEditState* s = grid_->LiveEditState()) {
      if (s->link == this) s->link = nullptr;
      if (s->openLink == this) {
        s->openLink = nullptr;
        s->editing = false;
        s->activeEditor = nullptr;
      }
    }
    grid_->RemoveFreeNotification(this);
  }
}

void TEditLink::AttachGrid(TExStringGrid* grid) {
  if (grid_ == grid) return;
  if (grid_) grid_->RemoveFreeNotification(this);
  grid_ = grid;
  if (grid_) grid_->FreeNotification(this);
}

void TEditLink::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == grid_) grid_ = nullptr;
  if (component == hooked_) {
    hooked_ = nullptr;
    savedProc_ = nullptr;
  }
  if (component == popupForm_) popupForm_ = nullptr;
}

void TEditLink::BeginEdit(TExStringGrid* grid, int col, int row) {
  AttachGrid(grid);
  editCol_ = col;
  editRow_ = row;
}

void TEditLink::EndEdit() {
  TWinControl* control = hooked_ ? hooked_ : GetEditControl();
  RemoveHook();
  if (control) control->SetVisible(false);
}

TForm* TEditLink::PopupFormNeeded() {
  if (!popupForm_) {
    popupForm_ = new TForm(this);
    popupForm_->SetBorderStyle(bsNone);
    popupForm_->FreeNotification(this);
    popupForm_->OnDeactivate = [this](TObject*) { PopupDeactivated(); };
  }
  return popupForm_;
}

void TEditLink::PopupDeactivated() {
  if (!grid_ || !grid_->Editing() || grid_->EditState().openLink != this) return;
  if (busy_) {
    // The link's own key handling moved the focus: only the value goes back.
    grid_->SetCellTextFromEditor(editCol_, editRow_, GetEditorValue());
    return;
  }
  grid_->HideCellEditor();
  if (TGridEditState* s = grid_->LiveEditState()) s->popupClosed = true;
}

// ---------------------------------------------------------------- the default operations

void TEditLink::SetRect(TRect r) {
  TWinControl* control = GetEditControl();
  if (!control) return;
  const int line = grid_ ? grid_->GridLineWidth() : 1;
  control->SetBounds(r.Left, r.Top, std::max(r.Width() - line, 1), std::max(r.Height() - line, 1));
}

void TEditLink::SetVisible(bool value) {
  if (TWinControl* control = GetEditControl()) control->SetVisible(value);
}

void TEditLink::InstallHook(TWinControl* control) {
  // Installed once per edit: a second focus must not save the hook as the
  // procedure it hands on to, which would call itself for ever.
  if (hooked_ == control) return;
  RemoveHook();
  hooked_ = control;
  control->FreeNotification(this);
  savedProc_ = control->WindowProc;
  control->WindowProc = [this, control](TMessage& m) {
    if (savedProc_) savedProc_(m);
    else control->WndProc(m);
    if (m.Msg == WM_GETDLGCODE && grid_ && grid_->Options().contains(goTabs))
      m.Result = DLGC_WANTARROWS | DLGC_WANTTAB;
  };
}

void TEditLink::RemoveHook() {
  if (!hooked_) return;
  hooked_->WindowProc = savedProc_;
  hooked_->RemoveFreeNotification(this);
  hooked_ = nullptr;
  savedProc_ = nullptr;
}

void TEditLink::SetFocus(bool value) {
  TWinControl* control = GetEditControl();
  if (value && control) {
    if (!control->Visible()) control->SetVisible(true);
    if (!control->Enabled()) control->SetEnabled(true);
    InstallHook(control);
    if (control->CanFocus()) control->SetFocus();
  } else if (!value && grid_ && grid_->CanFocus()) {
    grid_->SetFocus();
  }
}

void TEditLink::EditKeyDown(TObject* sender, Word& key, TShiftState shift) {
  if (!grid_ || !grid_->Editing() || grid_->EditState().openLink != this) return;
  bool leave = false;
  switch (key) {
    case VK_TAB: leave = true; break;
    case VK_RETURN: leave = !wantReturn_; break;
    case VK_ESCAPE: leave = !wantEscape_; break;
    case VK_PRIOR: case VK_NEXT: leave = !wantPriorNext_; break;
    case VK_END: leave = !wantHomeEnd_; break;
    case VK_LEFT: case VK_RIGHT: leave = !wantLeftRight_; break;
    case VK_UP: case VK_DOWN: leave = !wantUpDown_; break;
    default: break;
  }
  if (!leave) return;
  TExStringGrid* grid = grid_;
  TWinControl* control = GetEditControl();
  if (key == VK_ESCAPE) {
    // The start text goes back into the control first, so the cell keeps it.
    SetEditorValue(grid->EditState().startText);
    grid->EditState().cancelled = true;
  }
  busy_ = true;
  grid->HideCellEditor();
  busy_ = false;
  switch (key) {
    case VK_RETURN:
      grid->AdvanceCell(grid->Col(), grid->Row(), false, !shift.contains(ssShift), false, false);
      break;
    case VK_ESCAPE:
      break;
    case VK_TAB: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: {
      if (control) control->SetEnabled(false);
      busy_ = true;
      if (grid->CanFocus()) grid->SetFocus();
      busy_ = false;
      Word k = key;
      grid->KeyDown(k, shift);
      break;
    }
    default:
      break;
  }
  key = 0;
}
