// Sections: the body serialiser (JavaScript), engine set-up, TWebBrowser.
#include "platform/web/WebBrowser.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <unistd.h>

#include <memory>

#include "platform/rtl/Cp949.h"
#include "platform/vcl/Canvas_p.h"
#include "platform/vcl/Controls_p.h"

// ========================================================== the body serialiser

namespace {

// Walks document.body and writes its children the way the scrapers' markers
// are written (see the header). Attribute order is the document's.
const char kSerializer[] = R"JS((function () {
  var body = document.body;
  if (!body) return '';
  var VOID = {AREA:1, BASE:1, BASEFONT:1, BGSOUND:1, BR:1, COL:1, EMBED:1, FRAME:1, HR:1, IMG:1,
              INPUT:1, ISINDEX:1, KEYGEN:1, LINK:1, META:1, PARAM:1, SOURCE:1, TRACK:1, WBR:1};
  var RAW = {SCRIPT:1, STYLE:1, XMP:1, IFRAME:1, NOEMBED:1, NOFRAMES:1, PLAINTEXT:1};
  var NAMES = {colspan:'colSpan', rowspan:'rowSpan', cellpadding:'cellPadding',
               cellspacing:'cellSpacing', bgcolor:'bgColor', bordercolor:'borderColor',
               valign:'vAlign', nowrap:'noWrap', maxlength:'maxLength', readonly:'readOnly',
               tabindex:'tabIndex', frameborder:'frameBorder', marginwidth:'marginWidth',
               marginheight:'marginHeight', usemap:'useMap', accesskey:'accessKey',
               longdesc:'longDesc', datetime:'dateTime', ismap:'isMap', noshade:'noShade'};
  var ALWAYS_QUOTED = {href:1, src:1, action:1};
  function text(s) {
    return s.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
            .replace(/\u00a0/g, '&nbsp;');
  }
  function style(v) {
    var out = [];
    v.split(';').forEach(function (d) {
      var i = d.indexOf(':');
      if (i < 0) { if (d.trim()) out.push(d.trim()); return; }
      out.push(d.substring(0, i).trim().toUpperCase() + ': ' + d.substring(i + 1).trim());
    });
    return out.join('; ');
  }
  function attr(a) {
    var name = a.name.toLowerCase();
    var v = a.value;
    if (name === 'style') v = style(v);
    var shown = NAMES[name] || name;
    if (v === '') return ' ' + shown;
    v = v.replace(/&/g, '&amp;');
    if (ALWAYS_QUOTED[name] || /[\s"'=<>`]/.test(v))
      return ' ' + shown + '="' + v.replace(/"/g, '&quot;') + '"';
    return ' ' + shown + '=' + v;
  }
  function node(n, out) {
    if (n.nodeType === 3) {
      var p = n.parentNode;
      out.push(p && RAW[p.nodeName.toUpperCase()] ? n.data : text(n.data));
    } else if (n.nodeType === 8) {
      out.push('<!--' + n.data + '-->');
    } else if (n.nodeType === 1) {
      var tag = n.nodeName.toUpperCase();
      out.push('<' + tag);
      for (var i = 0; i < n.attributes.length; i++) out.push(attr(n.attributes[i]));
      out.push('>');
      if (VOID[tag]) return;
      var kids = tag === 'TEMPLATE' ? n.content.childNodes : n.childNodes;
      for (var j = 0; j < kids.length; j++) node(kids[j], out);
      out.push('</' + tag + '>');
    }
  }
  var out = [];
  for (var k = 0; k < body.childNodes.length; k++) node(body.childNodes[k], out);
  return out.join('');
})())JS";

const char kBodyText[] = "document.body ? document.body.innerText : ''";

// Line breaks as the program's text has them: CR LF.
AnsiString WithCrLf(const AnsiString& s) {
  AnsiString out;
  out.reserve(s.size() + s.size() / 16);
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) out += '\r';
    out += s[i];
  }
  return out;
}

// ============================================================= engine set-up

// The engine's renderer sandbox cannot start for root; the engine reads the
// switch when its first page is made.
void PrepareEngine() {
  static bool done = false;
  if (done) return;
  done = true;
  if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

QWebEngineView* ViewOf(const TWebBrowser* browser) { return qobject_cast<QWebEngineView*>(WidgetOf(browser)); }

// Runs a script in the page and returns its string result, waiting with user
// input held back; a null string when the browser did not answer in time.
QString RunScript(QWebEngineView* view, const char* script) {
  if (!view) return {};
  // The reply may come after the wait gave up; it then finds the state
  // alone and the loop gone.
  struct TState {
    bool done = false;
    QString result;
    QPointer<QEventLoop> loop;
  };
  auto state = std::make_shared<TState>();
  QEventLoop loop;
  state->loop = &loop;
  view->page()->runJavaScript(QString::fromUtf8(script), [state](const QVariant& v) {
    state->done = true;
    state->result = v.toString();
    if (state->loop) state->loop->quit();
  });
  if (!state->done) {
    QTimer::singleShot(TWebBrowser::ScriptTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  state->loop = nullptr;
  return state->done ? state->result : QString();
}

}  // namespace

// ================================================================ TWebBrowser

TWebBrowser::TWebBrowser(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 300, 150);
  ControlStyle() = TControlStyle{csClickEvents, csDoubleClicks};
}

TWebBrowser::~TWebBrowser() {
  if (auto* view = ViewOf(this)) view->stop();
  DestroyWindowHandle();
}

const char* TWebBrowser::BodySerializerScript() { return kSerializer; }

TWindowHandle* TWebBrowser::CreateWindowHandle() {
  PrepareEngine();
  auto* view = new QWebEngineView;
  view->settings()->setDefaultTextEncoding(QStringLiteral("EUC-KR"));
  view->setFocusPolicy(Qt::StrongFocus);
  auto* h = new TWindowHandle(this, view);
  // The view outlives the control by a turn of the event loop, and a load
  // may finish in that turn: the control is looked up before it is touched.
  QObject::connect(view, &QWebEngineView::loadStarted, view, [this] {
    if (IsLiveControl(this)) busy_ = true;
  });
  QObject::connect(view, &QWebEngineView::loadFinished, view, [this, view](bool) {
    if (!IsLiveControl(this)) return;
    busy_ = false;
    if (OnDocumentComplete) {
      AnsiString url = FromQString(view->url().toString(QUrl::FullyEncoded));
      RunGuarded([&] { OnDocumentComplete(this, url); });
    }
  });
  return h;
}

void TWebBrowser::Navigate(const AnsiString& url) {
  auto* view = qobject_cast<QWebEngineView*>(WidgetNeeded(this));
  if (!view) return;
  // Addresses reach us percent-encoded; bytes that are not (a typed Korean
  // address) are code page 949 and go through the codec.
  QUrl target = QUrl::fromUserInput(ToQString(url));
  busy_ = true;
  view->load(target);
}

void TWebBrowser::GoBack() {
  if (auto* view = ViewOf(this)) view->back();
}

void TWebBrowser::GoForward() {
  if (auto* view = ViewOf(this)) view->forward();
}

void TWebBrowser::Stop() {
  if (auto* view = ViewOf(this)) view->stop();
}

AnsiString TWebBrowser::LocationURL() {
  auto* view = ViewOf(this);
  if (!view || view->url().isEmpty()) return {};
  return FromQString(view->url().toString(QUrl::FullyEncoded));
}

AnsiString TWebBrowser::BodyInnerHTML() { return WithCrLf(FromQString(RunScript(ViewOf(this), kSerializer))); }

AnsiString TWebBrowser::BodyInnerText() {
  QString text = RunScript(ViewOf(this), kBodyText);
  // A non-breaking space has no code page 949 form; in the text it is a blank.
  text.replace(QChar(0xA0), QLatin1Char(' '));
  return WithCrLf(FromQString(text));
}
