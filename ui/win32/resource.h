// Resource identifiers of the program.
#pragma once

#define IDI_SEGMENT_REPLACE 1
