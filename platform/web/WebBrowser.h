// TWebBrowser: the embedded web browser of the movie editor's portal tab.
//
// It navigates, goes back and forward, and hands the displayed document to
// the program as code page 949 text: its location URL, its body's HTML and
// its body's rendered text. The two document reads answer synchronously:
// they wait (at most ScriptTimeoutMs) for the browser, letting timers and
// network events through but no user input.
//
// The body HTML is serialised the way the portal scrapers' markers are
// written: upper-case tag names, attribute values unquoted unless they need
// quotes (href and src always quoted), style declarations with upper-case
// property names ("FONT-SIZE: 13pt"), the mixed-case names of table
// attributes (colSpan, cellPadding, ...), &nbsp; for non-breaking spaces,
// comments kept, and CR LF line breaks. The rendered text also uses CR LF,
// and its non-breaking spaces are blanks.
//
// Pages that declare no character set are read as Korean (EUC-KR, decoded
// with the full code page 949 table); everything handed over is converted
// to code page 949 by the runtime's codec.
#pragma once

#include <functional>

#include "platform/vcl/Controls.h"

using TWebDocumentEvent = std::function<void(TObject* sender, const AnsiString& url)>;

class TWebBrowser : public TWinControl {
 public:
  explicit TWebBrowser(TComponent* owner);
  ~TWebBrowser() override;

  void Navigate(const AnsiString& url);
  void GoBack();
  void GoForward();
  // Stops a page that is loading.
  void Stop();

  // The address of the displayed document ("" before the first navigation).
  AnsiString LocationURL();
  // Whether a document is loading.
  bool Busy() const { return busy_; }

  // The displayed document's body: its HTML in the serialisation described
  // above, and its rendered text; "" when no document is loaded or the
  // browser did not answer in time.
  AnsiString BodyInnerHTML();
  AnsiString BodyInnerText();

  // Fired when a document has finished loading (also after a failed load;
  // the URL is the document's address).
  TWebDocumentEvent OnDocumentComplete;

  // The longest a document read waits for the browser.
  static inline int ScriptTimeoutMs = 5000;

  // The JavaScript expression that serialises document.body (for tests that
  // check the serialisation of a page).
  static const char* BodySerializerScript();

 protected:
  TWindowHandle* CreateWindowHandle() override;

 private:
  bool busy_ = false;
};
