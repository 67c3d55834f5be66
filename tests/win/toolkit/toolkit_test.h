#pragma once
// Resource ids of the toolkit tests.
#define IDD_TEST_DIALOG 100
