// Reply parsing and the checks on downloaded data.
#include "updater/UpdateInfos.h"

#include "mwWinAPI/Split.h"
#include "mwWinAPI/Utf.h"
#include "product/UpdateService.h"
#include "updater/PathSafety.h"

namespace updater {
namespace {

constexpr std::size_t kMinLineLength = 4;

bool IsOperation(const std::wstring& line) { return !line.empty() && line[0] == L'*'; }

}  // namespace

bool IsSafeOperation(const std::pair<std::wstring, std::wstring>& op) {
  if (!IsSafeRelativePath(op.first)) return false;
  if (op.second.empty() || op.second == L"exe" || op.second == L"exeN") return true;
  return IsSafeRelativePath(op.second);
}

InfosReply SplitInfos(const std::string& body, InfosDecoder decode, std::vector<std::wstring>& lines) {
  using mwWinAPI::kReplyMarker;
  using mwWinAPI::kReplyMarkerLength;
  if (body.size() > kMaxInfosBytes || body.size() < kReplyMarkerLength ||
      body.compare(0, kReplyMarkerLength, kReplyMarker) != 0)
    return InfosReply::Invalid;
  if (body.size() == kReplyMarkerLength) return InfosReply::NothingToDo;
  std::vector<std::wstring> split;
  mwstd::split(split, decode(body.substr(kReplyMarkerLength)), L'\n');
  lines = std::move(split);
  return InfosReply::Lines;
}

bool UpdateInfos::IsManualOnly() const { return base.size() >= 5 && base.compare(0, 3, L"~~~") == 0; }

std::wstring UpdateInfos::ManualAddress() const { return IsManualOnly() ? base.substr(3) : std::wstring(); }

bool ParseInfos(const std::vector<std::wstring>& lines, UpdateInfos& infos) {
  if (lines.empty()) return false;
  UpdateInfos parsed;
  parsed.base = lines[0];
  if (parsed.IsManualOnly() && !IsWebAddress(parsed.ManualAddress())) return false;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::wstring& line = lines[i];
    // A '*' line pairs with the next whatever their lengths ("*" alone is an
    // empty second); only other lines are dropped when short.
    if (IsOperation(line)) {
      if (i + 1 >= lines.size() || !IsOperation(lines[i + 1])) return false;
      std::pair<std::wstring, std::wstring> op(line.substr(1), lines[i + 1].substr(1));
      if (!IsSafeOperation(op)) return false;
      parsed.operations.push_back(std::move(op));
      ++i;
    } else if (line.size() >= kMinLineLength) {
      if (!IsWebAddress(parsed.base) || line.compare(0, parsed.base.size(), parsed.base) != 0 ||
          !IsSafeRelativePath(LocalPath(parsed.base, line)) || !IsWebAddress(line))
        return false;
      parsed.links.push_back(line);
    }
  }
  infos = std::move(parsed);
  return true;
}

std::wstring LocalPath(const std::wstring& base, const std::wstring& link) {
  if (link.size() <= base.size() + kLinkSuffixLength) return std::wstring();
  return link.substr(base.size(), link.size() - base.size() - kLinkSuffixLength);
}

std::wstring FileNameOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"/\\");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::string KnownErrorPageAddress() {
  return mwWinAPI::ToUtf8(mwWinAPI::ServiceAddress()) + "/Rodizozarizor/error404.php";
}

bool IsAcceptedFile(const std::string& data, const std::string& errorPageAddress) {
  if (data.size() > 5000) return true;
  if (data.empty()) return false;
  const bool looksLikePage = data.find("<html>") != std::string::npos ||
                             (!errorPageAddress.empty() && data.find(errorPageAddress) != std::string::npos);
  const bool saysNotFound =
      data.find("404 Error") != std::string::npos || data.find("Whoops - Seite n") != std::string::npos;
  return !(looksLikePage && saysNotFound);
}

}  // namespace updater
