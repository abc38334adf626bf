#pragma once
// Where a path that a server or a command line names really lands: resolved
// by the system against the editor's folder and checked to stay inside it.
#include <string>

namespace updater {

// The system's full form of `path` (GetFullPathNameW: relative to the
// current folder, "." and ".." resolved); empty on failure.
std::wstring FullPath(const std::wstring& path);

// The folder of the running program, without a trailing '\'.
std::wstring ProgramFolder();

// True, with `full` set, when `relative` is a safe relative path
// (IsSafeRelativePath) and its full form below `folder` lies inside it.
bool ResolveInside(const std::wstring& folder, const std::wstring& relative, std::wstring& full);

// True when `a` and `b` name the same existing folder (compared by the
// file system's identity of it, so case, short names and links do not
// matter); false when either cannot be opened.
bool IsSameFolder(const std::wstring& a, const std::wstring& b);

// True when the full form of `path` (absolute or relative to the current
// folder) lies inside `folder`.
bool LiesInside(const std::wstring& folder, const std::wstring& path);

}  // namespace updater
