// The movie-portal lookup of the movie editor, without the editor: the
// search address of each portal, the four page scrapers and the parsing of
// the commentary page.
//
// A scraper is a function of the page (its address, its body HTML and its
// rendered body text, all code page 949) that returns the field values to
// write into the editor's View_N controls, in the order they are written,
// and the downloads to start. The editor applies the values with its
// controls' setters (so setting the score recomputes the stars), then starts
// the downloads with StartPosterDownload / StartCommentaryDownload.
//
//   ScrapePortalPage(portal, page)
//     -> ScrapePortal0 / ScrapePortal1 / ScrapePortal2 / ScrapePortal3
//   GetDB's reply -> ParseCommentary(the tag of the request that asked)
//
// Every cut is bounded: a marker that is missing, or text too short for a
// cut, gives an empty value and never reads outside the text.
#pragma once

#include <optional>
#include <vector>

#include "platform/rtl/Types.h"

class THTTPGet;
class TWebBrowser;

// Editor fields the scrapers write (View_N numbers).
enum TMovieField : int {
  mfTitle = 0,
  mfOriginalTitle = 1,
  mfDirector = 2,
  mfCountry = 3,
  mfYear = 4,
  mfReleaseDate = 5,
  mfCast = 6,
  mfViewingRating = 7,
  mfGenre = 8,
  mfRunningTime = 9,
  mfStars = 10,
  mfScore = 11,
  mfHomePage = 12,
  mfRelatedPage = 13,
  mfSynopsis = 14,
  mfCommentary = 15,
  mfPosterAddress = 40,
};

// The page shown in the browser when "가져오기" was pressed.
struct TPortalPage {
  AnsiString URL;   // the location URL
  AnsiString Html;  // the body's HTML
  AnsiString Text;  // the body's rendered text
};

struct TPosterDownload {
  AnsiString URL;
  // The name inside the poster folder; never holds a separator, never "."
  // or "..". Empty when the address names no file: the editor then shows
  // "noimage.jpg" rather than downloading.
  AnsiString FileName;
  // The movie title, carried on the poster request as its user name;
  // without one the request keeps the user name it had.
  std::optional<AnsiString> UserName;
};

struct TCommentaryDownload {
  int Tag = 0;  // the portal's commentary format, 0..2; travels with the request
  AnsiString URL;
};

struct TPortalScrape {
  // (field, value) in the order the editor writes them.
  std::vector<std::pair<int, AnsiString>> Fields;
  // Non-empty: show this information box and write nothing.
  AnsiString Message;
  std::optional<TPosterDownload> Poster;
  std::optional<TCommentaryDownload> Commentary;

  // The last value written to a field, or nullptr when the field is not written.
  const AnsiString* Find(int field) const;
};

// The page the browser shows: its location URL, body HTML and body text.
TPortalPage ReadPortalPage(TWebBrowser& browser);

// "http://" + host + the portal's search path + the search text, the text
// percent-encoded as code page 949 bytes. "" for an unknown portal.
AnsiString PortalSearchURL(int portal, std::string_view searchText);

// The scraper of the portal (0..3); an unknown portal gives an empty result.
TPortalScrape ScrapePortalPage(int portal, const TPortalPage& page);
TPortalScrape ScrapePortal0(const TPortalPage& page);
TPortalScrape ScrapePortal1(const TPortalPage& page);
TPortalScrape ScrapePortal2(const TPortalPage& page);
TPortalScrape ScrapePortal3(const TPortalPage& page);

// The commentary cut out of the reply of a commentary request with the given
// tag: "." when nothing is found; nullopt for a tag that has no commentary
// (the field is then left as it is).
std::optional<AnsiString> ParseCommentary(int tag, std::string_view reply);

// Starts the poster download on GetPoster into posterDir (URL, FileName =
// posterDir + "/" + the download's file name, UserName when the download
// has one with its line breaks as blanks, GetFile). Returns
// false, starting nothing, when the download has no file name or GetPoster
// is still busy with an earlier one.
bool StartPosterDownload(THTTPGet& getPoster, const AnsiString& posterDir, const TPosterDownload& poster);
// Starts the commentary request on GetDB: its Tag and URL are set only when
// it is idle, so the reply of a running request is still read with the tag
// of the portal that asked for it. False when GetDB was busy.
bool StartCommentaryDownload(THTTPGet& getDB, const TCommentaryDownload& commentary);
