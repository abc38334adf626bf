#pragma once
// The caption of the message boxes the editor's dialogs show.

namespace orbiform {

constexpr wchar_t kCaption[] = L"Orbiform2";

}  // namespace orbiform
