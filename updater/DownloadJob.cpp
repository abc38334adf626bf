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

void DownloadJob::BeginFiles() {
  Require(READY_TO_DOWNLOAD_FILES);
  data_.assign(lines_.size(), std::string());
  signatures_.assign(lines_.size(), std::string());
  done_.assign(lines_.size(), false);
  unsigned_.assign(lines_.size(), false);
  state_ = FILES_DOWNLOADING;
}

void DownloadJob::StoreFile(std::size_t index, std::string data, std::string signature) {
  if (index >= data_.size()) throw mwstd::out_of_range(L"Der Index ist nicht vorhanden");
  data_[index] = std::move(data);
  signatures_[index] = std::move(signature);
}

bool DownloadJob::FinishFiles(const std::string& errorPageAddress, SignatureCheck verify) {
  Require(FILES_DOWNLOADING);
  bool all = data_.size() == lines_.size();
  for (std::size_t i = 0; i < data_.size(); ++i) {
    done_[i] = data_[i].size() <= kMaxFileBytes && IsAcceptedFile(data_[i], errorPageAddress);
    if (done_[i]) {
      unsigned_[i] = !verify || !verify(data_[i], signatures_[i]);
      done_[i] = !unsigned_[i];
    }
    std::string().swap(signatures_[i]);
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
  signatures_.clear();
  done_.clear();
  unsigned_.clear();
}

}  // namespace updater
