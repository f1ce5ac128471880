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
