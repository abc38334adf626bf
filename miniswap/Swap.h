#pragma once
// MiniSwap's work, apart from its entry point so that the tests can drive
// it: the pairs of its command line moved into the editor's folder inside
// one transaction, and what to restart afterwards.
#include <windows.h>

#include <string>
#include <vector>

#include "updater/TransactedFileOps.h"

namespace miniswap {

// Attempts per pair, and the pause after each failed one: together they
// bridge the time the ending updater still holds its executable.
constexpr int kMoveAttempts = 5;
constexpr DWORD kRetryPauseMs = 500;

// The only program MiniSwap starts, from its own folder.
constexpr wchar_t kUpdaterName[] = L"QZ7Updater.exe";

// Sleep, or a recorder in the tests.
using PauseFunction = void(WINAPI*)(DWORD milliseconds);

struct SwapOutcome {
  bool moved = false;       // every pair moved and the transaction committed
  bool restart = false;     // start `updater` with `parameters`
  std::wstring updater;     // full path of the folder's QZ7Updater.exe
  std::wstring parameters;  // the last argument quoted, then " /tinyok" or " /tinyfailed "
};

// `args` is the whole argument vector (program first): pairs of source and
// destination, then the updater's path, then the text handed on to it.
// Every source and destination must be a safe relative path inside `folder`,
// else nothing is moved. The updater is restarted only when it is the
// folder's own kUpdaterName and the text handed on is a web address that
// quoting keeps as one argument.
// Each destination is replaced by its source, retried kMoveAttempts times
// with `pause` between; the first pair that cannot be moved ends the run
// and rolls the transaction back. Never throws but std::bad_alloc.
SwapOutcome SwapFiles(const std::vector<std::wstring>& args, const std::wstring& folder,
                      updater::TransactedFileOps& ops, PauseFunction pause = ::Sleep);

}  // namespace miniswap
