#include "files/TexturePath.h"

namespace orbiform {

namespace {

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::wstring ShortenTexturePath(const std::wstring& texture, const std::wstring& writtenFile,
                                const std::wstring& simFolder) {
  const std::size_t fileCut = writtenFile.rfind(L'\\');
  // A file name without any folder gives nothing to be relative to.
  if (fileCut != std::wstring::npos) {
    const std::wstring folder = writtenFile.substr(0, fileCut);

    const std::size_t textureCut = texture.rfind(L'\\');
    if (textureCut != std::wstring::npos && texture.compare(0, textureCut, folder) == 0)
      return texture.substr(textureCut + 1);

    // Only a real subfolder: "...\Achsen" must not match "...\Achsen2\...".
    if (StartsWith(texture, folder + L'\\')) return texture.substr(folder.size() + 1);
  }

  if (!simFolder.empty()) {
    std::wstring sim = simFolder;
    if (sim.back() != L'\\') sim += L'\\';
    if (StartsWith(texture, sim)) return texture.substr(sim.size() - 1);
  }
  return texture;
}

std::wstring ResolveTexturePath(const std::wstring& stored, const std::wstring& projectPath,
                                const std::wstring& simFolder) {
  if (stored.empty()) return stored;
  const bool network = stored.size() >= 2 && stored[0] == L'\\' && stored[1] == L'\\';
  if (stored[0] == L'\\' && !network) {
    // Exactly one backslash between the folder and the rest.
    std::wstring sim = simFolder;
    if (!sim.empty() && sim.back() == L'\\') sim.pop_back();
    return sim + stored;
  }
  if (stored.size() >= 2 && (stored[1] == L':' || stored[1] == L'\\')) return stored;
  const std::size_t cut = projectPath.rfind(L'\\');
  if (cut == std::wstring::npos) return stored;
  return projectPath.substr(0, cut + 1) + stored;
}

}  // namespace orbiform
