// Sections:
//   layout ............ the window, built in code on one grid of margins
//   fields ............ save and cancel, toggles, score and stars, similar titles
//   files ............. add by file and by folder, delete, the online search buttons
//   posters ........... path rule, add, next, previous, delete, enlarge, download
//   portals ........... search, back and forward, the scrape, the commentary
//   file-ID service ... lookup and upload
#include "app/FormME.h"

#include <algorithm>
#include <set>

#include "app/Catalogue.h"
#include "app/FormPoster.h"
#include "app/FileIdService.h"
#include "app/FormSt.h"
#include "app/StrUnit.h"
#include "app/WebHosts.h"
#include "platform/rtl/FileNames.h"
#include "platform/web/WebBrowser.h"
#include "platform/rtl/SysUtils.h"
#include "styled/ScLook.h"

namespace {

// ---------------------------------------------------------------- layout

// The window: the information page on the left two thirds, the poster and
// the keeping and lending fields on the right third, the files below.
constexpr int kClientWidth = 960;
constexpr int kClientHeight = 752;
constexpr int kMargin = 8;
constexpr int kRow = 26;              // one field line
constexpr int kLabelWidth = 76;       // "공식홈페이지" and "관련페이지" fit
constexpr int kFieldLeft = kMargin + kLabelWidth + 4;
constexpr int kLeftWidth = 652;       // the left part of the page
constexpr int kWideField = kLeftWidth - kFieldLeft;
constexpr int kHalfField = 250;
constexpr int kSecondLabel = kFieldLeft + kHalfField + 14;
constexpr int kSecondLabelWidth = 62;
constexpr int kSecondField = kSecondLabel + kSecondLabelWidth;
constexpr int kSecondFieldWidth = kLeftWidth - kSecondField;
constexpr int kRightLeft = kLeftWidth + 16;
constexpr int kButtonWidth = 96;
constexpr int kPosterWidth = 160;
constexpr int kPosterHeight = 228;
constexpr int kSearchButtonWidth = 64;

// The portals' buttons and menu items, by portal number.
// Named as the settings dialog names them for the default portal.
const AnsiString kPortalCaptions[kPortalCount] = {"네이버무비"_k, "무비스트"_k, "IMDb", "씨네서울"_k};

const AnsiString& NoImage() {
  static const AnsiString name = "noimage.jpg";
  return name;
}

const AnsiString& BadImage() {
  static const AnsiString name = "badImage.jpg";
  return name;
}

template <class T>
T* Place(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width, int height) {
  auto* control = new T(owner);
  if (name && *name) control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}

TScLabel* PlaceLabel(TComponent* owner, TWinControl* parent, const AnsiString& caption, int left, int top,
                     int width) {
  auto* label = Place<TScLabel>(owner, parent, "", left, top + 3, width, 16);
  label->SetCaption(caption);
  return label;
}

TScButton* PlaceButton(TComponent* owner, TWinControl* parent, const char* name, const AnsiString& caption,
                       int left, int top, int width, TNotifyEvent onClick) {
  auto* button = Place<TScButton>(owner, parent, name, left, top, width, ScLook::kButtonHeight);
  button->SetCaption(caption);
  button->OnClick = std::move(onClick);
  return button;
}

// A panel that works as a button: a click, or Space or Enter once Tab has
// brought the focus to it, runs its OnClick; the focused one shows a focus
// rectangle inside its bevel.
class TKeyPanel : public TScPanel {
 public:
  explicit TKeyPanel(TComponent* owner) : TScPanel(owner) { SetTabStop(true); }

 protected:
  void Paint() override {
    TScPanel::Paint();
    if (!Focused()) return;
    TRect focus = ClientRect();
    InflateRect(focus, -3, -3);
    Canvas()->DrawFocusRect(focus);
  }
  void KeyDown(Word& key, TShiftState shift) override {
    TScPanel::KeyDown(key, shift);
    if ((key == VK_SPACE || key == VK_RETURN) && shift.empty()) {
      key = 0;
      Click();
    }
  }
  void DoEnter() override {
    TScPanel::DoEnter();
    Invalidate();
  }
  void DoExit() override {
    TScPanel::DoExit();
    Invalidate();
  }
};

// Buttons of one width stacked down a column, 30 pixels apart.
struct TButtonColumn {
  TComponent* owner;
  TWinControl* parent;
  int left;
  int width;
  int y;
  TScButton* Add(const char* name, const AnsiString& caption, TNotifyEvent onClick, int gapBefore = 0) {
    y += gapBefore;
    TScButton* button = PlaceButton(owner, parent, name, caption, left, y, width, std::move(onClick));
    y += 30;
    return button;
  }
};

}  // namespace

// ================================================================ layout

TFormME::TFormME(TComponent* owner) : TForm(owner) {
  SetName("FormME");
  SetCaption("영화정보 추가 / 수정"_k);
  ScApplyLook(this);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(kClientWidth);
  SetClientHeight(kClientHeight);

  const int buttonTop = kClientHeight - kMargin - ScLook::kButtonHeight;
  CnsButton = PlaceButton(this, this, "CnsButton", "취소"_k, kClientWidth - kMargin - kButtonWidth, buttonTop,
                          kButtonWidth, [this](TObject* s) { CnsButtonClick(s); });
  CnsButton->SetCancel(true);
  SaveButton = PlaceButton(this, this, "SaveButton", "저장"_k, CnsButton->Left() - 6 - kButtonWidth, buttonTop,
                           kButtonWidth, [this](TObject* s) { SaveButtonClick(s); });

  PageControl1 = Place<TScPageControl>(this, this, "PageControl1", kMargin, kMargin, kClientWidth - 2 * kMargin,
                                       buttonTop - 2 * kMargin);
  InfoSheet = new TScTabSheet(this);
  InfoSheet->SetName("InfoSheet");
  InfoSheet->SetCaption("영화정보"_k);
  InfoSheet->SetPageControl(PageControl1);
  WebSheet = new TScTabSheet(this);
  WebSheet->SetName("WebSheet");
  WebSheet->SetCaption("영화사이트 검색"_k);
  WebSheet->SetPageControl(PageControl1);

  OpenD = new TOpenDialog(this);
  OpenD->SetName("OpenD");
  OpenD->Filter = "AVI 파일|*.avi"_k;
  OpenD->Title = "파일추가"_k;
  OpenD->Options.insert(ofAllowMultiSelect);
  OpenD->Options.insert(ofFileMustExist);
  SelectDir = new TSpShellBrowseDialog(this);
  SelectDir->SetName("SelectDir");
  SelectDir->SetCaption("폴더추가"_k);
  SelectDir->SetInstructionText("영화 파일이 있는 폴더를 선택하세요."_k);
  Dlg_OpenPoster = new TOpenDialog(this);
  Dlg_OpenPoster->SetName("Dlg_OpenPoster");
  Dlg_OpenPoster->Filter = "그림 파일|*.jpg;*.jpeg;*.bmp;*.png;*.gif|모든 파일|*.*"_k;
  Dlg_OpenPoster->Title = "포스터 추가"_k;
  Dlg_OpenPoster->Options.insert(ofAllowMultiSelect);
  Dlg_OpenPoster->Options.insert(ofFileMustExist);
  GetPoster = new THTTPGet(this);
  GetPoster->SetName("GetPoster");
  GetPoster->SetBinaryData(true);
  GetPoster->SetSizeClass(hscPoster);
  GetPoster->OnDoneFile = [this](TObject* s, const AnsiString& f, int size) { GetPosterDoneFile(s, f, size); };
  GetPoster->OnError = [this](TObject* s) { GetPosterError(s); };
  GetDB = new THTTPGet(this);
  GetDB->SetName("GetDB");
  GetDB->SetSizeClass(hscCommentary);
  GetDB->OnDoneString = [this](TObject* s, const AnsiString& r) { GetDBDoneString(s, r); };
  GetDB->OnError = [this](TObject* s) { GetDBError(s); };
  // A failed lookup is silent: the user goes on typing.
  GetFileID = new THTTPGet(this);
  GetFileID->SetName("GetFileID");
  GetFileID->OnDoneString = [this](TObject* s, const AnsiString& r) { GetFileIDDoneString(s, r); };
  sqlData = new THTTPGet(this);
  sqlData->SetName("sqlData");
  sqlData->OnDoneString = [this](TObject* s, const AnsiString& r) { sqlDataDoneString(s, r); };
  sqlData->OnError = [this](TObject* s) { sqlDataError(s); };

  BuildInfoPage();
  BuildWebPage();
  BuildSimilarPanel();
  // Tab goes through the page, then the buttons in the order they stand.
  PageControl1->SetTabOrder(0);
  SaveButton->SetTabOrder(1);
  CnsButton->SetTabOrder(2);
  PageControl1->SetActivePageIndex(0);
  OnShow = [this](TObject* s) { FormShow(s); };
  OnCloseQuery = [this](TObject*, bool& canClose) {
    canClose = Tag() == 99 || closeAnswered_ || AskDropChanges();
  };
}

TFormME::~TFormME() {
  // The handlers of the owned controls point into this form.
  DestroyComponents();
}

void TFormME::BuildInfoPage() {
  TWinControl* page = InfoSheet;
  auto label = [&](const AnsiString& caption, int top, int left = kMargin, int width = kLabelWidth) {
    PlaceLabel(this, page, caption, left, top, width);
  };
  auto edit = [&](const char* name, int left, int top, int width) {
    auto* e = Place<TScEdit>(this, page, name, left, top, width, ScLook::kFieldHeight);
    return e;
  };
  auto combo = [&](const char* name, int left, int top, int width) {
    auto* c = Place<TScComboBox>(this, page, name, left, top, width, ScLook::kFieldHeight);
    c->SetDropDownCount(16);
    return c;
  };

  int y = kMargin;
  label(Cat::Title, y);
  View_0 = combo("View_0", kFieldLeft, y, kWideField - kSearchButtonWidth - 6);
  View_0->OnChange = [this](TObject* s) { View_0Change(s); };
  View_0->OnKeyPress = [this](TObject* s, char& key) { View_0KeyPress(s, key); };
  BuildSearchButton(kFieldLeft + kWideField - kSearchButtonWidth, y);
  y += kRow;
  label(Cat::OrigTitle, y);
  View_1 = edit("View_1", kFieldLeft, y, kWideField);
  y += kRow;
  label(Cat::Director, y);
  View_2 = edit("View_2", kFieldLeft, y, kHalfField);
  label(Cat::Country, y, kSecondLabel, kSecondLabelWidth);
  View_3 = combo("View_3", kSecondField, y, kSecondFieldWidth);
  y += kRow;
  label(Cat::Year, y);
  View_4 = edit("View_4", kFieldLeft, y, kHalfField);
  label(Cat::ReleaseDate, y, kSecondLabel, kSecondLabelWidth);
  View_5 = Place<TDateEdit>(this, page, "View_5", kSecondField, y, kSecondFieldWidth, ScLook::kFieldHeight);
  y += kRow;
  label(Cat::Cast, y);
  View_6 = edit("View_6", kFieldLeft, y, kWideField);
  y += kRow;
  label(Cat::Rating, y);
  View_7 = combo("View_7", kFieldLeft, y, kHalfField);
  label(Cat::Genre, y, kSecondLabel, kSecondLabelWidth);
  View_8 = combo("View_8", kSecondField, y, kSecondFieldWidth);
  y += kRow;
  label(Cat::RunningTime, y);
  View_9 = edit("View_9", kFieldLeft, y, kHalfField);
  label(Cat::Score, y, kSecondLabel, kSecondLabelWidth);
  View_11 = edit("View_11", kSecondField, y, 56);
  View_11->OnChange = [this](TObject* s) { View_11Change(s); };
  View_11->OnKeyPress = [this](TObject* s, char& key) { View_11KeyPress(s, key); };
  View_10 = edit("View_10", kSecondField + 62, y, kSecondFieldWidth - 62);
  View_10->SetReadOnly(true);
  View_10->SetTabStop(false);
  View_10->Font()->SetColor(0x0080FF);
  View_10->OnClick = [this](TObject* s) { View_10Click(s); };
  y += kRow;
  label(Cat::HomePage, y);
  View_12 = edit("View_12", kFieldLeft, y, kWideField);
  y += kRow;
  label(Cat::RelatedPage, y);
  View_13 = edit("View_13", kFieldLeft, y, kWideField);
  y += kRow;
  auto memo = [&](const char* name, int left, int top, int width, int height) {
    auto* m = Place<TScMemo>(this, page, name, left, top, width, height);
    m->SetWordWrap(true);
    m->SetScrollBars(ssVertical);
    return m;
  };
  label(Cat::Synopsis, y);
  View_14 = memo("View_14", kFieldLeft, y, kWideField, 92);
  y += 92 + 5;
  label(Cat::Commentary, y);
  View_15 = memo("View_15", kFieldLeft, y, kWideField, 64);
  y += 64 + 10;

  BuildFileArea(y, kLeftWidth - kMargin, InfoSheet->ClientHeight() - y - kMargin);
  BuildPosterArea(kRightLeft, InfoSheet->ClientWidth() - kRightLeft - kMargin);

  views_ = {View_0,  View_1,  View_2,  View_3,  View_4,  View_5,  View_6,  View_7,  View_8,  View_9,
            View_10, View_11, View_12, View_13, View_14, View_15, View_16, View_17, View_18, View_19,
            View_20};
  views_[36] = View_36;
  views_[37] = View_37;
  views_[38] = View_38;
  views_[39] = View_39;
  views_[40] = View_40;
  views_[41] = View_41;
}

void TFormME::BuildPosterArea(int left, int width) {
  TWinControl* page = InfoSheet;
  Imgposter = Place<TImage>(this, page, "Imgposter", left, kMargin, kPosterWidth, kPosterHeight);
  Imgposter->SetStretch(true);
  Imgposter->SetProportional(true);
  Imgposter->SetCenter(true);
  Imgposter->SetCursor(crHandPoint);
  Imgposter->OnDblClick = [this](TObject* s) { ImgposterDblClick(s); };
  // A frame around the picture, which may be smaller than its place.
  auto* frame = Place<TScPanel>(this, page, "PosterFrame", left - 1, kMargin - 1, kPosterWidth + 2,
                                kPosterHeight + 2);
  frame->SetBevelOuter(bvLowered);
  frame->SetCaption("");
  frame->SendToBack();

  const int buttonLeft = left + kPosterWidth + 10;
  TButtonColumn buttons{this, page, buttonLeft, left + width - buttonLeft, kMargin};
  ScButton26 = buttons.Add("ScButton26", "추가"_k, [this](TObject* s) { ScButton26Click(s); });
  ScButton25 = buttons.Add("ScButton25", "삭제"_k, [this](TObject* s) { ScButton25Click(s); });
  BtnPosterPrev = buttons.Add("BtnPosterPrev", "◀ 이전"_k, [this](TObject* s) { BtnPosterPrevClick(s); });
  BtnPosterNext = buttons.Add("BtnPosterNext", "다음 ▶"_k, [this](TObject* s) { BtnPosterNextClick(s); });
  ScButton27 = buttons.Add("ScButton27", "크게보기"_k, [this](TObject* s) { ScButton27Click(s); });

  int y = kMargin + kPosterHeight + 8;
  PlaceLabel(this, page, Cat::Posters, left, y - 3, width);
  y += 16;
  View_16 = Place<TScListBox>(this, page, "View_16", left, y, width, 62);
  y += 62 + 6;
  PlaceLabel(this, page, Cat::PosterUrl, left, y - 3, width);
  y += 16;
  View_40 = Place<TScEdit>(this, page, "View_40", left, y, width - 56, ScLook::kFieldHeight);
  ScBitBtn2 = Place<TScBitBtn>(this, page, "ScBitBtn2", left + width - 50, y - 2, 50, ScLook::kButtonHeight);
  ScBitBtn2->SetCaption("받기"_k);
  ScBitBtn2->SetHint("포스터 다운로드"_k);
  ScBitBtn2->SetShowHint(true);
  ScBitBtn2->OnClick = [this](TObject* s) { ScBitBtn2Click(s); };
  y += kRow + 6;

  // Keeping and lending, one labelled field per line.
  const int labelWidth = 64, fieldLeft = left + labelWidth + 4, fieldWidth = left + width - fieldLeft;
  auto line = [&](const AnsiString& caption) {
    PlaceLabel(this, page, caption, left, y, labelWidth);
    const int top = y;
    y += kRow;
    return top;
  };
  View_17 = Place<TScEdit>(this, page, "View_17", fieldLeft, line(Cat::Location), fieldWidth, ScLook::kFieldHeight);
  View_18 = Place<TScComboBox>(this, page, "View_18", fieldLeft, line(Cat::Medium), fieldWidth, ScLook::kFieldHeight);
  for (const char* medium : {"HDD", "CDROM", "DVD"}) View_18->Items()->Add(medium);
  View_19 = Place<TDateEdit>(this, page, "View_19", fieldLeft, line(Cat::DateAdded), fieldWidth, ScLook::kFieldHeight);
  auto toggle = [&](const char* name, const AnsiString& caption, TNotifyEvent onClick) {
    TScPanel* panel = Place<TKeyPanel>(this, page, name, fieldLeft, line(caption), 100, ScLook::kFieldHeight);
    panel->SetBevelOuter(bvRaised);
    panel->SetCursor(crHandPoint);
    panel->SetHint("누르면 바뀝니다"_k);
    panel->SetShowHint(true);
    panel->OnClick = std::move(onClick);
    return panel;
  };
  View_20 = toggle("View_20", Cat::Watched, [this](TObject* s) { View_20Click(s); });
  View_20->SetCaption(Cat::WatchedNo);
  View_36 = toggle("View_36", Cat::Lent, [this](TObject* s) { View_36Click(s); });
  View_36->SetCaption(Cat::LentKept);
  View_37 = Place<TScEdit>(this, page, "View_37", fieldLeft, line(Cat::Borrower), fieldWidth, ScLook::kFieldHeight);
  View_38 = Place<TScEdit>(this, page, "View_38", fieldLeft, line(Cat::Contact), fieldWidth, ScLook::kFieldHeight);
  View_39 = Place<TScEdit>(this, page, "View_39", fieldLeft, line(Cat::LendCount), 60, ScLook::kFieldHeight);
  PlaceLabel(this, page, Cat::Notes, left, y, labelWidth);
  View_41 = Place<TScMemo>(this, page, "View_41", fieldLeft, y, fieldWidth,
                           InfoSheet->ClientHeight() - y - kMargin);
  View_41->SetWordWrap(true);
  View_41->SetScrollBars(ssVertical);
  UpdatePosterButtons();
}

void TFormME::BuildFileArea(int top, int width, int height) {
  TWinControl* page = InfoSheet;
  const int buttonLeft = kMargin + width - kButtonWidth;
  FileGrid = Place<TExColumnGrid>(this, page, "FileGrid", kMargin, top, buttonLeft - kMargin - 8, height);
  SetupFileTable(*FileGrid);
  TButtonColumn buttons{this, page, buttonLeft, kButtonWidth, top};
  FileADD = buttons.Add("FileADD", "파일추가"_k, [this](TObject* s) { FileADDClick(s); });
  FldADD = buttons.Add("FldADD", "폴더추가"_k, [this](TObject* s) { FldADDClick(s); });
  FileDel = buttons.Add("FileDel", "파일삭제"_k, [this](TObject* s) { FileDelClick(s); });
  // The online service's two buttons stand apart from the file list's own.
  WebFile = buttons.Add("WebFile", "파일정보검색"_k, [this](TObject* s) { WebFileClick(s); }, 10);
  WebSave = buttons.Add("WebSave", "웹저장"_k, [this](TObject* s) { WebSaveClick(s); });
}

void TFormME::BuildSearchButton(int left, int top) {
  ScMenuButton2 = Place<TScMenuButton>(this, InfoSheet, "ScMenuButton2", left, top - 1, kSearchButtonWidth,
                                       ScLook::kButtonHeight);
  ScMenuButton2->SetCaption("검색"_k);
  ScMenuButton2->SetHint("기본 사이트에서 찾습니다. 다른 사이트는 오른쪽 단추로 고릅니다."_k);
  ScMenuButton2->SetShowHint(true);
  ScMenuButton2->OnClick = [this](TObject*) { SearchPortal(WebSearchSite); };
  SearchMenu = new TPopupMenu(this);
  SearchMenu->SetName("SearchMenu");
  auto item = [&](const char* name, const AnsiString& caption, int portal) {
    auto* menuItem = new TMenuItem(this);
    menuItem->SetName(name);
    menuItem->SetCaption(caption);
    menuItem->OnClick = [this, portal](TObject*) { SearchPortal(portal); };
    SearchMenu->Items()->Add(menuItem);
    return menuItem;
  };
  N1 = item("N1", kPortalCaptions[0], 0);
  M1 = item("M1", kPortalCaptions[1], 1);
  S1 = item("S1", kPortalCaptions[3], 3);
  IMDB1 = item("IMDB1", kPortalCaptions[2], 2);
  ScMenuButton2->SetPopupMenu(SearchMenu);
}

void TFormME::BuildWebPage() {
  TWinControl* page = WebSheet;
  int x = kMargin;
  auto button = [&](const char* name, const AnsiString& caption, int width, TNotifyEvent onClick) {
    TScButton* b = PlaceButton(this, page, name, caption, x, kMargin, width, std::move(onClick));
    x += width + 4;
    return b;
  };
  ScButton12 = button("ScButton12", "<-", 40, [this](TObject*) {
    if (WebBrowser1) WebBrowser1->GoBack();
  });
  ScButton12->SetHint("뒤로"_k);
  ScButton11 = button("ScButton11", "->", 40, [this](TObject*) {
    if (WebBrowser1) WebBrowser1->GoForward();
  });
  ScButton11->SetHint("앞으로"_k);
  x += 12;
  // Each portal searches again for the text of the last search.
  ScButton14 = button("ScButton14", kPortalCaptions[0], 96, [this](TObject*) { NavigatePortal(0); });
  ScButton21 = button("ScButton21", kPortalCaptions[1], 96, [this](TObject*) { NavigatePortal(1); });
  ScButton22 = button("ScButton22", kPortalCaptions[3], 96, [this](TObject*) { NavigatePortal(3); });
  ScButton13 = button("ScButton13", kPortalCaptions[2], 96, [this](TObject*) { NavigatePortal(2); });
  const int width = WebSheet->ClientWidth();
  ScButton24 = PlaceButton(this, page, "ScButton24", "가져오기"_k, width - kMargin - kButtonWidth, kMargin,
                           kButtonWidth, [this](TObject* s) { ScButton24Click(s); });
  ScButton24->SetHint("보고 있는 영화 페이지의 정보를 영화정보에 넣습니다."_k);
  ScButton24->SetShowHint(true);

  const int top = kMargin + ScLook::kButtonHeight + 6;
  WebPanel = Place<TScPanel>(this, page, "WebPanel", kMargin, top, width - 2 * kMargin,
                             WebSheet->ClientHeight() - top - kMargin);
  WebPanel->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
  WebPanel->SetBevelOuter(bvLowered);
  WebPanel->SetCaption("제목을 입력하고 검색할 사이트를 고르세요."_k);
  // The browser engine starts when the tab is first looked at.
  PageControl1->OnChange = [this](TObject*) {
    if (PageControl1->ActivePage() == WebSheet) Browser();
  };
}

TWebBrowser& TFormME::Browser() {
  if (!WebBrowser1) {
    WebBrowser1 = new TWebBrowser(this);
    WebBrowser1->SetName("WebBrowser1");
    WebBrowser1->SetParent(WebPanel);
    WebBrowser1->SetAlign(alClient);
  }
  return *WebBrowser1;
}

void TFormME::BuildSimilarPanel() {
  SameBak = Place<TScListBox>(this, InfoSheet, "SameBak", 0, 0, 10, 10);
  SameBak->SetVisible(false);

  // Opens under the title, over the fields it hides for a moment.
  // It covers the four lines under the title and ends in the gap before
  // the fifth, never across a field.
  const int top = kMargin + ScLook::kFieldHeight + 2;
  const int width = 360, height = kMargin + 5 * kRow - 4 - top;
  Samepanel = Place<TScPanel>(this, InfoSheet, "Samepanel", kFieldLeft, top, width, height);
  Samepanel->SetBevelOuter(bvRaised);
  Samepanel->SetCaption("");
  Samepanel->SetColor(clInfoBk);
  auto* label = Place<TScLabel>(this, Samepanel, "", 8, 7, width - 70, 16);
  label->SetCaption("비슷한 제목의 영화가 입력 되어 있습니다."_k);
  label->SetColor(clInfoBk);
  ScPanel3 = Place<TKeyPanel>(this, Samepanel, "ScPanel3", width - 56, 4, 50, 22);
  ScPanel3->SetCaption("닫기"_k);
  ScPanel3->SetCursor(crHandPoint);
  ScPanel3->OnClick = [this](TObject* s) { ScPanel3Click(s); };
  Samelist = Place<TScListBox>(this, Samepanel, "Samelist", 6, 30, width - 12, height - 36);
  Samepanel->SetVisible(false);
  Samepanel->BringToFront();
}

// ================================================================ fields

void TFormME::FormShow(TObject*) {
  LoadValueList(*View_3->Items(), ValueListFileName("제작국가.List"_k));
  LoadValueList(*View_7->Items(), ValueListFileName("관람등급.List"_k));
  LoadValueList(*View_8->Items(), ValueListFileName("영화장르.List"_k));
  UpdatePosterButtons();
  if (View_16->Items()->Count() > 0) {
    const int index = std::clamp<int>(static_cast<int>(Imgposter->Tag()), 0, View_16->Items()->Count() - 1);
    Imgposter->SetTag(index);
    ShowPoster(View_16->Items()->Strings(index));
  } else {
    ShowPoster(NoImage());
  }
  SetActiveControl(View_0);
  closeAnswered_ = false;
  shownState_ = EditedState();
}

std::vector<AnsiString> TFormME::EditedState() const {
  std::vector<AnsiString> state;
  for (const TControl* view : views_)
    if (view) state.push_back(view->Text());
  state.push_back(View_16->Items()->Text());
  state.push_back(IntToStr(FileGrid->RowCount()));
  for (int r = FileGrid->FixedRows(); r < FileGrid->RowCount(); ++r)
    for (int c = 0; c < FileGrid->ColCount(); ++c) state.push_back(FileGrid->Cells(c, r));
  return state;
}

bool TFormME::Changed() const { return EditedState() != shownState_; }

bool TFormME::AskDropChanges() {
  if (!Changed()) return true;
  const int answer =
      MessageDlg("영화정보가 변경 되었습니다\r변경된 내용을 저장 하시겠습니까?"_k, mtConfirmation, mbYesNoCancel);
  if (answer == mrCancel) return false;
  closeAnswered_ = true;
  if (answer == mrYes) SaveButtonClick(SaveButton);
  return true;
}

void TFormME::SaveButtonClick(TObject*) {
  if (AddUnlistedValues) {
    AddUnlistedValue(*View_3, ValueListFileName("제작국가.List"_k));
    AddUnlistedValue(*View_8, ValueListFileName("영화장르.List"_k));
    AddUnlistedValue(*View_7, ValueListFileName("관람등급.List"_k));
  }
  SetTag(99);
  SetModalResult(mrOk);
}

void TFormME::CnsButtonClick(TObject*) {
  if (!AskDropChanges()) return;
  if (Tag() == 99) return;  // the answer was to save
  SetTag(0);
  SetModalResult(mrCancel);
}

void TFormME::View_20Click(TObject*) {
  View_20->SetCaption(View_20->Caption() == Cat::WatchedYes ? Cat::WatchedNo : Cat::WatchedYes);
}

void TFormME::View_36Click(TObject*) {
  View_36->SetCaption(View_36->Caption() == Cat::LentOut ? Cat::LentKept : Cat::LentOut);
}

void TFormME::View_11Change(TObject*) { View_10->SetText(RatingToStars(View_11->Text())); }

void TFormME::View_10Click(TObject*) { View_10->SetText(RatingToStars(View_11->Text())); }

void TFormME::View_11KeyPress(TObject*, char& key) {
  // Digits and the point are typed; control characters (backspace, Enter,
  // Ctrl+A, Ctrl+C, Ctrl+V, Ctrl+X) work as in every other field.
  const bool allowed = (key >= '0' && key <= '9') || key == '.' || (static_cast<unsigned char>(key) < 0x20);
  if (!allowed) key = 0;
}

void TFormME::View_0Change(TObject*) {
  const AnsiString title = View_0->Text();
  if (title.empty() || !ShowSimilarTitles || title.size() < 4) return;
  Samelist->Items()->BeginUpdate();
  Samelist->Items()->Clear();
  const TStrings& titles = *SameBak->Items();
  // Matched character by character: the bytes of a Korean syllable's end
  // and the next one's start never make a match.
  for (int i = 1; i < titles.Count(); ++i)
    if (AnsiPos(title, titles.Strings(i)) > 0) Samelist->Items()->Add(titles.Strings(i));
  Samelist->Items()->EndUpdate();
  Samepanel->SetVisible(Samelist->Items()->Count() > 0);
  if (Samepanel->Visible()) Samepanel->BringToFront();
}

void TFormME::ScPanel3Click(TObject*) { Samepanel->SetVisible(false); }

// ================================================================ files

void TFormME::FileADDClick(TObject*) {
  if (!OpenD->Execute()) return;
  std::vector<AnsiString> paths = OpenD->Files;
  if (paths.empty() && !OpenD->FileName.empty()) paths.push_back(OpenD->FileName);
  AddMediaFiles(paths);
}

void TFormME::FldADDClick(TObject*) {
  if (!SelectDir->Execute()) return;
  const AnsiString folder = ExcludeTrailingPathDelimiter(SelectDir->SelectedPath());
  // Folders named like a movie file are left out: they have nothing to
  // probe. The names come in byte order, not the folder's order on disk,
  // which is no order a user reads; two names that read alike in the
  // program's code page are one file to it.
  std::vector<AnsiString> paths;
  for (const AnsiString& name : FileNamesIn(folder, "*.avi")) paths.push_back(folder + "/" + name);
  paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
  AddMediaFiles(paths);
}

void TFormME::AddMediaFiles(const std::vector<AnsiString>& paths) {
  if (paths.empty()) return;
  TExColumnGrid& grid = *FileGrid;
  const bool wasEmpty = grid.RowCount() < 3 && Trim(FileTableCell(grid, Cat::FileName, 1)).empty();

  int added = 0;
  TFormSt& dialog = TFormSt::Shared();
  dialog.Reset();
  dialog.AddUnlistedValues = AddUnlistedValues;
  TStringList chosen;
  for (const AnsiString& path : paths) chosen.Add(path);
  dialog.FileList->Items()->AddStrings(&chosen);
  // Only the dialog's "확인" has probed the files; any other way out leaves
  // nothing to take.
  if (dialog.ShowModal() == mrOk) {
    TExColumnGrid& probed = *dialog.FileGrid;
    TGridColumnItem* ids = grid.ColumnByName(Cat::FileId);
    TGridColumnItem* probedNames = probed.ColumnByName(Cat::FileName);
    TGridColumnItem* probedIds = probed.ColumnByName(Cat::FileId);
    // Each probed column and the editor's column of the same header, paired
    // once, by index.
    std::vector<std::pair<int, int>> pairs;
    for (int c = 0; c < probed.Columns()->Count(); ++c) {
      TGridColumnItem* source = probed.Columns()->Items(c);
      if (TGridColumnItem* target = grid.ColumnByName(source->Name())) pairs.emplace_back(source->Index(), target->Index());
    }
    // The IDs listed, read once rather than once per probed file.
    std::set<AnsiString> listed;
    for (int k = 0; ids && k < grid.RowCount(); ++k) listed.insert(ids->Rows(k));
    std::vector<int> taken;
    for (int r = probed.FixedRows(); probedNames && probedIds && r < probed.RowCount(); ++r) {
      if (Trim(probedNames->Rows(r)).empty()) continue;
      // A file the list holds already is left out: one file, one row.
      if (ids && !listed.insert(probedIds->Rows(r)).second) continue;
      taken.push_back(r);
    }
    if (!taken.empty()) {
      grid.BeginUpdate();
      const int first = NextFileTableRows(grid, static_cast<int>(taken.size()));
      for (const int r : taken) {
        const int row = first + added++;
        for (const auto& [source, target] : pairs) grid.SetCells(target, row, probed.Cells(source, r));
      }
      grid.EndUpdate();
    }
  }
  // The drive the probe found the files on, before the dialog forgets it.
  const TDriveKind drive = dialog.FolderDriveKind(ExtractFilePath(paths.front()));
  // The probed rows are not kept until the next add.
  dialog.Reset();

  // The online search looks the movie up by the files' IDs: with none
  // added there is nothing to look up.
  if (wasEmpty && AddMode == 1 && added > 0) WebFile->Click();

  View_0->Items()->Clear();
  const AnsiString first = paths.front();
  const AnsiString folderName = ExtractFileName(ExcludeTrailingPathDelimiter(ExtractFilePath(first)));
  if (!folderName.empty()) View_0->Items()->Add(folderName);
  View_0->Items()->Add(ChangeFileExt(ExtractFileName(first), ""));

  switch (drive) {
    case DRIVE_FIXED:
      View_18->SetText("HDD");
      break;
    case DRIVE_CDROM:
      View_18->SetText("CDROM");
      break;
    default:
      break;
  }
}

void TFormME::FileDelClick(TObject*) {
  TExColumnGrid& grid = *FileGrid;
  std::vector<int> rows;
  for (int r = grid.RowCount() - 1; r >= grid.FixedRows(); --r)
    if (grid.IsRowSelected(r)) rows.push_back(r);
  // Without a selection the current row is the one meant.
  if (rows.empty() && grid.Row() >= grid.FixedRows()) rows.push_back(grid.Row());
  FileRowsDeleted += static_cast<int>(rows.size());
  grid.BeginUpdate();
  for (int r : rows) {
    grid.SetRowSelected(r, false);
    // The table keeps one (empty) file row under its header.
    if (grid.RowCount() - grid.FixedRows() > 1)
      grid.RemoveRows(r, 1);
    else
      grid.ClearRows(r, 1);
  }
  grid.EndUpdate();
}


// ================================================================ posters

AnsiString TFormME::PosterPath(const AnsiString& item) const {
  AnsiString path = item;
  if (ExtractFilePath(item).empty()) path = PosterDir + "/" + item;
  if (item.empty() || !FileExists(path)) path = PosterDir + "/" + NoImage();
  return path;
}

void TFormME::ShowPoster(const AnsiString& item) {
  const AnsiString path = PosterPath(item);
  try {
    Imgposter->Picture()->LoadFromFile(path);
    shownPosterFile_ = path;
  } catch (const Exception&) {
    try {
      shownPosterFile_ = PosterDir + "/" + BadImage();
      Imgposter->Picture()->LoadFromFile(shownPosterFile_);
    } catch (const Exception&) {
      shownPosterFile_.clear();
      Imgposter->Picture()->SetGraphic(nullptr);
    }
  }
}

void TFormME::UpdatePosterButtons() {
  const bool several = View_16->Items()->Count() > 1;
  BtnPosterPrev->SetVisible(several);
  BtnPosterNext->SetVisible(several);
}

void TFormME::ScButton26Click(TObject*) {
  if (!Dlg_OpenPoster->Execute()) return;
  std::vector<AnsiString> files = Dlg_OpenPoster->Files;
  if (files.empty() && !Dlg_OpenPoster->FileName.empty()) files.push_back(Dlg_OpenPoster->FileName);
  const AnsiString posterFolder = UpperCase(ExcludeTrailingPathDelimiter(PosterDir));
  for (const AnsiString& file : files) {
    const AnsiString folder = ExcludeTrailingPathDelimiter(ExtractFilePath(file));
    const AnsiString item = UpperCase(folder) == posterFolder ? ExtractFileName(file) : file;
    if (ExactIndexOf(*View_16->Items(), item) < 0) View_16->Items()->Add(item);
  }
  UpdatePosterButtons();
  const int last = View_16->Items()->Count() - 1;
  if (last < 0) return;
  ShowPoster(View_16->Items()->Strings(last));
  Imgposter->SetTag(last);
}

void TFormME::BtnPosterNextClick(TObject*) {
  const int count = View_16->Items()->Count();
  if (count == 0) return;
  int index = static_cast<int>(Imgposter->Tag()) + 1;
  if (index >= count || index < 0) index = 0;
  ShowPoster(View_16->Items()->Strings(index));
  Imgposter->SetTag(index);
}

void TFormME::BtnPosterPrevClick(TObject*) {
  const int count = View_16->Items()->Count();
  if (count == 0) return;
  int index = static_cast<int>(Imgposter->Tag()) - 1;
  if (index < 0 || index >= count) index = count - 1;
  ShowPoster(View_16->Items()->Strings(index));
  Imgposter->SetTag(index);
}

void TFormME::ScButton25Click(TObject*) {
  const int count = View_16->Items()->Count();
  const int shown = static_cast<int>(Imgposter->Tag());
  if (shown >= 0 && shown < count) View_16->Items()->Delete(shown);
  UpdatePosterButtons();
  const int left = View_16->Items()->Count();
  if (left == 0) {
    Imgposter->SetTag(0);
    ShowPoster(NoImage());
    return;
  }
  const int index = std::clamp(shown, 0, left - 1);
  ShowPoster(View_16->Items()->Strings(index));
  Imgposter->SetTag(index);
}

TPoint TFormME::EnlargedPosterSize(int pictureWidth, int pictureHeight) const {
  if (PosterViewHalves(PosterAutoSize, pictureWidth, pictureHeight, Screen->Width(), Screen->Height()))
    return TPoint{pictureWidth / 2, pictureHeight / 2};
  return TPoint{pictureWidth, pictureHeight};
}

void TFormME::ScButton27Click(TObject*) {
  const TPicture& picture = *Imgposter->Picture();
  if (picture.Width() <= 0 || picture.Height() <= 0) return;
  TFormPoster view(nullptr);
  // Larger than the screen: the window would not fit on it.
  view.SetPicture(&picture, PosterViewHalves(PosterAutoSize, picture.Width(), picture.Height(), Screen->Width(),
                                             Screen->Height()));
  view.ShowModal();
}

void TFormME::ImgposterDblClick(TObject*) { ScButton27->Click(); }

void TFormME::ScBitBtn2Click(TObject*) {
  const AnsiString url = Trim(View_40->Text());
  if (url.empty()) return;
  // The name comes from the address alone, cleaned so that joined to the
  // poster folder it always names a file inside it.
  const AnsiString name = UrlFileName(url);
  if (name.empty()) {
    GetPosterError(GetPoster);
    return;
  }
  if (!DirectoryExists(PosterDir)) ForceDirectories(PosterDir);
  GetPoster->SetURL(url);
  GetPoster->SetFileName(PosterDir + "/" + FreePosterName(name));
  GetPoster->GetFile();
}

AnsiString TFormME::FreePosterName(const AnsiString& name) const {
  // The poster folder is shared by every movie: a download named like
  // another movie's poster gets a number instead of replacing it. This
  // movie's own poster of that name is simply downloaded again.
  if (!FileExists(PosterDir + "/" + name) || ExactIndexOf(*View_16->Items(), name) >= 0) return name;
  const AnsiString extension = ExtractFileExt(name);
  const AnsiString base = name.substr(0, name.size() - extension.size());
  for (int k = 2;; ++k) {
    const AnsiString candidate = base + " (" + IntToStr(k) + ")" + extension;
    if (!FileExists(PosterDir + "/" + candidate)) return candidate;
  }
}

void TFormME::GetPosterDoneFile(TObject*, const AnsiString& fileName, int) {
  const AnsiString name = ExtractFileName(fileName);
  ShowPoster(name);
  int index = ExactIndexOf(*View_16->Items(), name);
  if (index < 0) index = View_16->Items()->Add(name);
  Imgposter->SetTag(index);
  UpdatePosterButtons();
}

void TFormME::GetPosterError(TObject*) { ShowPoster(NoImage()); }

// ================================================================ portals

void TFormME::SetField(int n, const AnsiString& value) {
  if (n < 0 || n >= static_cast<int>(views_.size()) || !views_[static_cast<std::size_t>(n)] || n == 16) return;
  View(n)->SetText(value);
  // The stars follow the score however it was set.
  if (n == 11) View_11Change(View_11);
}

void TFormME::View_0KeyPress(TObject*, char& key) {
  if (key != '\r') return;
  key = 0;
  SearchPortal(WebSearchSite);
}

void TFormME::SearchPortal(int portal) {
  LastSearchText = View_0->Text();
  PageControl1->SetActivePageIndex(1);
  NavigatePortal(portal);
}

void TFormME::NavigatePortal(int portal) {
  // A default portal out of range (a hand-edited setting) searches the first.
  if (portal < 0 || portal >= kPortalCount) portal = 0;
  CurrentPortal = static_cast<Byte>(portal);
  Browser().Navigate(PortalSearchURL(portal, LastSearchText));
}

void TFormME::ScButton24Click(TObject*) {
  // Nothing searched yet: no page to read.
  if (WebBrowser1) {
    const TPortalScrape s = ScrapePortalPage(CurrentPortal, ReadPortalPage(*WebBrowser1));
    if (!s.Message.empty()) {
      MessageDlg(s.Message, mtInformation, mbOKOnly);
    } else {
      for (const auto& [n, value] : s.Fields) SetField(n, value);
      if (s.Poster) StartPoster(*s.Poster);
      if (s.Commentary) StartCommentaryDownload(*GetDB, *s.Commentary);
    }
  }
  PageControl1->SetActivePageIndex(0);
}

void TFormME::StartPoster(const TPosterDownload& poster) {
  if (poster.FileName.empty()) {
    ShowPoster(NoImage());
    return;
  }
  if (!DirectoryExists(PosterDir)) ForceDirectories(PosterDir);
  TPosterDownload free = poster;
  free.FileName = FreePosterName(poster.FileName);
  StartPosterDownload(*GetPoster, PosterDir, free);
}

void TFormME::GetDBDoneString(TObject*, const AnsiString& result) {
  if (const std::optional<AnsiString> commentary = ParseCommentary(static_cast<int>(GetDB->Tag()), result))
    View_15->SetText(*commentary);
}

void TFormME::GetDBError(TObject*) { View_15->SetText("."); }

// ================================================================ file-ID service

void TFormME::WebFileClick(TObject*) {
  std::vector<AnsiString> ids;
  // The table's one empty row is no file.
  for (int r = FileGrid->FixedRows(); r < FileGrid->RowCount(); ++r)
    if (!Trim(FileTableCell(*FileGrid, Cat::FileName, r)).empty())
      ids.push_back(FileTableCell(*FileGrid, Cat::FileId, r));
  StartFileIdLookup(*GetFileID, ids);
}

void TFormME::GetFileIDDoneString(TObject*, const AnsiString& result) {
  const TFileIdReply reply = ParseFileIdReply(result);
  // Anything but an answer leaves what the user typed, but for a title
  // the reply names.
  for (const auto& [n, value] : reply.Fields) SetField(n, value);
  if (reply.Ok) StartPoster(reply.Poster);
}

void TFormME::WebSaveClick(TObject*) {
  std::vector<TServiceFile> files = ServiceFilesFromGrid(
      FileGrid->RowCount(), [this](const AnsiString& header, int r) { return FileTableCell(*FileGrid, header, r); });
  std::erase_if(files, [](const TServiceFile& f) { return Trim(f.FileName).empty(); });
  TServiceMovie movie;
  movie.Title = View_0->Text();
  movie.OriginalTitle = View_1->Text();
  movie.Country = View_3->Text();
  movie.Year = View_4->Text();
  movie.ReleaseDate = View_5->Text();
  movie.Cast = View_6->Text();
  movie.Director = View_2->Text();
  movie.ViewingRating = View_7->Text();
  movie.Genre = View_8->Text();
  movie.RunningTime = View_9->Text();
  movie.Stars = View_10->Text();
  movie.Score = View_11->Text();
  movie.HomePage = View_12->Text();
  movie.RelatedPage = View_13->Text();
  movie.Synopsis = View_14->Text();
  movie.Commentary = View_15->Text();
  movie.PosterAddress = View_40->Text();
  StartFileIdUpload(*sqlData, this, movie, files);
}

void TFormME::sqlDataDoneString(TObject*, const AnsiString& result) {
  const AnsiString message = UploadDoneMessage(result);
  if (!message.empty()) MessageDlg(message, mtInformation, mbOKOnly);
}

void TFormME::sqlDataError(TObject*) {
  const AnsiString message = UploadErrorMessage(CheckWebInfo);
  if (!message.empty()) MessageDlg(message, mtInformation, mbOKOnly);
}
