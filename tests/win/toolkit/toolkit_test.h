#pragma once
// Resource ids of the toolkit tests.
#define IDD_TEST_DIALOG 100
#define IDC_TEST_LIST 1001
#define IDC_TEST_COMBO 1002
#define IDC_TEST_STATIC 1003
#define IDC_TEST_BUTTON 1004
// A command with no control: a menu item or an accelerator.
#define ID_TEST_COMMAND 1005
