// libFuzzer target for the updater's information reply. A refused reply is
// an expected outcome; a crash, a sanitizer report, or an accepted reply
// that names a path outside the editor's folder or a page that is no web
// address is a fault. The body also goes through the error-page detector.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mwWinAPI/Utf.h"
#include "updater/PathSafety.h"
#include "updater/UpdateInfos.h"

namespace {

std::wstring Decode(const std::string& bytes) { return mwWinAPI::FromUtf8(bytes); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  const std::string body(reinterpret_cast<const char*>(data), size);
  IsAcceptedFile(body, "http://h/Rodizozarizor/error404.php");
  std::vector<std::wstring> lines;
  if (SplitInfos(body, Decode, lines) != InfosReply::Lines) return 0;
  UpdateInfos infos;
  if (!ParseInfos(lines, infos)) {
    if (!infos.base.empty() || !infos.links.empty() || !infos.operations.empty()) std::abort();
    return 0;
  }
  if (infos.IsManualOnly() && !IsWebAddress(infos.ManualAddress())) std::abort();
  for (const auto& link : infos.links) {
    if (link.compare(0, infos.base.size(), infos.base) != 0) std::abort();
    if (!IsSafeRelativePath(LocalPath(infos.base, link))) std::abort();
  }
  for (const auto& op : infos.operations) {
    if (!IsSafeRelativePath(op.first)) std::abort();
    if (!op.second.empty() && op.second != L"exe" && op.second != L"exeN" && !IsSafeRelativePath(op.second))
      std::abort();
  }
  return 0;
}
