// The moves of MiniSwap and the restart text for the updater.
#include "miniswap/Swap.h"

#include "mwWinAPI/Origin.h"
#include "product/UpdateService.h"
#include "updater/FolderPaths.h"

namespace miniswap {
namespace {

bool MoveWithRetries(updater::TransactedFileOps& ops, const std::wstring& from, const std::wstring& to,
                     PauseFunction pause) {
  for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
    // Replacing in one step: deleting first and then failing to move would
    // leave no updater at all when there is no transaction to undo it.
    if (ops.Move(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) return true;
    pause(kRetryPauseMs);
  }
  return false;
}

}  // namespace

SwapOutcome SwapFiles(const std::vector<std::wstring>& args, const std::wstring& folder,
                      updater::TransactedFileOps& ops, PauseFunction pause) {
  SwapOutcome outcome;
  const std::size_t count = args.size();
  // Program, at least one whole pair, updater and its text.
  if (count > 3 && (count - 3) % 2 == 0) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    bool safe = true;
    for (std::size_t i = 1; i + 2 < count; i += 2) {
      std::wstring from, to;
      safe = updater::ResolveInside(folder, args[i], from) && updater::ResolveInside(folder, args[i + 1], to);
      if (!safe) break;
      pairs.emplace_back(from, to);
    }
    if (safe) {
      bool all = true;
      for (const auto& pair : pairs) {
        if (!MoveWithRetries(ops, pair.first, pair.second, pause)) {
          all = false;
          break;
        }
      }
      outcome.moved = all && ops.Commit();
    }
  }
  if (!outcome.moved) ops.Rollback();

  if (count > 2) {
    // Started elevated, MiniSwap starts only the folder's own updater, with
    // one address as one argument and its own switch: never another
    // program, nor switches of the caller's choosing.
    outcome.updater = updater::FullPath(folder + L"\\" + kUpdaterName);
    const std::wstring named = updater::FullPath(args[count - 2]);
    const std::wstring& address = args[count - 1];
    outcome.restart =
        !named.empty() &&
        ::CompareStringOrdinal(named.c_str(), -1, outcome.updater.c_str(), -1, TRUE) == CSTR_EQUAL &&
        mwWinAPI::IsWebAddress(address) && mwWinAPI::IsPlainArgument(address);
    outcome.parameters = L"\"" + address + (outcome.moved ? L"\" /tinyok" : L"\" /tinyfailed ");
  }
  return outcome;
}

}  // namespace miniswap
