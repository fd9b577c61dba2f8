// The subset of the Win32 API that this project builds on, for the native target.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "ole2.h"
