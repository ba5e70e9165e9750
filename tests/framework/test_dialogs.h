/* Dialog templates and control ids of the framework's test pages. */
#pragma once

#define IDD_TEST_FIRST 901
#define IDD_TEST_SECOND 902
#define IDC_TEST_LIST 1001
#define IDC_TEST_COMBO 1002
#define IDC_TEST_SLIDER 1003
#define IDC_TEST_LABEL 1004
#define IDC_TEST_OTHER_LIST 1005
#define IDC_TEST_EDIT_COMBO 1006
