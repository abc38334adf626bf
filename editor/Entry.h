#pragma once
// Orbiform2's entry: the command line, the classes, the main window, the
// message loop, and the last chance to save after an error nothing else
// caught.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace orbiform {

class MainWindow;

// The file named by the command line's second argument, made absolute
// against the current directory (any length); empty when there is none.
std::wstring FileToOpen(const std::vector<std::wstring>& arguments);

// Asks for a project file name (no owner) and writes the window's object
// there as Save Project does, leaving title and project path alone. Nothing
// happens without an object or when the user cancels; a failure is shown.
void LastChanceSave(MainWindow& window);

// Runs `body`; an exception that leaves it is shown in its critical box, the
// last chance to save follows, and the result is 3. Otherwise body's result.
int RunGuarded(MainWindow* window, const std::function<int()>& body);

// The whole program: returns the process's exit code.
int RunEditor(HINSTANCE instance, const wchar_t* commandLine, int show);

}  // namespace orbiform
