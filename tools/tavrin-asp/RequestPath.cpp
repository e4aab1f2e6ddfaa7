#include "RequestPath.h"
