// The mark-up engine; the index of its sections is in ExHtml.h.
#include "grid/ExHtml.h"

bool DrawHtml(TCanvas& canvas, std::string_view text, const TRect& rect, const THtmlDrawArgs& args,
              THtmlDrawResult& result) {
  result = THtmlDrawResult{};
  TRect r = rect;
  AnsiString plain = HtmlToPlainText(text);
  result.Height = canvas.TextHeight("gh");
  result.Width = canvas.TextWidth(plain);
  if (!args.MeasureOnly && !args.HitTest)
    canvas.DrawText(plain, r, DT_NOPREFIX | DT_SINGLELINE | DT_BOTTOM | DT_END_ELLIPSIS);
  return false;
}

AnsiString HtmlToPlainText(std::string_view text) { return AnsiString(text); }
