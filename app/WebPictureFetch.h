// Pictures that mark-up cells and hints name by a web address come through
// the HTTP component: the program installs this fetcher at start.
#pragma once

// Each picture is one request of its own THTTPGet, freed once the reply (or
// the failure) has been handed to the picture.
void InstallWebPictureFetcher();
