// The Win32 window under Wine or Windows, in the scenarios both views share.
#include "tests/ui/win32/win32_test_support.h"

using Win32Window = scenario::Window<scenario::Win32View>;
WINDOW_SCENARIOS(Win32Window)
