// Sections: escaping, lookup, reply, statements, upload, messages.
#include "app/FileIdService.h"

#include <algorithm>

#include "app/HTTPGet.h"
#include "app/StrUnit.h"
#include "app/WebHosts.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/SysUtils.h"

namespace {

const char kSearchPath[] = "/vidrena/movie_search.php";
const char kInsertPath[] = "/vidrena/movie_insert.php";

AnsiString ServiceRoot() { return "http://" + FileIdServiceHost(); }

// One item of a delimited text: quoted (inner quotes doubled) when it holds
// a blank, a control character, the quote or the delimiter.
AnsiString DelimitedItem(std::string_view item, char delimiter) {
  bool quote = false;
  for (char ch : item) {
    auto c = static_cast<unsigned char>(ch);
    if (c <= ' ' || ch == '"' || ch == delimiter) quote = true;
  }
  return quote ? AnsiQuotedStr(item, '"') : AnsiString(item);
}

// The values of a statement: quote, the escaped values separated by
// quote-comma-blank-quote, quote.
AnsiString QuotedValues(std::initializer_list<std::string_view> values) {
  AnsiString out = "\"";
  bool first = true;
  for (std::string_view v : values) {
    if (!first) out += "\", \"";
    out += SqlEscape(v);
    first = false;
  }
  return out + "\"";
}

}  // namespace

// ------------------------------------------------------------------ Escaping

AnsiString SqlEscape(std::string_view text) {
  AnsiString out;
  out.reserve(text.size());
  // Code page 949 trail bytes are never a backslash or a quote, so a
  // byte-wise pass cannot split a syllable.
  for (char ch : text) {
    if (ch == '\\' || ch == '"' || ch == '\'') out += '\\';
    out += ch;
  }
  return out;
}

std::vector<TServiceFile> ServiceFilesFromGrid(
    int rowCount, const std::function<AnsiString(const AnsiString& header, int row)>& cell) {
  static const AnsiString kName = "파일이름"_k, kId = "파일ID"_k, kSize = "파일크기"_k, kVideo = "비디오포맷"_k,
                          kAudio = "오디오포맷"_k, kLanguage = "언어"_k, kQuality = "화질정보"_k, kRelease = "릴정보"_k;
  std::vector<TServiceFile> files;
  for (int row = 1; row < rowCount; ++row)
    files.push_back({cell(kName, row), cell(kId, row), cell(kSize, row), cell(kVideo, row), cell(kAudio, row),
                     cell(kLanguage, row), cell(kQuality, row), cell(kRelease, row)});
  return files;
}

// -------------------------------------------------------------------- Lookup

AnsiString FileIdLookupURL(const std::vector<AnsiString>& fileIds) {
  if (fileIds.empty()) return {};
  AnsiString column = DelimitedItem("파일ID"_k, '|');
  for (const AnsiString& id : fileIds) column += "|" + DelimitedItem(id, '|');
  return ServiceRoot() + kSearchPath + "?sqltext=" + UrlEncodeQueryValue(column);
}

bool StartFileIdLookup(THTTPGet& getFileID, const std::vector<AnsiString>& fileIds) {
  AnsiString url = FileIdLookupURL(fileIds);
  if (url.empty()) return false;
  getFileID.SetURL(url);
  getFileID.GetString();
  return true;
}

// --------------------------------------------------------------------- Reply

TFileIdReply ParseFileIdReply(std::string_view reply) {
  static const struct {
    const char* Tag;
    int Field;
  } kTags[] = {
      {"영화제목", mfTitle},       {"영제", mfOriginalTitle},     {"감독", mfDirector},
      {"제작국가", mfCountry},     {"제작연도", mfYear},          {"개봉날짜", mfReleaseDate},
      {"출연", mfCast},            {"관람등급", mfViewingRating}, {"영화장르", mfGenre},
      {"영화시간", mfRunningTime}, {"별점", mfStars},             {"평점", mfScore},
      {"공식홈페이지", mfHomePage}, {"관련페이지", mfRelatedPage}, {"영화내용", mfSynopsis},
      {"영화해설", mfCommentary},  {"포스터", mfPosterAddress},
  };
  TFileIdReply result;
  // Anything but "ok" (an error page, a message of the server) is no
  // answer, but for a title it carries in its tags.
  if (reply.substr(0, 2) != "ok") {
    const AnsiString start = "[영화제목]"_k, end = "[/영화제목]"_k;
    const std::size_t at = reply.find(start), endAt = reply.find(end);
    if (at != std::string_view::npos && endAt != std::string_view::npos && endAt >= at + start.size())
      result.Fields.emplace_back(mfTitle, TextBetween(reply, start, end));
    return result;
  }
  result.Ok = true;
  AnsiString title, poster;
  for (const auto& t : kTags) {
    AnsiString tag = Utf8ToCp949(t.Tag);
    AnsiString value = Trim(TextBetween(reply, "[" + tag + "]", "[/" + tag + "]"));
    if (t.Field == mfTitle) title = value;
    if (t.Field == mfPosterAddress) poster = value;
    result.Fields.emplace_back(t.Field, std::move(value));
  }
  result.Poster = TPosterDownload{poster, UrlFileName(poster), title};
  return result;
}

// ---------------------------------------------------------------- Statements

AnsiString MovieInsertStatement(const TServiceMovie& m) {
  int yearNumber = 0;
  AnsiString year = TryStrToInt(Trim(m.Year), yearNumber) ? IntToStr(yearNumber) : AnsiString();
  TDateTime date = 0;
  AnsiString release = TryStrToDate(Trim(m.ReleaseDate), date) ? m.ReleaseDate : AnsiString();
  return "INSERT INTO `vidrena_movie_table` (`영화제목`,`원제(영제)`,`제작국가`,`제작연도`,`개봉날짜`,`출연`,"
         "`감독`,`관람등급`,`영화장르`,`영화시간`,`별점`,`평점`,`공식홈페이지`,`관련페이지`,`영화내용`,`영화해설`,"
         "`포스터`) VALUES ("_k +
         QuotedValues({m.Title, m.OriginalTitle, m.Country, year, release, m.Cast, m.Director, m.ViewingRating,
                       m.Genre, m.RunningTime, m.Stars, m.Score, m.HomePage, m.RelatedPage, m.Synopsis,
                       m.Commentary, m.PosterAddress}) +
         "); ";
}

AnsiString FileIdInsertStatement(const TServiceMovie& m, const TServiceFile& f) {
  // The year goes as typed here, unlike in the movie statement.
  return "INSERT INTO `vidrena_fileid_table` (`제작국가`,`영화제목`,`제작연도`,`파일ID`,`언어`,`화질`,`릴`,"
         "`비디오포맷`,`오디오포맷`,`파일크기`) VALUES ("_k +
         QuotedValues({m.Country, m.Title, m.Year, f.FileId, f.Language, f.Quality, f.Release, f.VideoFormat,
                       f.AudioFormat, f.FileSize}) +
         ");";
}

AnsiString FileNameInsertStatement(const TServiceFile& f) {
  return "INSERT INTO `vidrena_file_table` (`파일이름`,`파일ID`) VALUES ("_k + QuotedValues({f.FileName, f.FileId}) +
         "); ";
}

std::vector<AnsiString> UploadStatements(const TServiceMovie& movie, const std::vector<TServiceFile>& files) {
  std::vector<AnsiString> statements{MovieInsertStatement(movie)};
  size_t rows = std::min(files.size(), static_cast<size_t>(kMaxUploadedFileRows));
  for (size_t i = 0; i < rows; ++i) {
    statements.push_back(FileIdInsertStatement(movie, files[i]));
    statements.push_back(FileNameInsertStatement(files[i]));
  }
  return statements;
}

AnsiString FileIdInsertURL() { return ServiceRoot() + kInsertPath; }

AnsiString InsertPostBody(std::string_view statement) { return "sqltext=" + UrlEncodeQueryValue(statement); }

// -------------------------------------------------------------------- Upload

namespace {

// The row's component of that name, or a fresh one when it is missing or
// still posting an earlier upload.
THTTPGet* RowComponent(TComponent* owner, const AnsiString& name) {
  auto* found = dynamic_cast<THTTPGet*>(owner ? owner->FindComponent(name) : nullptr);
  if (found && !found->Busy()) return found;
  auto* component = new THTTPGet(owner);
  if (!found && owner) component->SetName(name);
  return component;
}

void Post(THTTPGet& component, const AnsiString& statement) {
  component.SetURL(FileIdInsertURL());
  component.SetPostQuery(InsertPostBody(statement));
  component.GetString();
}

}  // namespace

int StartFileIdUpload(THTTPGet& sqlData, TComponent* owner, const TServiceMovie& movie,
                      const std::vector<TServiceFile>& files) {
  Post(sqlData, MovieInsertStatement(movie));
  int started = 1;
  size_t rows = std::min(files.size(), static_cast<size_t>(kMaxUploadedFileRows));
  for (size_t i = 0; i < rows; ++i) {
    AnsiString n = IntToStr(static_cast<Int64>(i) + 1);
    Post(*RowComponent(owner, "SqlFileID" + n), FileIdInsertStatement(movie, files[i]));
    Post(*RowComponent(owner, "SqlFilename" + n), FileNameInsertStatement(files[i]));
    started += 2;
  }
  return started;
}

// ------------------------------------------------------------------ Messages

AnsiString UploadDoneMessage(std::string_view reply) {
  return reply.empty() ? AnsiString() : "영화정보를 업로드 했습니다.\r감사합니다"_k;
}

AnsiString UploadErrorMessage(int checkWebInfo) {
  return checkWebInfo != 0 ? "서버에 접속 할수 없습니다. ㅜ.ㅜ"_k : AnsiString();
}
