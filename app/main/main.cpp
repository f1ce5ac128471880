#include "platform/vcl/Placeholder.h"

int main(int argc, char** argv) { return RunPlaceholderWindow(argc, argv, "Vidrena"); }
