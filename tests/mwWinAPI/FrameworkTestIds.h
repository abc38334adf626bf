#pragma once
// Identifiers of the framework tests' dialog template.
#define IDD_FRAMEWORK_TEST 9001
#define IDC_TEST_EDIT 9002
#define IDC_TEST_BUTTON 9003
