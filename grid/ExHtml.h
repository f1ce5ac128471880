// The mini mark-up language of cells, hints, the footer and caption buttons,
// and its engine: one entry (DrawHtml) that paints, measures and hit-tests,
// plus the text functions that belong to the language.
//
// Sections:
//   Text functions ..... ColorByName, HexToColor, EscapeHtmlText, HtmlToPlainText
//   Form controls ...... HasControlTags, ParseControlTag, NextControlId,
//                        GetControlProp, SetControlValue
//   Rendering .......... THtmlDrawArgs (inputs), THtmlDrawResult (outputs), DrawHtml
//   System icons ....... DrawSystemIcon
//
// Call tree of DrawHtml (ExHtml.cpp):
//   DrawHtml
//     Tokenize ........... entities decoded once, "<#" tags as text, CR -> <BR>,
//                          runs cut after a blank when wrapping
//     per line:
//       RenderHtml ....... lays out one line: measures runs, pictures and controls,
//                          wraps, hit-tests against (X, Y)
//       PaintLine ........ draws the laid-out items (skipped when only measuring)
//
// Text is code page 949. The renderer never reads past its text, never loops
// without consuming input, and clamps every size the mark-up names.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/rtl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"

class THTMLPictureCache;
class TPictureContainer;

// ---------------------------------------------------------------- Text functions

// One of the forty lower-case names ("clred", "clwindow", ...); the system
// names only when no RGB name matched. Anything else gives 0 (black).
TColor ColorByName(std::string_view name);
// "#RRGGBB" (hex digits in either case) as $00BBGGRR. Short or malformed
// text reads the digits that are there; a character that is not a hex digit
// counts as 0.
TColor HexToColor(std::string_view text);
// "&" -> "&amp;", then '"' -> "&quot;", "<" -> "&lt;", ">" -> "&gt;".
AnsiString EscapeHtmlText(std::string_view text);
// The reverse of EscapeHtmlText, in one left-to-right pass (so "&amp;lt;"
// gives "&lt;", never "<").
AnsiString UnescapeHtmlText(std::string_view text);
// "<BR>" and "<HR>" (any case) become CR LF, every "<...>" goes; a "<"
// without a ">" after it stays with the rest of the text.
AnsiString HtmlToPlainText(std::string_view text);

// ------------------------------------------------------------- Form controls

struct THtmlControl {
  AnsiString Type;  // upper-cased: EDIT, MASK, PASSWORD, COMBO, CHECK, RADIO, BUTTON
  AnsiString Id;
  AnsiString Value;  // decoded (EscapeHtmlText reversed)
  AnsiString Width;
  AnsiString Prop;
};

// True when the text holds "<CONTROL" in any case.
bool HasControlTags(std::string_view text);
// Reads TYPE, WIDTH, ID, VALUE and PROP from a tag's text (with or without
// "<CONTROL" and ">"). Names are matched only outside quoted values, so a
// value holding "TYPE=" or quotes cannot hijack another attribute.
void ParseControlTag(std::string_view tag, AnsiString& type, AnsiString& id, AnsiString& value,
                     AnsiString& width, AnsiString& prop);
THtmlControl ParseControlTag(std::string_view tag);
// The id of the first control after the one whose id is id (with an empty
// id, the first control) that is not a BUTTON, CHECK or RADIO; "" when none.
AnsiString NextControlId(std::string_view text, std::string_view id);
// The PROP of the control whose id is id; "" when none.
AnsiString GetControlProp(std::string_view text, std::string_view id);
// Rewrites the control whose id is id with value; false when no control has
// that id. The value reads back unchanged however often it is set.
bool SetControlValue(AnsiString& text, std::string_view id, std::string_view value);

// ------------------------------------------------------------------ Rendering

// Inputs of DrawHtml beyond the canvas, the text and the rectangle. The
// defaults are what most callers pass.
struct THtmlDrawArgs {
  TCustomImageList* Images = nullptr;  // for <IMG SRC="IDX:n">
  int X = 0, Y = 0;                    // the point to hit-test
  int FocusAnchor = -1;                // counting from 0
  int HoverAnchor = -1;                // counting from 1
  int ShadowOffset = 1;
  bool HitTest = false;       // the second pass of every line does not paint
  bool MeasureOnly = false;   // no painting; lines below the rectangle still count
  bool Printing = false;      // pictures and icons stretched by ResFactor
  bool KeepColors = false;    // anchors and FONT leave the font colour alone
  // False paints blinking text in the background colour (its off phase);
  // callers that do not blink show it steadily.
  bool BlinkPhase = true;
  bool HoverHighlight = false;
  bool WordWrap = true;       // false: a run that does not fit ends in "..."
  bool Pressed = false;       // a hot BUTTON control is drawn pressed
  double ResFactor = 0.0;
  TColor AnchorColor = clBlue;
  TColor HoverColor = clNone;      // background of the hovered anchor
  TColor HoverFontColor = clNone;
  TColor ShadowColor = clGray;
  // In hit-test mode the control with this id is reported even when the
  // point is outside it.
  AnsiString ControlId;
  THTMLPictureCache* PictureCache = nullptr;
  TPictureContainer* Container = nullptr;
  // Themed drawing of form controls (the look of the control painted into).
  bool Themed = false;
};

struct THtmlDrawResult {
  AnsiString AnchorLink;    // the link under the point; "ctrl" on a form control
  AnsiString StrippedText;  // the runs, a CR for each <BR>
  AnsiString FocusLink;     // the link of the focused anchor
  int Width = 0;            // the widest line
  int Height = 0;           // all lines
  int AnchorCount = 0;
  int HoverAnchor = -1;     // the anchor under the point, counting from 1
  TRect HoverRect;          // its rectangle
  TRect ControlRect;        // the reported control's rectangle
  AnsiString ControlId;
  AnsiString ControlValue;
  AnsiString ControlType;
};

// Paints, measures and hit-tests text into rect. Returns true when (X, Y)
// lies on an anchor's text, on a picture inside an anchor or on a form
// control (in hit-test mode: also when the control ControlId exists).
// The canvas's font, brush and pen come back as they went in.
bool DrawHtml(TCanvas& canvas, std::string_view text, const TRect& rect, const THtmlDrawArgs& args,
              THtmlDrawResult& result);

// Width and height of text laid out in rect (measure only).
TSize MeasureHtml(TCanvas& canvas, std::string_view text, const TRect& rect, bool wordWrap = true,
                  TCustomImageList* images = nullptr, TPictureContainer* container = nullptr);

// -------------------------------------------------------------- System icons

// The size of the small (16) or large (32) icon for path: a whole number is
// an icon index, an existing folder gives the folder icon, anything else the
// icon of its file type by extension. With draw, the icon is drawn at x, y
// (stretched by resFactor when printing).
int DrawSystemIcon(TCanvas& canvas, int x, int y, std::string_view path, bool large, bool printing,
                   double resFactor, bool draw);
