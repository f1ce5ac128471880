// Opens an empty main window and runs the event loop until it closes.
// Stands in for the catalogue window until the application object exists.
#pragma once

int RunPlaceholderWindow(int argc, char** argv, const char* titleUtf8);
