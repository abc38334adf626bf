#pragma once
// The model fails in two ways: plain checks with the standard library's
// exceptions and short English texts, user checks with mwstd exceptions and
// string-table texts. These catch one and hand back its text.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "mwWinAPI/Exceptions.h"
#ifndef _WIN32
#include "mwWinAPI/NativeStrings.h"
#endif

template <typename F>
std::wstring UserText(F&& f) {
  try {
    f();
  } catch (const mwstd::invalid_argument& e) {
    return e.what();
  }
  return L"<nothing thrown>";
}

template <typename E = std::invalid_argument, typename F>
std::string ModelText(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  return "<nothing thrown>";
}

// User texts are compared in English whatever the developer's locale (the
// Windows tests run with LANG=C, so Wine picks the English resources).
class EnglishTexts : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    mwWinAPI::SetNativeLanguage(mwWinAPI::Language::English);
#endif
  }
};
