#pragma once
// Resource ids of the window tests' own templates (tests/framework/WindowTest.rc); far
// from the program's ids, which are linked into the same test program.
#define IDD_TEST_DIALOG 9101
#define IDD_TEST_FORM 9102
#define IDD_TEST_HIDDEN 9103

#define IDC_TEST_EDIT 9201
#define IDC_TEST_NUMBER 9202
#define IDC_TEST_CHECK 9203
#define IDC_TEST_LABEL 9204
#define IDC_TEST_LINK 9205
#define IDC_TEST_PROGRESS 9206
#define IDC_TEST_OWNERDRAW 9207
