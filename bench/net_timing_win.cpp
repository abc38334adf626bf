// Throughput of AsyncInternet (event mode) for one large body: the address
// is the first argument; prints the seconds and MB/s of each of three runs.
#include <windows.h>

#include <cstdio>
#include <string>

#include "mwWinAPI/AsyncInternet.h"
#include "mwWinAPI/Exceptions.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: net_timing ADDRESS\n");
    return 2;
  }
  HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  try {
    mwWinAPI::AsyncInternet net(event);
    for (int run = 1; run <= 3; ++run) {
      LARGE_INTEGER frequency, start, end;
      ::QueryPerformanceFrequency(&frequency);
      ::QueryPerformanceCounter(&start);
      int progress = 0;
      net.OpenUrl(argv[1], &progress);
      ::WaitForSingleObject(event, INFINITE);
      if (!net.IsError() && !net.StartDownload(&progress)) ::WaitForSingleObject(event, INFINITE);
      ::QueryPerformanceCounter(&end);
      if (net.IsError()) {
        std::fwprintf(stderr, L"net_timing: %ls\n", net.GetLastErrorMessage().c_str());
        return 1;
      }
      const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
      std::printf("AsyncInternet run %d: %zu bytes in %.3f s, %.1f MB/s\n", run, net.Data().size(), seconds,
                  net.Data().size() / seconds / 1e6);
    }
  } catch (const mwstd::exception& e) {
    std::fwprintf(stderr, L"net_timing: %ls\n", e.what().c_str());
    return 1;
  }
  ::CloseHandle(event);
  return 0;
}
