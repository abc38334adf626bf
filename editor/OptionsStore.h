#pragma once
// Where the options live and what time it is: the platform's side of the
// options record.
#include <string>

#include "files/Options.h"

namespace orbiform {

// The local date and time, as the options file records it.
Date CurrentDate();

// "<common application data>\mwTools\Orbiform\options.xml"; the folders are
// created when missing. Throws mwstd::file_io_error when that fails.
std::wstring OptionsFilePath();

// Reads and parses the file. Throws mwstd::file_io_error when it cannot be
// read; returns false when it is not a well-formed options file (the values
// read before the error stay set).
bool LoadOptions(Options& options, const std::wstring& path);

// Writes the file, replacing the old one only when the new one is complete.
// Throws mwstd::file_io_error.
void SaveOptions(const Options& options, const std::wstring& path);

}  // namespace orbiform
