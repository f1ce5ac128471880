#include "app/WebHosts.h"

namespace {

AnsiString gUpdateServer = "http://www.vidrena.org/";
AnsiString gHomePage = "http://www.vidrena.org/";

}  // namespace

const AnsiString& UpdateServerURL() { return gUpdateServer; }
void SetUpdateServerURL(const AnsiString& url) { gUpdateServer = url; }

const AnsiString& HomePageURL() { return gHomePage; }
void SetHomePageURL(const AnsiString& url) { gHomePage = url; }
