// The program that reads ".xls" workbooks for Vidrena. The .xls library
// crashes and over-reads on some damaged files, so it runs here, apart from
// the window and its unsaved catalogue: the values of one sheet go to the
// standard output as records (platform/vcl/XlsValues_p.h) and the program
// ends. Vidrena starts it beside itself and reads what it writes.
//
//   vidrena_xls <file> <sheet in UTF-8, empty for the first> <pid of the program>
#include <malloc.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/vcl/XlsValues_p.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  // A reader whose program died goes with it; the check after the request
  // covers a program that died before it.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != static_cast<pid_t>(std::atol(argv[3]))) return 3;
  // The library allocates and frees a great many small blocks between larger
  // ones: without fast bins nothing gathers to be merged again at every
  // larger request, and a generous top grows the heap in few steps.
  mallopt(M_MXFAST, 0);
  mallopt(M_TOP_PAD, 16 << 20);
  xls_values::TRecords out(STDOUT_FILENO);
  xls_values::ReadValues(argv[1], argv[2], out);
  const bool sent = out.Flush();
  // Nothing of the library's memory needs tearing down: the process ends.
  _exit(sent ? 0 : 3);
}
