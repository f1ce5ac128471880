#include "app/WebHosts.h"

namespace {

AnsiString gUpdateServer = "http://www.vidrena.org/";
AnsiString gHomePage = "http://www.vidrena.org/";

}  // namespace

const AnsiString& UpdateServerURL() { return gUpdateServer; }
void SetUpdateServerURL(const AnsiString& url) { gUpdateServer = url; }

const AnsiString& HomePageURL() { return gHomePage; }
void SetHomePageURL(const AnsiString& url) { gHomePage = url; }

// ---- Movie portals and the online file-ID service

namespace {

struct TPortalHosts {
  AnsiString Host;
  AnsiString ImageHost;
};

TPortalHosts gPortals[kPortalCount] = {
    {"movie.naver.com", "imgmovie.naver.com"},
    {"www.cine21.com", ""},
    {"www.imdb.com", ""},
    {"www.maxmovie.com", "img.maxmovie.com"},
};

AnsiString gFileIdService = "www.vidrena.org";

bool ValidPortal(int portal) { return portal >= 0 && portal < kPortalCount; }

}  // namespace

AnsiString PortalHost(int portal) { return ValidPortal(portal) ? gPortals[portal].Host : AnsiString(); }
void SetPortalHost(int portal, const AnsiString& host) {
  if (ValidPortal(portal)) gPortals[portal].Host = host;
}
AnsiString PortalImageHost(int portal) { return ValidPortal(portal) ? gPortals[portal].ImageHost : AnsiString(); }
void SetPortalImageHost(int portal, const AnsiString& host) {
  if (ValidPortal(portal)) gPortals[portal].ImageHost = host;
}

const AnsiString& FileIdServiceHost() { return gFileIdService; }
void SetFileIdServiceHost(const AnsiString& host) { gFileIdService = host; }

AnsiString UrlEncodeQueryValue(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  AnsiString out;
  out.reserve(bytes.size() * 3);
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}
