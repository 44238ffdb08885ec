#include "tests/support/test_cpu.h"
