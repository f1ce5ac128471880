// The maker's web addresses, kept in one place. They are settable so that
// tests can point them at a server on 127.0.0.1.
#pragma once

#include "platform/rtl/Types.h"

// The root of the maker's web server, with a trailing "/": the update file
// "update.vd" lies there.
const AnsiString& UpdateServerURL();
void SetUpdateServerURL(const AnsiString& url);

// The maker's home page, opened when a newer version exists.
const AnsiString& HomePageURL();
void SetHomePageURL(const AnsiString& url);

// ---- Movie portals and the online file-ID service
// Portal numbers: 0 the portal's movie section, 1 and 3 the two movie
// sites, 2 IMDb. Hosts are names without "http://" and without a trailing
// "/"; "host:port" is allowed (tests).
inline constexpr int kPortalCount = 4;
// The portal's own host; "" for a number outside 0..3.
AnsiString PortalHost(int portal);
void SetPortalHost(int portal, const AnsiString& host);
// The host of the portal's pictures (posters, the commentary's title
// image); only portals 0 and 3 have one.
AnsiString PortalImageHost(int portal);
void SetPortalImageHost(int portal, const AnsiString& host);

// The host of the shared movie database keyed on file IDs.
const AnsiString& FileIdServiceHost();
void SetFileIdServiceHost(const AnsiString& host);

// Bytes as a URL query value: letters, digits and "-._~" stay, every other
// byte (a code page 949 syllable's two bytes included) becomes %XX, so "&",
// "+", "#", "%", blanks and Korean text arrive as typed.
AnsiString UrlEncodeQueryValue(std::string_view bytes);
