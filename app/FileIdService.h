// The online file-ID service: a shared movie database on the maker's server,
// keyed on file IDs. The movie editor looks its media files up there and
// publishes a record with its files; this unit builds the requests and reads
// the replies, on plain records of the editor's fields and file rows.
//
//   lookup:  StartFileIdLookup(GetFileID, file IDs)
//            GetFileID.OnDoneString -> ParseFileIdReply -> fields + poster
//   upload:  StartFileIdUpload(sqlData, owner, movie, files)
//            sqlData.OnDoneString -> UploadDoneMessage
//            sqlData.OnError      -> UploadErrorMessage(CheckWebInfo)
//
// Every value is escaped for the server's SQL (SqlEscape), and the query and
// the form body are percent-encoded as code page 949 bytes, so quotes,
// backslashes, "&", "+", "%" and Korean text arrive as typed.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "app/PortalScrapers.h"
#include "platform/rtl/Types.h"

class THTTPGet;
class TComponent;

// The editor's fields sent with a movie, as typed in its View_N controls.
struct TServiceMovie {
  AnsiString Title;          // View_0
  AnsiString OriginalTitle;  // View_1
  AnsiString Country;        // View_3
  AnsiString Year;           // View_4
  AnsiString ReleaseDate;    // View_5
  AnsiString Cast;           // View_6
  AnsiString Director;       // View_2
  AnsiString ViewingRating;  // View_7
  AnsiString Genre;          // View_8
  AnsiString RunningTime;    // View_9
  AnsiString Stars;          // View_10
  AnsiString Score;          // View_11
  AnsiString HomePage;       // View_12
  AnsiString RelatedPage;    // View_13
  AnsiString Synopsis;       // View_14
  AnsiString Commentary;     // View_15
  AnsiString PosterAddress;  // View_40
};

// One file row of the editor's file grid, by its headers.
struct TServiceFile {
  AnsiString FileName;     // 파일이름
  AnsiString FileId;       // 파일ID
  AnsiString FileSize;     // 파일크기
  AnsiString VideoFormat;  // 비디오포맷
  AnsiString AudioFormat;  // 오디오포맷
  AnsiString Language;     // 언어
  AnsiString Quality;      // 화질정보
  AnsiString Release;      // 릴정보
};

// The file rows 1 .. rowCount-1 of a grid whose cells are read by header
// text ("파일이름", "파일ID", ...) through cell(header, row).
std::vector<TServiceFile> ServiceFilesFromGrid(
    int rowCount, const std::function<AnsiString(const AnsiString& header, int row)>& cell);

// File rows beyond this many are not published.
inline constexpr int kMaxUploadedFileRows = 10;

// Backslash first, then the double quote and the apostrophe, each get a
// backslash before them; nothing is deleted.
AnsiString SqlEscape(std::string_view text);

// "http://" + service host + "/vidrena/movie_search.php?sqltext=" + the
// file-ID column (header "파일ID" first, then the IDs) joined with "|",
// percent-encoded. "" when there are no file rows: nothing is looked up.
AnsiString FileIdLookupURL(const std::vector<AnsiString>& fileIds);
// Sets GetFileID's URL and starts the string download; false (nothing sent)
// without file rows.
bool StartFileIdLookup(THTTPGet& getFileID, const std::vector<AnsiString>& fileIds);

struct TFileIdReply {
  // false: no answer; Fields then holds at most the title, when the reply
  // carries the title's tags, and no poster is fetched.
  bool Ok = false;
  // The 17 fields (View_N number, trimmed value) in the service's order.
  std::vector<std::pair<int, AnsiString>> Fields;
  // The poster named by the reply; its FileName is empty when the address
  // names no file (the editor shows "noimage.jpg").
  TPosterDownload Poster;
};
TFileIdReply ParseFileIdReply(std::string_view reply);

// The insert statements, every value escaped. The movie statement sends the
// year only when it is an integer and the release date only when it reads
// as a date, each else as an empty value; the file-ID statement sends the
// year as typed.
AnsiString MovieInsertStatement(const TServiceMovie& movie);
AnsiString FileIdInsertStatement(const TServiceMovie& movie, const TServiceFile& file);
AnsiString FileNameInsertStatement(const TServiceFile& file);
// The movie statement, then for each of the first kMaxUploadedFileRows
// rows its file-ID and its file-name statement.
std::vector<AnsiString> UploadStatements(const TServiceMovie& movie, const std::vector<TServiceFile>& files);

AnsiString FileIdInsertURL();
// "sqltext=" + the statement percent-encoded.
AnsiString InsertPostBody(std::string_view statement);

// Posts the movie statement through sqlData (whose events the editor
// handles) and each row statement through its own component of owner:
// "SqlFileID<n>" and "SqlFilename<n>" for row n, found by name (letter case
// ignored) or created; a component still busy with an earlier upload is
// replaced by a fresh one, so no statement is dropped. Returns the number of
// requests started. owner (the editor) owns the row components and must
// not be null.
int StartFileIdUpload(THTTPGet& sqlData, TComponent* owner, const TServiceMovie& movie,
                      const std::vector<TServiceFile>& files);

// The information box after the upload's reply ("" for an empty reply: no box).
AnsiString UploadDoneMessage(std::string_view reply);
// The information box after a failed upload ("" when checkWebInfo is 0).
AnsiString UploadErrorMessage(int checkWebInfo);
