// Sections: cutting helpers, search addresses, portal 0, portal 1, portal 2
// (IMDb), portal 3, commentary, starting the downloads.
#include "app/PortalScrapers.h"

#include <algorithm>

#include "app/HTTPGet.h"
#include "app/StrUnit.h"
#include "app/WebHosts.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/SysUtils.h"
#include "platform/web/WebBrowser.h"

namespace {

// ------------------------------------------------------------ Cutting helpers

using std::string_view;

AnsiString TB(string_view text, string_view start, string_view end) { return TextBetween(text, start, end); }

AnsiString Strip(string_view html) { return StripHtmlTags(html); }

AnsiString ReplaceAll(string_view s, string_view from, string_view to) {
  return StringReplace(s, from, to, {TReplaceFlag::rfReplaceAll});
}
AnsiString RemoveAll(string_view s, string_view what) { return ReplaceAll(s, what, ""); }

// The text before the first marker; the whole text when the marker is missing.
AnsiString UpTo(string_view s, string_view marker) {
  size_t p = s.find(marker);
  return AnsiString(p == string_view::npos ? s : s.substr(0, p));
}

// The text after the first marker; "" when the marker is missing.
AnsiString After(string_view s, string_view marker) {
  size_t p = s.find(marker);
  return p == string_view::npos ? AnsiString() : AnsiString(s.substr(p + marker.size()));
}

// At most count bytes that follow the first marker; "" when the marker is
// missing or count is not positive.
AnsiString CountAfter(string_view s, string_view marker, int count) {
  size_t p = s.find(marker);
  if (p == string_view::npos || count <= 0) return {};
  return AnsiString(s.substr(p + marker.size(), static_cast<size_t>(count)));
}

// The 1-based position of the marker, 0 when missing.
int PosOf(string_view s, string_view marker) {
  size_t p = s.find(marker);
  return p == string_view::npos ? 0 : static_cast<int>(p) + 1;
}

// Without the first `first` and the last `last` bytes; "" when the text is
// shorter than both together.
AnsiString DropEnds(string_view s, size_t first, size_t last) {
  if (s.size() <= first + last) return {};
  return AnsiString(s.substr(first, s.size() - first - last));
}

// The last n bytes; "" when the text is shorter.
AnsiString LastBytes(string_view s, size_t n) { return s.size() < n ? AnsiString() : AnsiString(s.substr(s.size() - n)); }

std::vector<AnsiString> SplitTrimmed(string_view s, char separator) {
  std::vector<AnsiString> parts;
  size_t start = 0;
  for (;;) {
    size_t p = s.find(separator, start);
    parts.push_back(Trim(s.substr(start, p == string_view::npos ? string_view::npos : p - start)));
    if (p == string_view::npos) break;
    start = p + 1;
  }
  return parts;
}

bool Contains(string_view s, string_view what) { return s.find(what) != string_view::npos; }

struct TScrapeBuilder {
  TPortalScrape result;
  void Set(int field, AnsiString value) { result.Fields.emplace_back(field, std::move(value)); }
  void SetIfAny(int field, AnsiString value) {
    if (!value.empty()) Set(field, std::move(value));
  }
  void PosterFrom(const AnsiString& url, std::optional<AnsiString> userName) {
    result.Poster = TPosterDownload{url, UrlFileName(url), std::move(userName)};
  }
};

AnsiString HttpHost(int portal) { return "http://" + PortalHost(portal); }

// ------------------------------------------------------------ Search addresses

const char* const kSearchPaths[kPortalCount] = {
    "/movie/search/result.nhn?where=movie&query=",
    "/movies/search.asp?title=",
    "/find?tt=on;nm=on;mx=20;q=",
    "/movies/search_new.html?searchType=99&searchString=",
};

}  // namespace

const AnsiString* TPortalScrape::Find(int field) const {
  for (auto it = Fields.rbegin(); it != Fields.rend(); ++it)
    if (it->first == field) return &it->second;
  return nullptr;
}

TPortalPage ReadPortalPage(TWebBrowser& browser) {
  return {browser.LocationURL(), browser.BodyInnerHTML(), browser.BodyInnerText()};
}

AnsiString PortalSearchURL(int portal, std::string_view searchText) {
  if (portal < 0 || portal >= kPortalCount) return {};
  return HttpHost(portal) + kSearchPaths[portal] + UrlEncodeQueryValue(searchText);
}

TPortalScrape ScrapePortalPage(int portal, const TPortalPage& page) {
  switch (portal) {
    case 0: return ScrapePortal0(page);
    case 1: return ScrapePortal1(page);
    case 2: return ScrapePortal2(page);
    case 3: return ScrapePortal3(page);
    default: return {};
  }
}

// ------------------------------------------------------------------ Portal 0

TPortalScrape ScrapePortal0(const TPortalPage& page) {
  TScrapeBuilder b;
  const AnsiString& html = page.Html;
  const AnsiString& text = page.Text;
  if (Contains(page.URL, "result.nhn")) {
    b.result.Message = "영화를 선택 하세요."_k;
    return b.result;
  }
  static const AnsiString kPosterEnd = "포스터 크게보기"_k;

  // The pop-up call around the poster's address: a quote before it and
  // 15 characters of arguments and tag after it.
  AnsiString poster = DropEnds(TB(html, "align=absMiddle><A class=blue2 href=\"javascript:iwopen(", kPosterEnd), 1, 15);
  b.Set(mfPosterAddress, poster);
  // Unlike the other portals, this one leaves the poster request with the
  // user name it had.
  b.PosterFrom(poster, std::nullopt);

  b.SetIfAny(mfRelatedPage, page.URL);
  b.result.Commentary =
      TCommentaryDownload{0, HttpHost(0) + "/movie/bi/mi/detail.nhn?code=" + After(page.URL, "code=") + "&mb=c"};

  AnsiString head = TB(text, "한핏줄 영화"_k, kPosterEnd);
  if (head.empty()) head = TB(text, "명대사"_k, kPosterEnd);
  if (head.empty()) head = TB(text, "평점·리뷰"_k, kPosterEnd);

  AnsiString title = Trim(UpTo(head, "("));
  b.Set(mfTitle, title);
  AnsiString paren = TB(head, "(", ")");
  if (Contains(paren, ",")) {
    // "Original, 2004": the year is the last 5 characters with its blank.
    b.Set(mfOriginalTitle, Trim(DropEnds(paren, 0, 6)));
    b.Set(mfYear, Trim(LastBytes(paren, 5)));
  } else {
    b.Set(mfYear, paren);
  }

  b.Set(mfDirector, TB(text, "감독:"_k, "출연"_k));
  b.Set(mfCast, TB(text, "출연:"_k, "국내 등급:"_k));

  AnsiString line = RemoveAll(After(head, ")"), "개봉"_k);
  std::vector<AnsiString> parts = SplitTrimmed(line, '|');
  if (parts.size() > 0) b.SetIfAny(mfCountry, parts[0]);
  if (parts.size() > 1) b.SetIfAny(mfGenre, parts[1]);
  if (parts.size() > 2) b.SetIfAny(mfRunningTime, RemoveAll(parts[2], "분"_k));
  if (parts.size() > 3) b.SetIfAny(mfReleaseDate, ReplaceAll(parts[3], ".", "-"));

  b.Set(mfViewingRating, TB(text, "국내 등급:"_k, "관람가"_k) + "관람가"_k);

  AnsiString score = TB(text, "네티즌 평점"_k, "현재 상영작 랭킹"_k);
  if (score.empty()) score = TB(text, "네티즌 평점"_k, "별점 랭킹"_k);
  if (score.empty()) score = TB(text, "네티즌 평점"_k, "역대 랭킹"_k);
  score = Trim(RemoveAll(score, "/10"));
  b.Set(mfScore, score);
  b.Set(mfStars, RatingToStars(score));

  AnsiString home = TB(text, "공식 홈페이지: "_k, "예고편"_k);
  if (home.empty()) home = TB(text, "공식 홈페이지: "_k, "슬라이드쇼  전체보기"_k);
  home = RemoveAll(RemoveAll(home, "해외"_k), "국내"_k);
  home = home.empty() ? AnsiString() : home.substr(1);
  if (!home.empty() && !Contains(home, "://")) home = "http://" + home;
  b.Set(mfHomePage, home);

  b.Set(mfSynopsis, TB(text, "네티즌 제보"_k, "이 영화에 대한 네티즌&전문가 평점"_k));
  return b.result;
}

// ------------------------------------------------------------------ Portal 1

TPortalScrape ScrapePortal1(const TPortalPage& page) {
  TScrapeBuilder b;
  const AnsiString& html = page.Html;

  b.SetIfAny(mfSynopsis,
             Strip(TB(html, "<IMG height=11 src=\"/img/btn_moreimg.gif\" width=71>",
                      "<TD width=10 background=/img/txt_right.gif>")));

  b.Set(mfRelatedPage, page.URL);
  b.result.Commentary = TCommentaryDownload{1, ReplaceAll(page.URL, "movie.asp", "note.asp")};

  AnsiString main = TB(html, "메인 컨텐츠"_k, "상단 영화정보"_k);
  // "title (year, original title)"
  AnsiString head = Trim(Strip(TB(main, "<SPAN class=title>", "<DIV id=lblMovieDetailTop>")));
  AnsiString title = Trim(UpTo(head, "("));
  b.Set(mfTitle, title);
  AnsiString year = Trim(CountAfter(head, "(", PosOf(head, ",") - 1));
  b.Set(mfYear, UpTo(year, ","));
  AnsiString original = Trim(CountAfter(head, ",", PosOf(head, ")")));
  b.Set(mfOriginalTitle, UpTo(original, ")"));

  b.Set(mfHomePage, TB(TB(html, "제작사"_k, "공식홈페이지"_k), "href=\"", "\" target=_blank>"));

  AnsiString info = Trim(Strip(TB(main, "<DIV id=lblMovieDetailTop>", "개봉"_k)));
  std::vector<AnsiString> parts = SplitTrimmed(info, '/');
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    if (i == 0) b.Set(mfRunningTime, RemoveAll(parts[i], "분"_k));
    if (i == 1) b.Set(mfViewingRating, parts[i]);
    if (i == 2) b.Set(mfReleaseDate, parts[i]);
  }
  const AnsiString& last = parts.back();
  switch (parts.size()) {
    case 1: b.Set(mfRunningTime, last); break;
    case 2: b.Set(Contains(last, "관람가"_k) ? mfViewingRating : mfReleaseDate, last); break;
    case 3: b.Set(mfReleaseDate, last); break;
    default: break;
  }

  // The thumbnail's name ends in "s.jpg"; the poster drops that "s".
  AnsiString poster = TB(TB(html, "javascript:viewGallery", "width=150></A>"), "src=\"", "s.jpg") + ".jpg";
  b.Set(mfPosterAddress, poster);
  b.PosterFrom(poster, title);

  b.Set(mfCommentary, ".");

  AnsiString block = TB(page.Text, "공식홈페이지"_k, "네티즌 영화평"_k);
  AnsiString genre = TB(block, "장르"_k, "국가"_k);
  b.Set(mfGenre, genre);
  b.Set(mfCountry, TB(block, "국가"_k, "감독"_k));
  if (Trim(genre) == "애니메이션"_k) {
    b.Set(mfDirector, TB(block, "감독"_k, "목소리"_k));
    b.Set(mfCast, TB(block, "목소리"_k, "각본"_k));
  } else {
    b.Set(mfDirector, TB(block, "감독"_k, "출연"_k));
    b.Set(mfCast, TB(block, "출연"_k, "각본"_k));
  }
  b.Set(mfScore, TB(block, "20자평 평점 : "_k, "/10 (참여"_k));
  return b.result;
}

// --------------------------------------------------------------- Portal 2, IMDb

TPortalScrape ScrapePortal2(const TPortalPage& page) {
  TScrapeBuilder b;
  const AnsiString& html = page.Html;
  b.Set(mfRelatedPage, page.URL);
  AnsiString text = RemoveAll(ReplaceAll(page.Text, "/", ","), "(more)");

  AnsiString head = TB(text, "submit a comment", "Directed by");
  AnsiString title = Trim(UpTo(head, "("));
  b.Set(mfTitle, title);
  b.Set(mfOriginalTitle, title);
  b.Set(mfYear, TB(head, "(", ")"));

  b.Set(mfDirector, ReplaceAll(TB(text, "Directed by", "Writing credits"), "\r\n", ","));
  b.Set(mfCountry, TB(text, "Country:", "Language:"));
  b.Set(mfGenre, TB(text, "Genre:", "Tagline:"));
  b.Set(mfRunningTime, Trim(RemoveAll(TB(text, "Runtime:", "Country:"), "min")));
  b.Set(mfViewingRating, TB(text, "MPAA:", "for"));

  // "7.5/10 (1,234 votes)" reads "7.5,10 (1,234" here: the part before "("
  // is "7.5,10 ", of which the last 4 characters go.
  b.Set(mfScore, DropEnds(UpTo(TB(text, "Rating:", "votes"), "("), 0, 4));

  AnsiString posterPart = TB(TB(html, "<A href=\"photogallery\" name=poster>", "Directed by"), "http://", ".jpg");
  b.PosterFrom("http://" + posterPart + ".jpg", title);

  AnsiString cast = ReplaceAll(TB(html, "first billed only:", "Also Known As"), "<TR>", " ), <TR>");
  cast = Strip(cast);
  cast = RemoveAll(cast, "\r\n");
  cast = RemoveAll(cast, "&nbsp;&nbsp;");
  cast = ReplaceAll(cast, "....", " (");
  cast = RemoveAll(cast, "(more)");
  b.Set(mfCast, DropEnds(cast, 6, 6));
  return b.result;
}

// ------------------------------------------------------------------ Portal 3

namespace {

AnsiString CleanReleaseDate(string_view s) {
  return Trim(ReplaceAll(Trim(RemoveAll(s, "개봉"_k)), ".", "-"));
}

bool AllDigits(string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

TPortalScrape ScrapePortal3(const TPortalPage& page) {
  TScrapeBuilder b;
  const AnsiString& html = page.Html;
  const AnsiString& text = page.Text;
  const AnsiString image = PortalImageHost(3);
  b.Set(mfRelatedPage, page.URL);

  AnsiString block = TB(html, "<TD width=620 background=http://" + image + "/v1/images/back_movie.jpg colSpan=2>",
                        "<TD background=http://" + image + "/v1/images/back_movie.jpg colSpan=2 height=5>");
  AnsiString title = Strip(TB(block, "<SPAN style=\"FONT-SIZE: 13pt\">", "<SPAN style=\"FONT-SIZE: 10pt\">"));
  b.Set(mfTitle, title);
  AnsiString original = Strip(TB(block, "<SPAN style=\"FONT-SIZE: 10pt\">", "<A href=\"javascript:goBookmark"));
  b.Set(mfOriginalTitle, Trim(UpTo(original, "(")));
  b.Set(mfYear, TB(original, "(", ")"));

  // "date / [rating /] minutes / genre / country": a second segment without
  // "분" is the viewing rating and shifts the rest by one.
  AnsiString info = Strip(TB(html, "<P style=\"MARGIN-LEFT: 20px\">", "<P style=\"MARGIN-RIGHT: 10px\">"));
  std::vector<AnsiString> parts = SplitTrimmed(info, '/');
  bool shifted = false;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    const AnsiString& part = parts[i];
    switch (i + 1) {
      case 1: b.Set(mfReleaseDate, CleanReleaseDate(part)); break;
      case 2:
        if (Contains(part, "분"_k)) {
          b.Set(mfRunningTime, RemoveAll(part, "분"_k));
        } else {
          b.Set(mfViewingRating, part);
          shifted = true;
        }
        break;
      case 3:
        if (shifted) b.Set(mfRunningTime, RemoveAll(part, "분"_k));
        else b.Set(mfGenre, part);
        break;
      case 4: b.Set(shifted ? mfGenre : mfCountry, part); break;
      default: break;
    }
  }
  const AnsiString& last = parts.back();
  switch (parts.size()) {
    case 1: b.Set(mfReleaseDate, CleanReleaseDate(last)); break;
    case 2: b.Set(mfRunningTime, RemoveAll(last, "분"_k)); break;
    case 3: b.Set(mfGenre, last); break;
    case 4:
    case 5: b.Set(mfCountry, last); break;
    default: break;
  }

  AnsiString id = TB(html, "movie_rank@", "@@");
  b.result.Commentary = TCommentaryDownload{
      2, HttpHost(3) + "/movies/cinedata.html?cinemaID=" + UrlEncodeQueryValue(id) + "&mode=2#contents"};

  // The poster is named after the movie number, zero-padded to 6 digits; a
  // number that is not digits names no poster file.
  AnsiString number = id.size() < 6 ? StringOfChar('0', static_cast<int>(6 - id.size())) + id : id;
  AnsiString posterUrl = "http://" + image + "/image/poster/lposter" + UrlEncodeQueryValue(number) + ".jpg";
  b.Set(mfPosterAddress, posterUrl);
  b.result.Poster = TPosterDownload{posterUrl, AllDigits(id) ? number + ".jpg" : AnsiString(), title};

  b.Set(mfSynopsis, Trim(Strip(TB(html, "<!-- 정보란 -->"_k, "<!-- 정보란 끝 -->"_k))));

  AnsiString stars = Strip(TB(html, "네티즌 평점"_k, "<A href=\"JavaScript:goVote"));
  b.Set(mfStars, Trim(stars));
  b.Set(mfScore, StarsToRating(stars));

  static const AnsiString kDirector = "· 감  독"_k;
  static const AnsiString kCast = "· 출  연"_k;
  static const AnsiString kHome = "· 공식홈페이지"_k;
  b.Set(mfDirector, TB(text, kDirector, kCast));
  b.Set(mfCast, Contains(text, kHome) ? TB(text, kCast, kHome) : TB(text, kCast, "· 헤드카피"_k));

  AnsiString home = TB(text, "공식홈페이지"_k, "(국내)"_k);
  if (home.empty()) home = TB(text, "공식홈페이지"_k, "(국외)"_k);
  b.Set(mfHomePage, home);
  return b.result;
}

// ---------------------------------------------------------------- Commentary

std::optional<AnsiString> ParseCommentary(int tag, std::string_view reply) {
  AnsiString c;
  switch (tag) {
    case 0:
      c = Strip(TB(reply, "<img src=\"http://" + PortalImageHost(0) + "/m2k4/bi/m_tit_09.gif\" height=\"15\">",
                   "<font color=#777777>written by 가나다</font></p>"_k));
      break;
    case 1:
      c = Strip(TB(reply, "<table cellpadding=\"4\">\t\t<tr><td class=\"content\"><b>",
                   "<td width=\"10\" background=\"/img/txt_right.gif\"></td>"));
      break;
    case 2: c = Strip(TB(reply, "<tr><td><p align=\"justify\">", "<br></p></td></tr>")); break;
    default: return std::nullopt;
  }
  c = RemoveAll(RemoveAll(RemoveAll(c, "&nbsp;"), "&lt;"), "&gt;");
  // The first 9 characters of portal 0's block are its heading.
  if (tag == 0) c = DropEnds(c, 9, 0);
  if (c.empty()) c = ".";
  return c;
}

// ------------------------------------------------------- Starting the downloads

bool StartPosterDownload(THTTPGet& getPoster, const AnsiString& posterDir, const TPosterDownload& poster) {
  if (poster.FileName.empty() || getPoster.Busy()) return false;
  getPoster.SetURL(poster.URL);
  getPoster.SetFileName(IncludeTrailingPathDelimiter(posterDir) + poster.FileName);
  if (poster.UserName) {
    // A header value cannot hold a line break; a title cut from a page may.
    AnsiString userName = *poster.UserName;
    std::replace_if(userName.begin(), userName.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    getPoster.SetUserName(userName);
  }
  getPoster.GetFile();
  return true;
}

bool StartCommentaryDownload(THTTPGet& getDB, const TCommentaryDownload& commentary) {
  if (getDB.Busy()) return false;
  getDB.SetTag(commentary.Tag);
  getDB.SetURL(commentary.URL);
  getDB.GetString();
  return true;
}
