// The job's states and the checks on what the threads deliver.
#include "updater/DownloadJob.h"

#include "mwWinAPI/Exceptions.h"

namespace updater {

const wchar_t* StateName(int state) {
  static const wchar_t* const kNames[] = {
      L"NOTHING_DONE",      L"INFOS_DOWNLOADING", L"INFOS_DOWNLOADED", L"READY_TO_DOWNLOAD_FILES",
      L"FILES_DOWNLOADING", L"READY_TO_UPDATE",   L"READY_TO_COPY",    L"FILES_WRITTEN",
      L"UPDATE_DONE"};
  return state >= NOTHING_DONE && state <= UPDATE_DONE ? kNames[state] : L"?";
}

void DownloadJob::Require(int state) const {
  if (state_ != state)
    throw mwstd::invalid_argument(std::wstring(L"Status des Downloaders nicht ") + StateName(state));
}

void DownloadJob::BeginInfos() {
  Require(NOTHING_DONE);
  manifest_ = Manifest();
  state_ = INFOS_DOWNLOADING;
}

InfosReply DownloadJob::TakeInfos(const std::string& body, InfosDecoder decode) {
  Require(INFOS_DOWNLOADING);
  const InfosReply reply = SplitInfos(body, decode, lines_);
  state_ = reply == InfosReply::Lines ? INFOS_DOWNLOADED : NOTHING_DONE;
  return reply;
}

bool DownloadJob::ParseInfos() {
  Require(INFOS_DOWNLOADED);
  if (!updater::ParseInfos(lines_, infos_)) return false;
  lines_ = infos_.links;
  state_ = READY_TO_DOWNLOAD_FILES;
  return true;
}

std::size_t DownloadJob::LinkCount() const {
  if (state_ == FILES_DOWNLOADING) throw mwstd::invalid_argument(L"Download läuft");
  return lines_.size();
}

const std::wstring& DownloadJob::Link(std::size_t index) const {
  if (index >= lines_.size()) throw mwstd::out_of_range(L"Der Index ist nicht vorhanden");
  return lines_[index];
}

std::wstring DownloadJob::TargetPath(std::size_t index) const { return LocalPath(infos_.base, Link(index)); }

void DownloadJob::TakeManifest(Manifest manifest) {
  Require(INFOS_DOWNLOADING);
  manifest_ = std::move(manifest);
}

std::uint64_t DownloadJob::ExpectedSize(std::size_t index) const {
  return index < manifest_.files.size() ? manifest_.files[index].size : 0;
}

void DownloadJob::BeginFiles() {
  Require(READY_TO_DOWNLOAD_FILES);
  data_.assign(lines_.size(), std::string());
  stored_.assign(lines_.size(), false);
  done_.assign(lines_.size(), false);
  state_ = FILES_DOWNLOADING;
}

bool DownloadJob::StoreFile(std::size_t index, std::string data, const std::string& sha256) {
  if (index >= data_.size()) throw mwstd::out_of_range(L"Der Index ist nicht vorhanden");
  // Without a manifest entry nothing is trusted.
  if (index >= manifest_.files.size() || !MatchesFile(manifest_.files[index], data.size(), sha256))
    return false;
  data_[index] = std::move(data);
  stored_[index] = true;
  return true;
}

bool DownloadJob::FinishFiles(const std::string& errorPageAddress) {
  Require(FILES_DOWNLOADING);
  bool all = data_.size() == lines_.size();
  for (std::size_t i = 0; i < data_.size(); ++i) {
    done_[i] = stored_[i] && IsAcceptedFile(data_[i], errorPageAddress);
    if (!done_[i]) {
      std::string().swap(data_[i]);
      all = false;
    }
  }
  state_ = all ? READY_TO_UPDATE : READY_TO_DOWNLOAD_FILES;
  return all;
}

const std::string& DownloadJob::FileData(std::size_t index) const {
  if (index >= data_.size()) throw mwstd::out_of_range(L"Der Index ist nicht vorhanden");
  return data_[index];
}

bool DownloadJob::IsDone(std::size_t index) const { return index < done_.size() && done_[index]; }

void DownloadJob::EndEarly() {
  state_ = state_ <= INFOS_DOWNLOADED ? NOTHING_DONE : READY_TO_DOWNLOAD_FILES;
  data_.clear();
  stored_.clear();
  done_.clear();
}

}  // namespace updater
