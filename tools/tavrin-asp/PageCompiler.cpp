#include "PageCompiler.h"
