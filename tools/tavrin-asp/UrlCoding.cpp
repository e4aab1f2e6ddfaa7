#include "UrlCoding.h"
