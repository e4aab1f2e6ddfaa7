#include "HttpHead.h"
