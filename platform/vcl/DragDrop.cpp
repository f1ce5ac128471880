// Drag and drop over Qt's drag events and QDrag.
#include "platform/vcl/DragDrop.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

#include "platform/vcl/Clipbrd_p.h"
#include "platform/vcl/Controls_p.h"
#include "platform/vcl/DragDrop_p.h"

namespace {

std::map<const TControl*, TDropTarget*>& Targets() {
  static std::map<const TControl*, TDropTarget*> targets;
  return targets;
}

std::function<int(const TDragData&, int)> g_dragHook;

int EffectsOf(Qt::DropActions actions) {
  int e = 0;
  if (actions & Qt::CopyAction) e |= DROPEFFECT_COPY;
  if (actions & Qt::MoveAction) e |= DROPEFFECT_MOVE;
  if (actions & Qt::LinkAction) e |= DROPEFFECT_LINK;
  return e;
}

Qt::DropAction ActionOf(int effect) {
  if (effect & DROPEFFECT_MOVE) return Qt::MoveAction;
  if (effect & DROPEFFECT_COPY) return Qt::CopyAction;
  if (effect & DROPEFFECT_LINK) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

TDragData DataOfMime(const QMimeData& mime) {
  TDragData data;
  TClipboard::TContent content = ContentOfMime(mime);
  for (auto& [format, bytes] : content) {
    if (format == CF_TEXT) {
      data.HasText = true;
      data.Text = bytes;
    } else if (format == CF_HDROP) {
      data.Files = SplitFileNames(bytes);
    } else {
      data.Formats[format] = bytes;
    }
  }
  return data;
}

TClipboard::TContent ContentOfData(const TDragData& data) {
  TClipboard::TContent content(data.Formats.begin(), data.Formats.end());
  if (data.HasText) content[CF_TEXT] = data.Text;
  if (!data.Files.empty()) content[CF_HDROP] = JoinFileNames(data.Files);
  return content;
}

}  // namespace

void ForgetDropTarget(const TControl* control) { Targets().erase(control); }

int ProposedDropEffect(TShiftState shift, int allowed) {
  if (shift.contains(ssCtrl) && (allowed & DROPEFFECT_COPY)) return DROPEFFECT_COPY;
  if (allowed & DROPEFFECT_MOVE) return DROPEFFECT_MOVE;
  if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
  if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
  return DROPEFFECT_NONE;
}

void RegisterDragDrop(TWinControl* control, TDropTarget* target) {
  if (!control) return;
  Targets()[control] = target;
  if (QWidget* w = WidgetNeeded(control)) w->setAcceptDrops(true);
}

void RevokeDragDrop(TWinControl* control) {
  Targets().erase(control);
  if (QWidget* w = WidgetOf(control)) w->setAcceptDrops(false);
}

bool IsDropTarget(const TWinControl* control) { return Targets().count(control) != 0; }

bool TranslateDropEvent(TControl* control, QEvent* event) {
  auto it = Targets().find(control);
  if (it == Targets().end() || !it->second) return false;
  TDropTarget* target = it->second;
  QWidget* w = WidgetOf(control);
  if (event->type() == QEvent::DragLeave) {
    target->DragLeave();
    return true;
  }
  auto* e = static_cast<QDropEvent*>(event);
  TShiftState shift = ShiftFromQt(e->modifiers(), e->buttons());
  RecordModifiers(e->modifiers(), e->buttons());
  int inset = ClientInset(control);
  QPoint p = e->position().toPoint() - QPoint(inset, inset);
  (void)w;
  int allowed = EffectsOf(e->possibleActions());
  int effect = ProposedDropEffect(shift, allowed);
  switch (event->type()) {
    case QEvent::DragEnter:
      target->DragEnter(DataOfMime(*e->mimeData()), shift, {p.x(), p.y()}, effect);
      // Entering is always accepted so that the moves keep coming; the
      // effect decides whether a drop may happen here.
      e->setDropAction(ActionOf(effect & allowed));
      e->accept();
      return true;
    case QEvent::DragMove:
      target->DragOver(shift, {p.x(), p.y()}, effect);
      break;
    case QEvent::Drop:
      target->Drop(DataOfMime(*e->mimeData()), shift, {p.x(), p.y()}, effect);
      break;
    default:
      return false;
  }
  effect &= allowed;
  if (effect == DROPEFFECT_NONE) {
    e->ignore();
  } else {
    e->setDropAction(ActionOf(effect));
    e->accept();
  }
  return true;
}

void SetDragDropHook(std::function<int(const TDragData&, int)> hook) { g_dragHook = std::move(hook); }

int DoDragDrop(TWinControl* source, const TDragData& data, int allowedEffects) {
  if (g_dragHook) return g_dragHook(data, allowedEffects);
  QWidget* w = WidgetOf(source);
  if (!w) return DROPEFFECT_NONE;
  auto* drag = new QDrag(w);
  auto* mime = new QMimeData;
  FillMimeData(*mime, ContentOfData(data));
  drag->setMimeData(mime);
  Qt::DropActions actions;
  if (allowedEffects & DROPEFFECT_COPY) actions |= Qt::CopyAction;
  if (allowedEffects & DROPEFFECT_MOVE) actions |= Qt::MoveAction;
  if (allowedEffects & DROPEFFECT_LINK) actions |= Qt::LinkAction;
  Qt::DropAction result = drag->exec(actions, ActionOf(ProposedDropEffect({}, allowedEffects)));
  return EffectsOf(result);
}
