// The moves of MiniSwap and the restart text for the updater.
#include "miniswap/Swap.h"

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
    outcome.updater = args[count - 2];
    // A program from elsewhere is never started.
    outcome.restart = updater::LiesInside(folder, outcome.updater);
    outcome.parameters = args[count - 1] + (outcome.moved ? L" /tinyok" : L" /tinyfailed ");
  }
  return outcome;
}

}  // namespace miniswap
